#pragma once
// Hot keys under GNOME Shell on Wayland, where no program may grab keys: each
// combination is taken as a shell accelerator through Dexaro's Shell extension
// (GnomeShellExtension.h), which tells of its presses. The shell gives the
// accelerators of a program up when it leaves the session bus.
#include "platform/HotKeys.h"

#include <memory>

namespace dexaro {

// Make it on the main thread. Without the extension running every
// registration is refused with the reason.
std::unique_ptr<HotKeys> makeGnomeShellHotKeys();

} // namespace dexaro
