#pragma once
// Work areas on X11: _NET_WORKAREA of the current desktop cut to each monitor.
// Window managers publish one work area for the whole screen, which is wrong
// as soon as monitors differ in size; with more than one monitor each one's
// work area is the monitor minus the struts of the docks on it.
#include "platform/WorkAreas.h"

#include <QObject>
#include <mutex>

namespace dexaro {

class X11WorkAreas final : public WorkAreas {
public:
    // Create it on the main thread: it follows Qt's screens from there. Without
    // Qt on X11 it knows no work area (nullopt): callers use Qt's screens.
    X11WorkAreas();
    ~X11WorkAreas() override;

    std::optional<Monitor> primary() override;
    std::optional<Monitor> monitorAt(const QPoint& point) override;

private:
    void updateMonitors();
    std::optional<Monitor> monitor(int index, const QList<QRect>& monitors);

    bool m_onX11 = false;
    std::mutex m_mutex;
    QList<QRect> m_monitors; // device pixels, primary first
    QObject m_context;       // the screen connections live as long as this
};

} // namespace dexaro
