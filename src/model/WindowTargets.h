#pragma once
// Where, beyond its placement, an application's window goes when its
// workspace is switched on (its monitor and virtual desktop), and what a
// workspace does at start-up. A workspace or application without any of it
// behaves as before: the primary monitor, the current desktop, off at start.
#include <QHash>
#include <QString>

namespace dexaro {

// Virtual desktops are numbered from 0 as _NET_WM_DESKTOP numbers them.
namespace desktops {
inline constexpr int current = -1; // wherever the window appears
inline constexpr int all = -2;     // on every desktop
} // namespace desktops

struct AppTarget {
    QString monitor;                 // a monitor's name; empty: the primary
    int desktop = desktops::current; // a desktop's number, current or all
    bool isDefault() const { return monitor.isEmpty() && desktop == desktops::current; }
    bool operator==(const AppTarget&) const = default;
};

struct WorkspaceOptions {
    bool switchOnAtStart = false;
    // The desktop shown when the workspace is switched on; current: none.
    int startDesktop = desktops::current;
    QHash<qint64, AppTarget> apps; // by application key (as placements are)
    bool isDefault() const {
        return !switchOnAtStart && startDesktop == desktops::current && apps.isEmpty();
    }
    bool operator==(const WorkspaceOptions&) const = default;
};

// Stored form of a desktop choice: "all", or the desktop's number. Empty for
// current. Reading gives current for anything else (and a negative number).
QString desktopText(int desktop);
int desktopFromText(const QString& text);

} // namespace dexaro
