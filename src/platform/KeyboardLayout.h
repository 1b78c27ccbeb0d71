#pragma once
// Keys and the current keyboard layout.
//
// Dexaro names keys by position with fixed key codes (A 0, S 1, ..., Return 36,
// Space 49, Escape 53, F1 122, arrows 123-126; the numbering that stored
// shortcuts use). One table maps them to Linux input (evdev) codes; X11 and
// Wayland key codes are the evdev code + 8.
#include <QString>
#include <cstdint>
#include <optional>

namespace dexaro {

class KeyboardLayout {
public:
    virtual ~KeyboardLayout() = default;

    // What the key types without modifiers in the current layout (the first
    // layout that types ASCII letters, when the current one does not); dead
    // keys give their spacing character. nullopt when there is no layout at
    // all; an empty string when the key types nothing.
    virtual std::optional<QString> keyText(quint32 keyCode) = 0;

    // The layout that key names are rendered in: the one the platform installed
    // (the X11 display's, else the US layout), or one that knows no keys.
    static KeyboardLayout& current();
    // Installs layout as the current one (nullptr: none). The platform does
    // this when it is made and undoes it when it goes.
    static void setCurrent(KeyboardLayout* layout);

    // The key-code table.
    static std::optional<quint32> evdevCode(quint32 keyCode);
    static std::optional<quint32> keyCodeForEvdev(quint32 evdevCode);
    // From the native scan code of a Qt key event (X11 / Wayland key code).
    static std::optional<quint32> keyCodeForNativeScanCode(quint32 scanCode);
};

} // namespace dexaro
