#pragma once
// The fixed key and modifier tables that the shortcut value, the validator and
// the recorder share: function keys, key names, menu key equivalents and
// modifiers (KeyTables.cpp adds the Qt keys of synthesized key events).
#include "platform/HotKeys.h"
#include "platform/KeyCodes.h"
#include "shortcuts/MASShortcut.h"

#include <QtCore/qnamespace.h>
#include <array>
#include <optional>

namespace dexaro::keytables {

// F1 to F20 in order: valid hot keys without modifiers, named "F1".."F20".
// F1 to F19 have the menu characters 0xF704 to 0xF716.
inline constexpr quint16 functionKeys[] = {keys::F1,  keys::F2,  keys::F3,  keys::F4,  keys::F5,
                                           keys::F6,  keys::F7,  keys::F8,  keys::F9,  keys::F10,
                                           keys::F11, keys::F12, keys::F13, keys::F14, keys::F15,
                                           keys::F16, keys::F17, keys::F18, keys::F19, keys::F20};
inline constexpr int menuFunctionKeys = 19;
inline constexpr char16_t firstFunctionKeyEquivalent = 0xF704;

// Keys shown by a fixed name rather than by what they type, the way Linux
// desktops name them (Space is looked up among the control's texts instead).
struct KeyName {
    quint16 keyCode;
    const char* name;
};
// clang-format off
inline constexpr KeyName keyNames[] = {
    {keys::Return, "Return"},            {keys::Tab, "Tab"},
    {keys::Delete, "Backspace"},         {keys::Escape, "Esc"},
    {keys::KeypadClear, "Num Lock"},     {keys::KeypadEnter, "Keypad Enter"},
    {keys::Help, "Insert"},              {keys::Home, "Home"},
    {keys::PageUp, "Page Up"},           {keys::ForwardDelete, "Delete"},
    {keys::End, "End"},                  {keys::PageDown, "Page Down"},
    {keys::LeftArrow, "Left"},           {keys::RightArrow, "Right"},
    {keys::DownArrow, "Down"},           {keys::UpArrow, "Up"},
    {keys::KeypadDecimal, "Keypad ."},   {keys::KeypadMultiply, "Keypad *"},
    {keys::KeypadPlus, "Keypad +"},      {keys::KeypadDivide, "Keypad /"},
    {keys::KeypadMinus, "Keypad -"},     {keys::KeypadEquals, "Keypad ="},
    {keys::Keypad0, "Keypad 0"},         {keys::Keypad1, "Keypad 1"},
    {keys::Keypad2, "Keypad 2"},         {keys::Keypad3, "Keypad 3"},
    {keys::Keypad4, "Keypad 4"},         {keys::Keypad5, "Keypad 5"},
    {keys::Keypad6, "Keypad 6"},         {keys::Keypad7, "Keypad 7"},
    {keys::Keypad8, "Keypad 8"},         {keys::Keypad9, "Keypad 9"}};
// clang-format on

// Menu key-equivalent characters of keys that do not type one (besides F1 to
// F19), and the Qt keys by which a menu shortcut names them.
struct KeyEquivalent {
    quint16 keyCode;
    char16_t character;
    Qt::Key qtKey;
    Qt::Key otherQtKey = Qt::Key_unknown;
};
inline constexpr KeyEquivalent keyEquivalents[] = {
    {keys::Return, u'\r', Qt::Key_Return, Qt::Key_Enter},
    {keys::Tab, u'\t', Qt::Key_Tab},
    {keys::Space, u' ', Qt::Key_Space},
    {keys::Delete, u'\b', Qt::Key_Backspace},
    {keys::Escape, u'\x1b', Qt::Key_Escape},
    {keys::UpArrow, 0xF700, Qt::Key_Up},
    {keys::DownArrow, 0xF701, Qt::Key_Down},
    {keys::LeftArrow, 0xF702, Qt::Key_Left},
    {keys::RightArrow, 0xF703, Qt::Key_Right},
    {keys::ForwardDelete, 0xF728, Qt::Key_Delete},
    {keys::Home, 0xF729, Qt::Key_Home},
    {keys::End, 0xF72B, Qt::Key_End},
    {keys::PageUp, 0xF72C, Qt::Key_PageUp},
    {keys::PageDown, 0xF72D, Qt::Key_PageDown},
    {keys::Help, 0xF746, Qt::Key_Help, Qt::Key_Insert}};

// Modifiers in display order, by key position: Ctrl is Control, Alt is Option,
// Meta (Super) is Command.
struct Modifier {
    MASShortcut::ModifierFlag flag;
    Qt::KeyboardModifier qt;
    HotKeys::CarbonModifier carbon;
    const char* name;                // as shown: "Ctrl+Alt+M"
    std::array<quint16, 2> keyCodes; // the left and right modifier keys
};
// clang-format off
inline constexpr Modifier modifiers[] = {
    {MASShortcut::ControlFlag, Qt::ControlModifier, HotKeys::CarbonControl, "Ctrl",
     {keys::Control, keys::RightControl}},
    {MASShortcut::OptionFlag, Qt::AltModifier, HotKeys::CarbonOption, "Alt",
     {keys::Option, keys::RightOption}},
    {MASShortcut::ShiftFlag, Qt::ShiftModifier, HotKeys::CarbonShift, "Shift",
     {keys::Shift, keys::RightShift}},
    {MASShortcut::CommandFlag, Qt::MetaModifier, HotKeys::CarbonCommand, "Super",
     {keys::Command, keys::RightCommand}}
};
// clang-format on

// Position in functionKeys; nullopt for other keys.
std::optional<int> functionKeyIndex(quint64 keyCode);
inline bool isFunctionKey(quint64 keyCode) {
    return functionKeyIndex(keyCode).has_value();
}
// The fixed name of a key; nullptr for keys named by what they type.
const char* keyName(quint64 keyCode);
// The menu character of a key that types none (F1 to F19 included).
std::optional<char16_t> keyEquivalent(quint64 keyCode);
std::optional<char16_t> keyEquivalentOfQtKey(int qtKey);
// The key code of a Qt key, for key events that carry no scan code.
std::optional<quint16> keyCodeOfQtKey(int qtKey);
// The flag a modifier key stands for; 0 for other keys (Caps Lock included).
quint64 flagOfModifierKey(quint64 keyCode);
quint64 flagsOfQtModifiers(Qt::KeyboardModifiers modifiers);

} // namespace dexaro::keytables
