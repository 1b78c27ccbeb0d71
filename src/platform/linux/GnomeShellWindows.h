#pragma once
// The window layer under GNOME Shell (Windows.h), through Dexaro's own Shell
// extension (GnomeShellExtension.h), which offers the shell's windows and
// requests over D-Bus. Notifications run on a thread of the layer's own.
#include "platform/Windows.h"

#include <memory>

namespace dexaro {

class Alerts;

// nullptr when GNOME Shell does not answer on the session bus. Without the
// extension running the layer is unavailable: isAvailable(true) explains why,
// once, and offers to install the extension (or switch it on) for the next
// login; the layer takes up the extension once it answers.
std::unique_ptr<Windows> makeGnomeShellWindows(Alerts& alerts);

// Installs the extension into the user's extensions folder and switches it on
// for the next login, and tells the user through alerts how that went (what
// isAvailable(true) does when the user accepts). For a menu item or the
// Creator's explanation of the session's limits.
void offerGnomeShellExtension(Alerts& alerts);

} // namespace dexaro
