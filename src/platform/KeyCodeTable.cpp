// Dexaro's positional key codes and the Linux input (evdev) codes of the same
// keys, after the public key-code tables that browsers publish (one row per
// physical key: USB usage, evdev, XKB, Windows and Mac codes). X11 key code =
// evdev + 8.
#include "platform/KeyboardLayout.h"

#include <array>

namespace dexaro {
namespace {

struct KeyRow {
    quint16 keyCode;
    quint16 evdev;
};

constexpr KeyRow keyRows[] = {
    // Letters
    {0, 30},  // A
    {1, 31},  // S
    {2, 32},  // D
    {3, 33},  // F
    {4, 35},  // H
    {5, 34},  // G
    {6, 44},  // Z
    {7, 45},  // X
    {8, 46},  // C
    {9, 47},  // V
    {11, 48}, // B
    {12, 16}, // Q
    {13, 17}, // W
    {14, 18}, // E
    {15, 19}, // R
    {16, 21}, // Y
    {17, 20}, // T
    {31, 24}, // O
    {32, 22}, // U
    {34, 23}, // I
    {35, 25}, // P
    {37, 38}, // L
    {38, 36}, // J
    {40, 37}, // K
    {45, 49}, // N
    {46, 50}, // M
    // Digits
    {18, 2},  // 1
    {19, 3},  // 2
    {20, 4},  // 3
    {21, 5},  // 4
    {23, 6},  // 5
    {22, 7},  // 6
    {26, 8},  // 7
    {28, 9},  // 8
    {25, 10}, // 9
    {29, 11}, // 0
    // Punctuation
    {24, 13},  // Equal
    {27, 12},  // Minus
    {30, 27},  // BracketRight
    {33, 26},  // BracketLeft
    {39, 40},  // Quote
    {41, 39},  // Semicolon
    {42, 43},  // Backslash
    {43, 51},  // Comma
    {44, 53},  // Slash
    {47, 52},  // Period
    {50, 41},  // Backquote
    {10, 86},  // IntlBackslash (ISO section key)
    {93, 124}, // IntlYen
    {94, 89},  // IntlRo
    // Editing and whitespace
    {36, 28},   // Enter
    {48, 15},   // Tab
    {49, 57},   // Space
    {51, 14},   // Backspace
    {53, 1},    // Escape
    {117, 111}, // Delete
    {114, 110}, // Insert (the Help key's position)
    // Modifiers
    {54, 126},  // MetaRight
    {55, 125},  // MetaLeft
    {56, 42},   // ShiftLeft
    {57, 58},   // CapsLock
    {58, 56},   // AltLeft
    {59, 29},   // ControlLeft
    {60, 54},   // ShiftRight
    {61, 100},  // AltRight
    {62, 97},   // ControlRight
    {110, 127}, // ContextMenu
    // Function keys
    {122, 59},  // F1
    {120, 60},  // F2
    {99, 61},   // F3
    {118, 62},  // F4
    {96, 63},   // F5
    {97, 64},   // F6
    {98, 65},   // F7
    {100, 66},  // F8
    {101, 67},  // F9
    {109, 68},  // F10
    {103, 87},  // F11
    {111, 88},  // F12
    {105, 183}, // F13
    {107, 184}, // F14
    {113, 185}, // F15
    {106, 186}, // F16
    {64, 187},  // F17
    {79, 188},  // F18
    {80, 189},  // F19
    {90, 190},  // F20
    // Navigation
    {115, 102}, // Home
    {116, 104}, // PageUp
    {119, 107}, // End
    {121, 109}, // PageDown
    {123, 105}, // ArrowLeft
    {124, 106}, // ArrowRight
    {125, 108}, // ArrowDown
    {126, 103}, // ArrowUp
    // Keypad
    {71, 69},  // NumLock (keypad Clear position)
    {65, 83},  // NumpadDecimal
    {67, 55},  // NumpadMultiply
    {69, 78},  // NumpadAdd
    {75, 98},  // NumpadDivide
    {76, 96},  // NumpadEnter
    {78, 74},  // NumpadSubtract
    {81, 117}, // NumpadEqual
    {95, 121}, // NumpadComma
    {82, 82},  // Numpad0
    {83, 79},  // Numpad1
    {84, 80},  // Numpad2
    {85, 81},  // Numpad3
    {86, 75},  // Numpad4
    {87, 76},  // Numpad5
    {88, 77},  // Numpad6
    {89, 71},  // Numpad7
    {91, 72},  // Numpad8
    {92, 73},  // Numpad9
    // Media and language keys
    {72, 115},  // AudioVolumeUp
    {73, 114},  // AudioVolumeDown
    {74, 113},  // AudioVolumeMute
    {104, 122}, // Lang1 (Kana)
    {102, 123}, // Lang2 (Eisu)
};

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
