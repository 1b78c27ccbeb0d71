// The shared key tables: the shortcut value and the validator read the same
// rows, and every key in them exists on the keyboard.
#include "shortcuts/KeyTables.h"
#include "platform/KeyboardLayout.h"
#include "shortcuts/MASShortcutValidator.h"
#include "support/FakeHotKeys.h"

#include <QAction>
#include <QMenu>
#include <gtest/gtest.h>

using namespace dexaro;

namespace {

// A menu item with key | Ctrl takes Control plus the key, as the recorder sees it.
bool menuKeyTakes(int qtKey, quint64 keyCode) {
    QMenu menu;
    menu.addAction(QStringLiteral("Item"))
        ->setShortcut(QKeyCombination(Qt::ControlModifier, Qt::Key(qtKey)));
    test::FakeHotKeys hotKeys;
    MASShortcutValidator validator(hotKeys, {});
    return validator.isShortcutAlreadyTakenInMenu(MASShortcut(keyCode, MASShortcut::ControlFlag),
                                                  MASShortcutValidator::menuInfo(menu.actions()));
}

TEST(KeyTables, FunctionKeysRoundTrip) {
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
}

TEST(KeyTables, MenuKeysMatchTheirShortcuts) {
    for (const keytables::KeyEquivalent& row : keytables::keyEquivalents) {
        SCOPED_TRACE(row.keyCode);
        EXPECT_TRUE(KeyboardLayout::evdevCode(row.keyCode));
        EXPECT_TRUE(menuKeyTakes(row.qtKey, row.keyCode));
        if (row.otherQtKey != Qt::Key_unknown) {
            EXPECT_TRUE(menuKeyTakes(row.otherQtKey, row.keyCode));
        }
    }
    for (const keytables::KeyGlyph& row : keytables::keyGlyphs) {
        SCOPED_TRACE(row.keyCode);
        EXPECT_TRUE(KeyboardLayout::evdevCode(row.keyCode));
    }
}

TEST(KeyTables, ModifierKeysStandForTheirFlag) {
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
