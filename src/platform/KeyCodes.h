#pragma once
// Dexaro's key codes: fixed numbers that name keys by their position on a US
// keyboard, whatever the layout. Stored shortcuts hold these numbers, so they
// never change. KeyboardLayout maps them to Linux input (evdev) codes.
#include <QtGlobal>

namespace dexaro::keys {

// Letters and digits
inline constexpr quint16 A = 0, S = 1, D = 2, F = 3, H = 4, G = 5, Z = 6, X = 7, C = 8, V = 9,
                         B = 11, Q = 12, W = 13, E = 14, R = 15, Y = 16, T = 17, O = 31, U = 32,
                         I = 34, P = 35, L = 37, J = 38, K = 40, N = 45, M = 46;
inline constexpr quint16 Digit1 = 18, Digit2 = 19, Digit3 = 20, Digit4 = 21, Digit5 = 23,
                         Digit6 = 22, Digit7 = 26, Digit8 = 28, Digit9 = 25, Digit0 = 29;
// Punctuation
inline constexpr quint16 Equal = 24, Minus = 27, RightBracket = 30, LeftBracket = 33, Quote = 39,
                         Semicolon = 41, Backslash = 42, Comma = 43, Slash = 44, Period = 47,
                         Grave = 50, IsoSection = 10, Yen = 93, Ro = 94;
// Editing and whitespace: Delete is the backspace key, ForwardDelete the one
// labelled Delete; Insert sits where the Help key is.
inline constexpr quint16 Return = 36, Tab = 48, Space = 49, Delete = 51, Escape = 53,
                         ForwardDelete = 117, Help = 114;
// Modifiers: Command is the Super (Windows) key, Option the Alt key.
inline constexpr quint16 RightCommand = 54, Command = 55, Shift = 56, CapsLock = 57, Option = 58,
                         Control = 59, RightShift = 60, RightOption = 61, RightControl = 62,
                         ContextMenu = 110;
// Function keys
inline constexpr quint16 F1 = 122, F2 = 120, F3 = 99, F4 = 118, F5 = 96, F6 = 97, F7 = 98, F8 = 100,
                         F9 = 101, F10 = 109, F11 = 103, F12 = 111, F13 = 105, F14 = 107, F15 = 113,
                         F16 = 106, F17 = 64, F18 = 79, F19 = 80, F20 = 90;
// Navigation
inline constexpr quint16 Home = 115, PageUp = 116, End = 119, PageDown = 121, LeftArrow = 123,
                         RightArrow = 124, DownArrow = 125, UpArrow = 126;
// Keypad: Clear is the Num Lock key's position.
inline constexpr quint16 KeypadClear = 71, KeypadDecimal = 65, KeypadMultiply = 67, KeypadPlus = 69,
                         KeypadDivide = 75, KeypadEnter = 76, KeypadMinus = 78, KeypadEquals = 81,
                         KeypadComma = 95, Keypad0 = 82, Keypad1 = 83, Keypad2 = 84, Keypad3 = 85,
                         Keypad4 = 86, Keypad5 = 87, Keypad6 = 88, Keypad7 = 89, Keypad8 = 91,
                         Keypad9 = 92;
// Media and language keys
inline constexpr quint16 VolumeUp = 72, VolumeDown = 73, Mute = 74, Kana = 104, Eisu = 102;

} // namespace dexaro::keys
