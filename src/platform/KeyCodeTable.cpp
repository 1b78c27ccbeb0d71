// Dexaro's positional key codes and the Linux input (evdev) codes of the same
// keys, after the public key-code tables that browsers publish (one row per
// physical key: USB usage, evdev, XKB, Windows and Mac codes). X11 key code =
// evdev + 8.
#include "platform/KeyCodes.h"
#include "platform/KeyboardLayout.h"

#include <array>

namespace dexaro {
namespace {
using namespace keys;

struct KeyRow {
    quint16 keyCode;
    quint16 evdev;
};

// clang-format off
constexpr KeyRow keyRows[] = {
    // Letters
    {A, 30}, {S, 31}, {D, 32}, {F, 33}, {H, 35}, {G, 34}, {Z, 44}, {X, 45}, {C, 46}, {V, 47},
    {B, 48}, {Q, 16}, {W, 17}, {E, 18}, {R, 19}, {Y, 21}, {T, 20}, {O, 24}, {U, 22}, {I, 23},
    {P, 25}, {L, 38}, {J, 36}, {K, 37}, {N, 49}, {M, 50},
    // Digits
    {Digit1, 2}, {Digit2, 3}, {Digit3, 4}, {Digit4, 5}, {Digit5, 6}, {Digit6, 7}, {Digit7, 8},
    {Digit8, 9}, {Digit9, 10}, {Digit0, 11},
    // Punctuation
    {Equal, 13}, {Minus, 12}, {RightBracket, 27}, {LeftBracket, 26}, {Quote, 40}, {Semicolon, 39},
    {Backslash, 43}, {Comma, 51}, {Slash, 53}, {Period, 52}, {Grave, 41}, {IsoSection, 86},
    {Yen, 124}, {Ro, 89},
    // Editing and whitespace
    {Return, 28}, {Tab, 15}, {Space, 57}, {Delete, 14}, {Escape, 1}, {ForwardDelete, 111},
    {Help, 110},
    // Modifiers
    {RightCommand, 126}, {Command, 125}, {Shift, 42}, {CapsLock, 58}, {Option, 56}, {Control, 29},
    {RightShift, 54}, {RightOption, 100}, {RightControl, 97}, {ContextMenu, 127},
    // Function keys
    {F1, 59}, {F2, 60}, {F3, 61}, {F4, 62}, {F5, 63}, {F6, 64}, {F7, 65}, {F8, 66}, {F9, 67},
    {F10, 68}, {F11, 87}, {F12, 88}, {F13, 183}, {F14, 184}, {F15, 185}, {F16, 186}, {F17, 187},
    {F18, 188}, {F19, 189}, {F20, 190},
    // Navigation
    {Home, 102}, {PageUp, 104}, {End, 107}, {PageDown, 109}, {LeftArrow, 105}, {RightArrow, 106},
    {DownArrow, 108}, {UpArrow, 103},
    // Keypad
    {KeypadClear, 69}, {KeypadDecimal, 83}, {KeypadMultiply, 55}, {KeypadPlus, 78},
    {KeypadDivide, 98}, {KeypadEnter, 96}, {KeypadMinus, 74}, {KeypadEquals, 117},
    {KeypadComma, 121}, {Keypad0, 82}, {Keypad1, 79}, {Keypad2, 80}, {Keypad3, 81}, {Keypad4, 75},
    {Keypad5, 76}, {Keypad6, 77}, {Keypad7, 71}, {Keypad8, 72}, {Keypad9, 73},
    // Media and language keys
    {VolumeUp, 115}, {VolumeDown, 114}, {Mute, 113}, {Kana, 122}, {Eisu, 123}
};
// clang-format on

constexpr quint16 none = 0xFFFF;

struct Lookup {
    std::array<quint16, 128> toEvdev{};
    std::array<quint16, 256> fromEvdev{};
    constexpr Lookup() {
        toEvdev.fill(none);
        fromEvdev.fill(none);
        for (const KeyRow& row : keyRows) {
            toEvdev[row.keyCode] = row.evdev;
            fromEvdev[row.evdev] = row.keyCode;
        }
    }
};

constexpr Lookup lookup;

} // namespace

std::optional<quint32> KeyboardLayout::evdevCode(quint32 keyCode) {
    if (keyCode >= lookup.toEvdev.size() || lookup.toEvdev[keyCode] == none)
        return std::nullopt;
    return lookup.toEvdev[keyCode];
}

std::optional<quint32> KeyboardLayout::keyCodeForEvdev(quint32 evdevCode) {
    if (evdevCode >= lookup.fromEvdev.size() || lookup.fromEvdev[evdevCode] == none)
        return std::nullopt;
    return lookup.fromEvdev[evdevCode];
}

std::optional<quint32> KeyboardLayout::keyCodeForNativeScanCode(quint32 scanCode) {
    if (scanCode < 8)
        return std::nullopt;
    return keyCodeForEvdev(scanCode - 8);
}

} // namespace dexaro
