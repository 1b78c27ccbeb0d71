#pragma once
// Hot keys in a KDE Plasma session, where no X11 grab reaches the keyboard:
// each combination becomes a global shortcut of Dexaro's own component in
// KDE's shortcut service (org.kde.kglobalaccel, which KWin runs), set to the
// combination Dexaro asks for; the service reports presses over D-Bus. A
// combination another component holds is refused, as a taken X11 grab is.
//
// Combinations are named by the keys' meaning in the US layout (the service
// takes key symbols, not positions); keypad keys and keys without a symbol
// are refused as unknown.
#include "platform/HotKeys.h"

#include <memory>

namespace dexaro {

// Make it after the QApplication, on the main thread. isAvailable() is false
// when the shortcut service is not on the session bus.
std::unique_ptr<HotKeys> makeKGlobalAccelHotKeys();

// The Qt key code (modifiers included) of a combination; 0 for a key that
// cannot be named. Exposed for the tests.
int kdeShortcutKey(quint32 keyCode, quint32 carbonModifiers);

} // namespace dexaro
