#pragma once
// Which desktop runs this session, read once at start-up to choose the window
// layer: X11, or a Wayland compositor Dexaro knows a way into.
#include <QProcessEnvironment>
#include <QString>
#include <functional>

namespace dexaro {

enum class Compositor { x11, kwin, gnomeShell, sway, otherWayland };

// A Wayland session is one with XDG_SESSION_TYPE=wayland, or with a
// WAYLAND_DISPLAY and no other session type said. Its compositor is KWin or
// GNOME Shell when their name on the session bus has an owner, else sway (or
// a compositor with its IPC) when SWAYSOCK is set. hasBusName asks the session
// bus; it is only asked in a Wayland session.
Compositor detectCompositor(const QProcessEnvironment& env,
                            const std::function<bool(const QString& name)>& hasBusName);
// The same for this process: its environment and its session bus (each
// question waits half a second at most).
Compositor detectCompositor();

// "sway", "KWin", ... for messages.
QString compositorName(Compositor compositor);

// Whether Dexaro's own windows should go through XWayland (QT_QPA_PLATFORM=xcb):
// in a Wayland session with an X11 display, unless the user chose a Qt platform.
// Only there can the popover put itself beside the status icon and windows
// keep the places Dexaro gives them.
bool ownWindowsOnXWayland(const QProcessEnvironment& env);

} // namespace dexaro
