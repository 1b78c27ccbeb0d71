#pragma once
// Key names for the current layout through xkbcommon: the keymap of the X11
// display (re-read when the server announces a new one), or the US layout when
// there is no display.
#include "platform/KeyboardLayout.h"

#include <memory>

namespace dexaro {

// Make it after the QApplication, on the main thread.
std::unique_ptr<KeyboardLayout> makeXkbKeyboardLayout();

} // namespace dexaro
