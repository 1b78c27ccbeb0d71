#pragma once
// The fixed key and modifier tables that the shortcut value, the validator and
// the recorder share: function keys, key glyphs, menu key equivalents and
// modifiers (KeyTables.cpp adds the Qt keys of synthesized key events).
#include "platform/HotKeys.h"
#include "platform/KeyCodes.h"
#include "shortcuts/MASShortcut.h"

#include <QtCore/qnamespace.h>
#include <array>
#include <optional>

namespace dexaro::keytables {

// F1 to F20 in order: valid hot keys without modifiers. F1 to F19 are named
// "F1".."F19" and have the menu characters 0xF704 to 0xF716.
inline constexpr quint16 functionKeys[] = {keys::F1,  keys::F2,  keys::F3,  keys::F4,  keys::F5,
                                           keys::F6,  keys::F7,  keys::F8,  keys::F9,  keys::F10,
                                           keys::F11, keys::F12, keys::F13, keys::F14, keys::F15,
                                           keys::F16, keys::F17, keys::F18, keys::F19, keys::F20};
inline constexpr int namedFunctionKeys = 19;
inline constexpr char16_t firstFunctionKeyEquivalent = 0xF704;

// Keys shown by a fixed glyph rather than by what they type (Space has a
// localized name instead).
struct KeyGlyph {
    quint16 keyCode;
    char16_t glyph;
};
inline constexpr KeyGlyph keyGlyphs[] = {
    {keys::Return, u'↩'},        {keys::Tab, u'⇥'},           {keys::Delete, u'⌫'},
    {keys::Escape, u'⎋'},        {keys::KeypadClear, u'⌧'},   {keys::KeypadEnter, u'⌅'},
    {keys::Help, u'?'},          {keys::Home, u'↖'},          {keys::PageUp, u'⇞'},
    {keys::ForwardDelete, u'⌦'}, {keys::End, u'↘'},           {keys::PageDown, u'⇟'},
    {keys::LeftArrow, u'←'},     {keys::RightArrow, u'→'},    {keys::DownArrow, u'↓'},
    {keys::UpArrow, u'↑'},       {keys::KeypadDecimal, u'.'}, {keys::KeypadMultiply, u'*'},
    {keys::KeypadPlus, u'+'},    {keys::KeypadDivide, u'/'},  {keys::KeypadMinus, u'-'},
    {keys::KeypadEquals, u'='},  {keys::Keypad0, u'0'},       {keys::Keypad1, u'1'},
    {keys::Keypad2, u'2'},       {keys::Keypad3, u'3'},       {keys::Keypad4, u'4'},
    {keys::Keypad5, u'5'},       {keys::Keypad6, u'6'},       {keys::Keypad7, u'7'},
    {keys::Keypad8, u'8'},       {keys::Keypad9, u'9'}};

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
    char16_t glyph;
    std::array<quint16, 2> keyCodes; // the left and right modifier keys
};
// clang-format off
inline constexpr Modifier modifiers[] = {
    {MASShortcut::ControlFlag, Qt::ControlModifier, HotKeys::CarbonControl, u'⌃',
     {keys::Control, keys::RightControl}},
    {MASShortcut::OptionFlag, Qt::AltModifier, HotKeys::CarbonOption, u'⌥',
     {keys::Option, keys::RightOption}},
    {MASShortcut::ShiftFlag, Qt::ShiftModifier, HotKeys::CarbonShift, u'⇧',
     {keys::Shift, keys::RightShift}},
    {MASShortcut::CommandFlag, Qt::MetaModifier, HotKeys::CarbonCommand, u'⌘',
     {keys::Command, keys::RightCommand}}
};
// clang-format on

// Position in functionKeys; nullopt for other keys.
std::optional<int> functionKeyIndex(quint64 keyCode);
inline bool isFunctionKey(quint64 keyCode) {
    return functionKeyIndex(keyCode).has_value();
}
std::optional<char16_t> glyph(quint64 keyCode);
// The menu character of a key that types none (F1 to F19 included).
std::optional<char16_t> keyEquivalent(quint64 keyCode);
std::optional<char16_t> keyEquivalentOfQtKey(int qtKey);
// The key code of a Qt key, for key events that carry no scan code.
std::optional<quint16> keyCodeOfQtKey(int qtKey);
// The flag a modifier key stands for; 0 for other keys (Caps Lock included).
quint64 flagOfModifierKey(quint64 keyCode);
quint64 flagsOfQtModifiers(Qt::KeyboardModifiers modifiers);

} // namespace dexaro::keytables
