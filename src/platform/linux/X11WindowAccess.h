#pragma once
// The window layer over X11: other applications' windows read and moved
// through EWMH window-manager hints. Each thread that uses it gets its own
// connection, so that the events it waits for after a write (the window
// manager's answer) reach only that thread.
#include "platform/WindowAccess.h"

#include <memory>

namespace dexaro {

class Alerts;
class WorkAreas;

// A refusal to place windows (no X11 display, no EWMH window manager) is
// explained once through alerts; windows are kept below the panels of workAreas.
std::unique_ptr<AccessibilityBackend> makeX11WindowAccess(Alerts& alerts, WorkAreas& workAreas);

} // namespace dexaro
