#include "shortcuts/KeyTables.h"

#include <algorithm>

namespace dexaro::keytables {
namespace {
using namespace keys;

// Qt::Key_A..Key_Z and Key_0..Key_9 in order.
constexpr quint16 letterKeys[] = {A, B, C, D, E, F, G, H, I, J, K, L, M,
                                  N, O, P, Q, R, S, T, U, V, W, X, Y, Z};
constexpr quint16 digitKeys[] = {Digit0, Digit1, Digit2, Digit3, Digit4,
                                 Digit5, Digit6, Digit7, Digit8, Digit9};

struct QtKey {
    Qt::Key qtKey;
    quint16 keyCode;
};
// The other keys of synthesized key events.
// clang-format off
constexpr QtKey qtKeys[] = {
    {Qt::Key_Escape, Escape}, {Qt::Key_Tab, Tab}, {Qt::Key_Backtab, Tab}, {Qt::Key_Return, Return},
    {Qt::Key_Enter, KeypadEnter}, {Qt::Key_Space, Space}, {Qt::Key_Backspace, Delete},
    {Qt::Key_Delete, ForwardDelete}, {Qt::Key_Insert, Help}, {Qt::Key_Help, Help},
    {Qt::Key_Home, Home}, {Qt::Key_End, End}, {Qt::Key_PageUp, PageUp},
    {Qt::Key_PageDown, PageDown}, {Qt::Key_Left, LeftArrow}, {Qt::Key_Right, RightArrow},
    {Qt::Key_Down, DownArrow}, {Qt::Key_Up, UpArrow}, {Qt::Key_Minus, Minus},
    {Qt::Key_Equal, Equal}, {Qt::Key_BracketLeft, LeftBracket},
    {Qt::Key_BracketRight, RightBracket}, {Qt::Key_Semicolon, Semicolon},
    {Qt::Key_Apostrophe, Quote}, {Qt::Key_QuoteLeft, Grave}, {Qt::Key_Backslash, Backslash},
    {Qt::Key_Comma, Comma}, {Qt::Key_Period, Period}, {Qt::Key_Slash, Slash},
    {Qt::Key_Shift, Shift}, {Qt::Key_Control, Control}, {Qt::Key_Alt, Option},
    {Qt::Key_Meta, Command}, {Qt::Key_Super_L, Command}, {Qt::Key_Super_R, RightCommand},
    {Qt::Key_CapsLock, CapsLock}};
// clang-format on

template <typename Row, size_t N, typename Match>
const Row* find(const Row (&rows)[N], Match match) {
    const Row* row = std::find_if(rows, rows + N, match);
    return row == rows + N ? nullptr : row;
}

} // namespace

std::optional<int> functionKeyIndex(quint64 keyCode) {
    const quint16* key = find(functionKeys, [&](quint16 k) { return k == keyCode; });
    return key ? std::optional<int>(int(key - functionKeys)) : std::nullopt;
}

const char* keyName(quint64 keyCode) {
    const KeyName* row = find(keyNames, [&](const KeyName& r) { return r.keyCode == keyCode; });
    return row ? row->name : nullptr;
}

std::optional<char16_t> keyEquivalent(quint64 keyCode) {
    if (const auto index = functionKeyIndex(keyCode); index && *index < menuFunctionKeys)
        return char16_t(firstFunctionKeyEquivalent + *index);
    const KeyEquivalent* row =
        find(keyEquivalents, [&](const KeyEquivalent& r) { return r.keyCode == keyCode; });
    return row ? std::optional(row->character) : std::nullopt;
}

std::optional<char16_t> keyEquivalentOfQtKey(int qtKey) {
    if (qtKey >= Qt::Key_F1 && qtKey < Qt::Key_F1 + menuFunctionKeys)
        return char16_t(firstFunctionKeyEquivalent + (qtKey - Qt::Key_F1));
    const KeyEquivalent* row = find(keyEquivalents, [&](const KeyEquivalent& r) {
        return r.qtKey == qtKey || r.otherQtKey == qtKey;
    });
    return row ? std::optional(row->character) : std::nullopt;
}

std::optional<quint16> keyCodeOfQtKey(int qtKey) {
    if (qtKey >= Qt::Key_A && qtKey <= Qt::Key_Z)
        return letterKeys[qtKey - Qt::Key_A];
    if (qtKey >= Qt::Key_0 && qtKey <= Qt::Key_9)
        return digitKeys[qtKey - Qt::Key_0];
    if (qtKey >= Qt::Key_F1 && qtKey < Qt::Key_F1 + int(std::size(functionKeys)))
        return functionKeys[qtKey - Qt::Key_F1];
    const QtKey* row = find(qtKeys, [&](const QtKey& r) { return r.qtKey == qtKey; });
    return row ? std::optional(row->keyCode) : std::nullopt;
}

quint64 flagOfModifierKey(quint64 keyCode) {
    const Modifier* row = find(modifiers, [&](const Modifier& m) {
        return m.keyCodes[0] == keyCode || m.keyCodes[1] == keyCode;
    });
    return row ? quint64(row->flag) : 0;
}

quint64 flagsOfQtModifiers(Qt::KeyboardModifiers qtModifiers) {
    quint64 flags = 0;
    for (const Modifier& modifier : modifiers) {
        if (qtModifiers & modifier.qt)
            flags |= modifier.flag;
    }
    return flags;
}

} // namespace dexaro::keytables
