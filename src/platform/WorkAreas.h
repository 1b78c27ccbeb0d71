#pragma once
// The part of each monitor that windows may use: the monitor minus the panels
// and docks along its edges. Everything that places something on screen (the
// placement frames, the status item's popover, the main window) asks here, so
// that all of them agree.
//
// Rectangles are in X11 root coordinates: device pixels, origin at the
// top-left corner of the whole screen, y downwards.
#include <QList>
#include <QPoint>
#include <QRect>
#include <QString>
#include <optional>

namespace dexaro {

class WorkAreas {
public:
    virtual ~WorkAreas() = default;

    struct Monitor {
        QRect geometry;
        QRect workArea;
        QString name; // as the display server names it ("DP-2"); may be empty
        bool operator==(const Monitor&) const = default;
    };

    // The primary monitor; nullopt when there is no screen. Any thread.
    virtual std::optional<Monitor> primary() = 0;
    // The monitor that contains point, else the one nearest to it. Any thread.
    virtual std::optional<Monitor> monitorAt(const QPoint& point) = 0;
    // Every monitor connected now, the primary first. Any thread. A backend
    // that tells monitors apart overrides it; this one knows the primary only.
    virtual QList<Monitor> monitors();
    // The connected monitor of that name; nullopt for an empty name or one no
    // monitor has now (unplugged, renamed).
    std::optional<Monitor> monitorNamed(const QString& name);

    // The space a dock reserves along one edge of the whole screen
    // (_NET_WM_STRUT_PARTIAL): a thickness and the span it covers along that edge.
    struct Strut {
        enum Edge { left, right, top, bottom };
        Edge edge = top;
        int thickness = 0;
        int start = 0; // first covered pixel along the edge
        int end = 0;   // last covered pixel along the edge
    };
    // The monitor minus the struts that reach into it.
    static QRect monitorMinusStruts(const QRect& monitor, const QRect& root,
                                    const QList<Strut>& struts);
    // The desktop's single work area cut to one monitor (the monitor itself when
    // they do not meet).
    static QRect desktopAreaOnMonitor(const QRect& monitor, const QRect& desktopArea);
    // Of several monitors, the one that contains point, else the nearest; -1 for none.
    static int monitorIndexAt(const QList<QRect>& monitors, const QPoint& point);
};

} // namespace dexaro
