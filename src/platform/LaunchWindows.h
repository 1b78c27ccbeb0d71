#pragma once
// Which windows a launch produced. A window is the launch's when it appeared
// after the launch began (or, for an instance handed back, at any time) and
//  - it carries the launch's startup-notification id, or
//  - its pid is the launched process or one of its descendants (also from
//    inside a sandbox's PID namespace), or
//  - its _GTK_APPLICATION_ID or WM_CLASS names the entry: the desktop-file id,
//    StartupWMClass or the Exec program's name, letter case aside. This covers
//    an application started over D-Bus, and one that hands the request to an
//    instance already running, whose new window has that instance's pid.
// A window of an instance handed back that existed before the launch is the
// launch's only by its pid.
#include "platform/Windows.h"
#include "platform/WorkspaceServices.h"

namespace dexaro {

// How sure the match is: a window named by its class may also be another
// launch's of the same application, one with the launch's pid or startup id
// cannot.
enum class LaunchMatch { none, byClass, byProcess, byStartupId };

LaunchMatch launchMatch(const WindowInfo& window, const RunningApplication& app, Windows& windows);

// Whether the window's _GTK_APPLICATION_ID or WM_CLASS names the entry of app
// (its desktop-file id, StartupWMClass or Exec program, letter case aside).
bool windowNamesEntry(const WindowInfo& window, const RunningApplication& app);

// The windows of the launch among windows, in their order.
QList<WindowInfo> launchWindows(const QList<WindowInfo>& all, const RunningApplication& app,
                                Windows& windows);

// The window a placement moves: a normal window, not a splash screen, dialog,
// utility window or a window transient for another.
bool isMainWindowKind(const WindowInfo& window);

} // namespace dexaro
