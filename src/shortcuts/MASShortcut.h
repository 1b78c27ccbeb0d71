#pragma once
// A keyboard shortcut: a positional key code (see KeyboardLayout) and modifier
// flags. Immutable; compares and hashes by value, so it can key a hash.
//
// Stored form: entries "KeyCode" (-1 for no key) and "ModifierFlags".
#include <QString>
#include <QVariantMap>
#include <cstdint>
#include <functional>
#include <optional>

class QKeyEvent;

namespace dexaro {

class KeyboardLayout;

class MASShortcut {
public:
    // No key: the largest signed 64-bit value.
    static constexpr quint64 NSNotFound = 0x7FFFFFFFFFFFFFFFull;
    // Key events and hot keys carry 16-bit key codes.
    static constexpr quint64 EventKeyCodeMask = 0xFFFF;

    enum ModifierFlag : quint64 {
        ShiftFlag = 0x20000,
        ControlFlag = 0x40000,
        OptionFlag = 0x80000,
        CommandFlag = 0x100000,
        FunctionFlag = 0x800000,
        // The four flags a shortcut keeps.
        DeviceIndependentFlagsMask = ShiftFlag | ControlFlag | OptionFlag | CommandFlag,
        // The flags that tell menu key equivalents apart.
        KeyEquivalentFlagsMask = DeviceIndependentFlagsMask | FunctionFlag,
    };

    // Keeps the key code; keeps only the four modifier bits of the flags.
    MASShortcut(quint64 keyCode, quint64 modifierFlags);
    static MASShortcut shortcutWithKeyCode(quint64 keyCode, quint64 modifierFlags) {
        return MASShortcut(keyCode, modifierFlags);
    }
    // From a key press or release (modifier keys included): the key by its
    // native scan code (by its Qt key when the event has none), the flags by
    // key position (Ctrl = Control, Alt = Option, Shift, Meta = Command) as
    // they are once the event is handled.
    static MASShortcut shortcutWithEvent(const QKeyEvent& event);

    quint64 keyCode() const { return m_keyCode; }
    quint64 modifierFlags() const { return m_modifierFlags; }

    // Event-manager form: key code 0 for no key; Command 0x100, Shift 0x200,
    // Option 0x800, Control 0x1000.
    quint32 carbonKeyCode() const;
    quint32 carbonFlags() const;

    // The names of the flags that are set, each followed by "+", in the order
    // Ctrl, Alt, Shift, Super: "Ctrl+Alt+" (shown while a shortcut is typed).
    QString modifierFlagsString() const;
    // The key's display name: a fixed name ("Return", "Page Up", "F5"), else what the key types in
    // the current layout, upper-cased; empty for no key or an unknown key.
    QString keyCodeString() const;
    QString keyCodeString(KeyboardLayout& layout) const;
    // The key as a menu key-equivalent character.
    QString keyCodeStringForKeyEquivalent() const;
    QString keyCodeStringForKeyEquivalent(KeyboardLayout& layout) const;
    // The shortcut as shown to a person: modifier names and the key name joined
    // by "+", e.g. "Ctrl+Alt+Super+K", "Shift+Page Up"; modifiers alone without
    // the last "+".
    QString description() const;
    QString description(KeyboardLayout& layout) const;

    bool operator==(const MASShortcut& other) const = default;
    size_t hash() const { return size_t(m_keyCode + m_modifierFlags); }

    // Stored form.
    QVariantMap encode() const;
    // nullopt when an entry is missing or not an integer; a negative key code
    // means no key; the flags are taken as stored (unmasked).
    static std::optional<MASShortcut> decode(const QVariantMap& entries);

private:
    struct Unmasked {};
    MASShortcut(Unmasked, quint64 keyCode, quint64 modifierFlags)
        : m_keyCode(keyCode), m_modifierFlags(modifierFlags) {}

    quint64 m_keyCode;
    quint64 m_modifierFlags;
};

inline size_t qHash(const MASShortcut& shortcut, size_t seed = 0) {
    return shortcut.hash() ^ seed;
}

} // namespace dexaro

template <> struct std::hash<dexaro::MASShortcut> {
    size_t operator()(const dexaro::MASShortcut& shortcut) const noexcept {
        return shortcut.hash();
    }
};
