// The shortcut value and the key tables it shares with the validator:
// masking, event-manager form, stored form, the text a person sees. Key events
// are the recorder test's (KeysWhileRecording) and x11_authoring's, which types
// a shortcut into the Creator's recorder; menu characters are the validator
// test's (TakenByDexarosOwnMenus).
#include "shortcuts/MASShortcut.h"
#include "platform/KeyCodes.h"
#include "platform/KeyboardLayout.h"
#include "shortcuts/KeyTables.h"

#include <gtest/gtest.h>

using namespace dexaro;

namespace {

constexpr quint64 Shift = MASShortcut::ShiftFlag;
constexpr quint64 Control = MASShortcut::ControlFlag;
constexpr quint64 Option = MASShortcut::OptionFlag;
constexpr quint64 none = MASShortcut::NSNotFound;

TEST(MASShortcut, FlagsAreMaskedAndConverted) {
    const struct {
        quint64 flags, kept;
        quint32 carbon;
        const char* names;
    } rows[] = {
        {0x1E0100, 0x1E0000, 0x1B00, "Ctrl+Alt+Shift+Super+"}, // extra bits dropped
        {Shift | Option, Shift | Option, 0xA00, "Alt+Shift+"},
        {0x10000 | 0x800000 | Shift, Shift, 0x200, "Shift+"}, // caps lock and fn dropped
    };
    for (const auto& row : rows) {
        const MASShortcut shortcut(keys::K, row.flags);
        EXPECT_EQ(std::tuple(shortcut.modifierFlags(), shortcut.carbonFlags(),
                             shortcut.modifierFlagsString()),
                  std::tuple(row.kept, row.carbon, QString::fromUtf8(row.names)))
            << row.flags;
    }
}

// Shown the way Linux desktops show shortcuts: modifier names in the order
// Ctrl, Alt, Shift, Super, then the key's name, joined by "+". Letters and
// signs are the US layout's, the one installed without a display. The rows are
// the keys whose Linux names differ from the key codes' (F keys: KeyTables).
TEST(MASShortcut, ShownWithModifierAndKeyNames) {
    constexpr quint64 Command = MASShortcut::CommandFlag;
    const struct {
        quint64 keyCode, flags;
        const char* shown;
    } rows[] = {
        {keys::K, Command | Shift | Option | Control, "Ctrl+Alt+Shift+Super+K"},
        {keys::RightArrow, Control | Option, "Ctrl+Alt+Right"},
        {keys::Delete, Control, "Ctrl+Backspace"},
        {keys::ForwardDelete, Control | Option, "Ctrl+Alt+Delete"},
        {keys::Help, Control, "Ctrl+Insert"},
        {keys::KeypadEnter, Control, "Ctrl+Keypad Enter"},
        {keys::Grave, Control, "Ctrl+`"},
        {none, Control | Shift, "Ctrl+Shift"}, // modifiers held while recording
        {none, 0, ""},
        {500, Control, "Ctrl"}, // a key outside the table has no name
    };
    for (const auto& row : rows) {
        EXPECT_EQ(MASShortcut(row.keyCode, row.flags).description(), QString::fromUtf8(row.shown))
            << row.keyCode;
    }
}

TEST(MASShortcut, StoredFormReadsBackAndRefusesDamage) {
    const struct {
        QVariant keyCode, flags; // invalid: the entry is missing
        std::optional<MASShortcut> decoded;
    } rows[] = {
        {"40", "786432", MASShortcut(keys::K, Control | Option)},
        {"-1", "262144", MASShortcut(none, Control)}, // minus one is no key
        {"500", "0", MASShortcut(500, 0)},            // a key outside the table is kept
        {{}, "0", std::nullopt},
        {"3", {}, std::nullopt},
        {"K", "0", std::nullopt},
        {QStringList{"1", "2"}, "0", std::nullopt},
        {"99999999999999999999", "0", std::nullopt},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.keyCode.toString().toStdString());
        QVariantMap entries;
        if (row.keyCode.isValid())
            entries.insert(QStringLiteral("KeyCode"), row.keyCode);
        if (row.flags.isValid())
            entries.insert(QStringLiteral("ModifierFlags"), row.flags);
        const auto decoded = MASShortcut::decode(entries);
        EXPECT_EQ(decoded, row.decoded);
        if (decoded) {
            EXPECT_EQ(MASShortcut::decode(decoded->encode()), decoded);
        }
    }
}

// Every key code of the shared tables exists and maps both ways without collisions.
TEST(KeyTables, EveryRowIsARealKeyReadTheSameEverywhere) {
    for (quint32 keyCode = 0; keyCode < 128; ++keyCode) {
        if (const auto evdev = KeyboardLayout::evdevCode(keyCode)) {
            EXPECT_LT(*evdev + 8, 256u) << keyCode; // fits an X11 key code
            EXPECT_EQ(KeyboardLayout::keyCodeForEvdev(*evdev), keyCode);
        }
    }

    QList<quint16> used;
    for (int i = 0; i < int(std::size(keytables::functionKeys)); ++i) {
        const quint16 keyCode = keytables::functionKeys[i];
        used.append(keyCode);
        EXPECT_EQ(keytables::keyCodeOfQtKey(Qt::Key_F1 + i), keyCode);
        EXPECT_EQ(MASShortcut(keyCode, 0).keyCodeString(), QStringLiteral("F%1").arg(i + 1));
    }
    for (const keytables::KeyEquivalent& row : keytables::keyEquivalents) {
        used.append(row.keyCode);
        EXPECT_EQ(keytables::keyCodeOfQtKey(row.qtKey), row.keyCode);
    }
    for (const keytables::KeyName& row : keytables::keyNames)
        used.append(row.keyCode);
    for (const keytables::Modifier& modifier : keytables::modifiers) {
        for (quint16 keyCode : modifier.keyCodes) {
            used.append(keyCode);
            EXPECT_EQ(keytables::flagOfModifierKey(keyCode), modifier.flag);
        }
        EXPECT_EQ(keytables::flagsOfQtModifiers(modifier.qt), modifier.flag);
    }
    for (const quint16 keyCode : used)
        EXPECT_TRUE(KeyboardLayout::evdevCode(keyCode)) << keyCode;
    EXPECT_EQ(keytables::flagOfModifierKey(keys::CapsLock), 0u);
}

} // namespace
