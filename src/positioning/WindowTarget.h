#pragma once
#include "model/WindowTargets.h"
#include "positioning/PositionName.h"

#include <QString>

namespace dexaro {

// Where a launch's window goes: its placement on a monitor (the primary for
// none, and for one not connected now), and its virtual desktop, to which it
// is sent before it is placed (a desktop the window manager does not have is
// left alone: the window stays where it appeared).
struct WindowTarget {
    PositionName position = PositionName::def;
    QString monitor;
    int desktop = desktops::current;
    bool doesNothing() const {
        return position == PositionName::def && desktop == desktops::current;
    }
};

} // namespace dexaro
