// The shortcut value and the key tables it shares with the validator:
// masking, event-manager form, key names, stored form, key events.
#include "shortcuts/MASShortcut.h"
#include "platform/KeyCodes.h"
#include "platform/KeyboardLayout.h"
#include "shortcuts/KeyTables.h"
#include "shortcuts/MASShortcutValidator.h"
#include "support/FakeHotKeys.h"

#include <QHash>
#include <QKeyEvent>
#include <QMenu>
#include <gtest/gtest.h>

using namespace dexaro;

namespace {

constexpr quint64 Shift = MASShortcut::ShiftFlag;
constexpr quint64 Control = MASShortcut::ControlFlag;
constexpr quint64 Option = MASShortcut::OptionFlag;
constexpr quint64 Command = MASShortcut::CommandFlag;
constexpr quint64 none = MASShortcut::NSNotFound;

TEST(MASShortcut, FlagsAreMaskedAndConverted) {
    struct Row {
        const char* name;
        quint64 flags, kept;
        quint32 carbon;
        const char* glyphs;
    };
    const Row rows[] = {
        {"none", 0, 0, 0, ""},
        {"extra bits dropped", 0x1E0100, 0x1E0000, 0x1B00, "⌃⌥⇧⌘"},
        {"shift option", Shift | Option, Shift | Option, 0xA00, "⌥⇧"},
        {"caps lock and fn dropped", 0x10000 | 0x800000 | Shift, Shift, 0x200, "⇧"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        const MASShortcut shortcut(keys::K, row.flags);
        EXPECT_EQ(shortcut.modifierFlags(), row.kept);
        EXPECT_EQ(shortcut.carbonFlags(), row.carbon);
        EXPECT_EQ(shortcut.modifierFlagsString(), QString::fromUtf8(row.glyphs));
    }
    // Equal once masked, so they key the same hot key.
    QHash<MASShortcut, int> table{{MASShortcut(keys::K, Control | Option), 1}};
    table.insert(MASShortcut(keys::K, Control | Option | 0x100), 2);
    EXPECT_EQ(table.size(), 1);
}

// Without a display the layout is US. Function keys: KeyTables below.
TEST(MASShortcut, KeyNamesAndMenuCharacters) {
    struct Row {
        quint64 keyCode;
        const char* name;
        const char* menuCharacter;
    };
    const Row rows[] = {
        {keys::Return, "↩", "\r"},
        {keys::Space, "Space", " "},
        {keys::Keypad0, "0", "0"},
        // What the layout types, upper-cased; the menu character in lower case.
        {keys::K, "K", "k"},
        {keys::Semicolon, ";", ";"},
        // Modifier keys, unassigned codes, codes outside the table and no key type nothing.
        {keys::Shift, "", ""},
        {52, "", ""},
        {500, "", ""},
        {none, "", ""},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.keyCode);
        const MASShortcut shortcut(row.keyCode, 0);
        EXPECT_EQ(shortcut.keyCodeString(), QString::fromUtf8(row.name));
        EXPECT_EQ(shortcut.keyCodeStringForKeyEquivalent(), QString::fromUtf8(row.menuCharacter));
    }
}

TEST(MASShortcut, StoredForm) {
    struct Row {
        const char* name;
        QVariant keyCode, flags; // invalid: the entry is missing
        std::optional<MASShortcut> decoded;
    };
    const Row rows[] = {
        {"as written", "40", "786432", MASShortcut(keys::K, Control | Option)},
        {"minus one is no key", "-1", "262144", MASShortcut(none, Control)},
        {"key outside the table kept", "500", "0", MASShortcut(500, 0)},
        {"no key code", {}, "0", std::nullopt},
        {"no flags", "3", {}, std::nullopt},
        {"key code not a number", "K", "0", std::nullopt},
        {"list value", QStringList{"1", "2"}, "0", std::nullopt},
        {"too large", "99999999999999999999", "0", std::nullopt},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        QVariantMap entries;
        if (row.keyCode.isValid())
            entries.insert(QStringLiteral("KeyCode"), row.keyCode);
        if (row.flags.isValid())
            entries.insert(QStringLiteral("ModifierFlags"), row.flags);
        const auto decoded = MASShortcut::decode(entries);
        EXPECT_EQ(decoded, row.decoded);
        // Written back and read again, it is the same shortcut.
        if (decoded) {
            EXPECT_EQ(MASShortcut::decode(decoded->encode()), decoded);
        }
    }
}

TEST(MASShortcut, FromKeyEvents) {
    struct Row {
        const char* name;
        QEvent::Type type;
        int key;
        Qt::KeyboardModifiers modifiers;
        quint32 scanCode; // X11 key code: evdev + 8
        quint64 keyCode, flags;
    };
    const Row rows[] = {
        {"by scan code", QEvent::KeyPress, Qt::Key_K, Qt::ControlModifier | Qt::AltModifier, 45,
         keys::K, Control | Option},
        {"no scan code: by Qt key", QEvent::KeyPress, Qt::Key_F5, {}, 0, keys::F5, 0},
        {"a modifier counts on press",
         QEvent::KeyPress,
         Qt::Key_Meta,
         {},
         0,
         keys::Command,
         Command},
        {"not on release", QEvent::KeyRelease, Qt::Key_Shift,
         Qt::ShiftModifier | Qt::ControlModifier, 0, keys::Shift, Control},
        {"unknown key", QEvent::KeyPress, Qt::Key_VolumeUp, {}, 0, none, 0},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        const QKeyEvent event(row.type, row.key, row.modifiers, row.scanCode, 0, 0);
        EXPECT_EQ(MASShortcut::shortcutWithEvent(event), MASShortcut(row.keyCode, row.flags));
    }
}

TEST(KeyCodeTable, MapsBothWaysWithoutCollisions) {
    int rows = 0;
    for (quint32 keyCode = 0; keyCode < 128; ++keyCode) {
        const auto evdev = KeyboardLayout::evdevCode(keyCode);
        if (!evdev)
            continue;
        ++rows;
        SCOPED_TRACE(keyCode);
        EXPECT_LT(*evdev + 8, 256u); // fits an X11 key code
        EXPECT_EQ(KeyboardLayout::keyCodeForEvdev(*evdev), keyCode);
    }
    EXPECT_GE(rows, 110);
    EXPECT_EQ(KeyboardLayout::keyCodeForNativeScanCode(38), keys::A);
    EXPECT_FALSE(KeyboardLayout::keyCodeForNativeScanCode(0));
}

// A menu item with key | Ctrl takes Control plus the key, as the recorder sees it.
bool menuKeyTakes(int qtKey, quint64 keyCode) {
    QMenu menu;
    menu.addAction(QStringLiteral("Item"))
        ->setShortcut(QKeyCombination(Qt::ControlModifier, Qt::Key(qtKey)));
    test::FakeHotKeys hotKeys;
    return MASShortcutValidator(hotKeys, {})
        .isShortcutAlreadyTakenInMenu(MASShortcut(keyCode, Control),
                                      MASShortcutValidator::menuInfo(menu.actions()));
}

// Every row of the shared tables names a key that exists, and reads the same
// through the shortcut value, the validator and the recorder.
TEST(KeyTables, EveryRowIsARealKeyReadTheSameEverywhere) {
    test::FakeHotKeys hotKeys;
    const MASShortcutValidator validator(hotKeys, {});
    for (int i = 0; i < int(std::size(keytables::functionKeys)); ++i) {
        const quint16 keyCode = keytables::functionKeys[i];
        SCOPED_TRACE(i + 1);
        EXPECT_TRUE(KeyboardLayout::evdevCode(keyCode));
        EXPECT_EQ(keytables::keyCodeOfQtKey(Qt::Key_F1 + i), keyCode);
        EXPECT_TRUE(validator.isShortcutValid(MASShortcut(keyCode, 0)));
        if (i < keytables::namedFunctionKeys) {
            EXPECT_EQ(MASShortcut(keyCode, 0).keyCodeString(), QStringLiteral("F%1").arg(i + 1));
            EXPECT_TRUE(menuKeyTakes(Qt::Key_F1 + i, keyCode));
        }
    }
    for (const keytables::KeyEquivalent& row : keytables::keyEquivalents) {
        SCOPED_TRACE(row.keyCode);
        EXPECT_TRUE(KeyboardLayout::evdevCode(row.keyCode));
        EXPECT_TRUE(menuKeyTakes(row.qtKey, row.keyCode));
        if (row.otherQtKey != Qt::Key_unknown) {
            EXPECT_TRUE(menuKeyTakes(row.otherQtKey, row.keyCode));
        }
    }
    for (const keytables::KeyGlyph& row : keytables::keyGlyphs)
        EXPECT_TRUE(KeyboardLayout::evdevCode(row.keyCode)) << row.keyCode;
    for (const keytables::Modifier& modifier : keytables::modifiers) {
        for (quint16 keyCode : modifier.keyCodes) {
            SCOPED_TRACE(keyCode);
            EXPECT_TRUE(KeyboardLayout::evdevCode(keyCode));
            EXPECT_EQ(keytables::flagOfModifierKey(keyCode), modifier.flag);
        }
        EXPECT_EQ(keytables::flagsOfQtModifiers(modifier.qt), modifier.flag);
    }
    EXPECT_EQ(keytables::flagOfModifierKey(keys::CapsLock), 0u);
}

} // namespace
