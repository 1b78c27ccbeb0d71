// Which shortcuts the recorder accepts, and which are taken.
#include "shortcuts/MASShortcutValidator.h"
#include "platform/KeyCodes.h"
#include "support/FakeHotKeys.h"

#include <QAction>
#include <QMenu>
#include <gtest/gtest.h>

using namespace dexaro;
using dexaro::test::FakeHotKeys;

namespace {

constexpr quint64 Shift = MASShortcut::ShiftFlag;
constexpr quint64 Control = MASShortcut::ControlFlag;
constexpr quint64 Option = MASShortcut::OptionFlag;
constexpr quint64 Command = MASShortcut::CommandFlag;

TEST(MASShortcutValidator, Validity) {
    struct Row {
        const char* name;
        quint64 keyCode, flags;
        bool valid;
    };
    const Row rows[] = {
        {"F5 alone", keys::F5, 0, true},
        {"F1 with shift", keys::F1, Shift, true},
        {"A alone", keys::A, 0, false},
        {"shift A", keys::A, Shift, false},
        {"control A", keys::A, Control, true},
        {"all four K", keys::K, Control | Option | Shift | Command, true},
        {"option space", keys::Space, Option, true},
        {"option escape", keys::Escape, Option, true},
        {"option A", keys::A, Option, false},
        {"escape alone", keys::Escape, 0, false},
    };
    FakeHotKeys hotKeys;
    MASShortcutValidator validator(hotKeys, {});
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        EXPECT_EQ(validator.isShortcutValid(MASShortcut(row.keyCode, row.flags)), row.valid);
    }
    validator.allowAnyShortcutWithOptionModifier = true;
    EXPECT_TRUE(validator.isShortcutValid(MASShortcut(keys::A, Option)));
    EXPECT_FALSE(validator.isShortcutValid(MASShortcut(keys::A, Shift)));
}

MenuItemInfo item(const char* title, const char* keyEquivalent, quint64 mask) {
    return {QString::fromUtf8(title), QString::fromUtf8(keyEquivalent), mask, nullptr};
}

TEST(MASShortcutValidator, MenuConflicts) {
    struct Row {
        const char* name;
        MenuItemInfo item;
        quint64 keyCode, flags;
        bool taken;
    };
    const Row rows[] = {
        {"lower-case s, command-S", item("Save", "s", Command), keys::S, Command, true},
        {"lower-case s, shift-command-S", item("Save", "s", Command), keys::S, Command | Shift,
         false},
        {"upper-case S means shift", item("Save As", "S", Command), keys::S, Command | Shift, true},
        {"upper-case S is not command-S", item("Save As", "S", Command), keys::S, Command, false},
        {"upper-case S with shift in mask", item("Save As", "S", Command | Shift), keys::S,
         Command | Shift, true},
        {"other modifiers", item("Save", "s", Control), keys::S, Command, false},
        {"function-key bit counts", item("Save", "s", Command | 0x800000), keys::S, Command, false},
        {"caps-lock bit ignored", item("Save", "s", Command | 0x10000), keys::S, Command, true},
        {"escape character", item("Stop", "\x1b", Command), keys::Escape, Command, true},
        {"F1 character", item("Help", "\uF704", 0), keys::F1, 0, true},
    };
    FakeHotKeys hotKeys;
    MASShortcutValidator validator(hotKeys, {});
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        MenuInfo menu;
        menu.items = {row.item};
        QString explanation;
        EXPECT_EQ(validator.isShortcutAlreadyTakenInMenu(MASShortcut(row.keyCode, row.flags), menu,
                                                         &explanation),
                  row.taken);
        EXPECT_EQ(explanation.contains(u'‘' + row.item.title + u'’'), row.taken);
    }

    // Submenus count; the services menu only until overriding it is allowed.
    auto services = std::make_shared<MenuInfo>();
    services->isServicesMenu = true;
    services->items = {item("Look Up", "l", Command)};
    auto file = std::make_shared<MenuInfo>();
    file->items = {item("Open", "o", Command)};
    MenuInfo main;
    main.items = {{QStringLiteral("File"), {}, 0, file},
                  {QStringLiteral("Services"), {}, 0, services}};
    EXPECT_TRUE(validator.isShortcutAlreadyTakenInMenu(MASShortcut(keys::O, Command), main));
    EXPECT_TRUE(validator.isShortcutAlreadyTakenInMenu(MASShortcut(keys::L, Command), main));
    validator.allowOverridingServicesShortcut = true;
    EXPECT_FALSE(validator.isShortcutAlreadyTakenInMenu(MASShortcut(keys::L, Command), main));
}

// Dexaro's own Qt menus, matched by key position (other clients' grabs: x11_shortcuts).
TEST(MASShortcutValidator, TakenBySystem) {
    QMenu menu;
    menu.addAction(QStringLiteral("&Close"))->setShortcut(QKeySequence(QStringLiteral("Ctrl+W")));
    menu.addAction(QStringLiteral("Keep"))->setShortcut(QKeySequence(QStringLiteral("Ctrl+Alt+J")));
    QMenu* sub = menu.addMenu(QStringLiteral("More"));
    sub->addAction(QStringLiteral("Export"))
        ->setShortcut(QKeySequence(QStringLiteral("Ctrl+Shift+E")));
    sub->addAction(QStringLiteral("Top"))->setShortcut(QKeySequence(QStringLiteral("Meta+Home")));
    FakeHotKeys hotKeys;
    MASShortcutValidator validator(
        hotKeys, [&] { return QList<MenuInfo>{MASShortcutValidator::menuInfo(menu.actions())}; });

    struct Row {
        const char* name;
        quint64 keyCode, flags;
        const char* explanation; // nullptr: free
    };
    const Row rows[] = {
        {"Ctrl+W, its mnemonic dropped", keys::W, Control, "‘Close’."},
        {"not held elsewhere: menus count", keys::J, Control | Option, "‘Keep’."},
        {"submenu", keys::E, Control | Shift, "‘Export’."},
        {"Meta is Command", keys::Home, Command, "‘Top’."},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        QString explanation;
        EXPECT_EQ(validator.isShortcutAlreadyTakenBySystem(MASShortcut(row.keyCode, row.flags),
                                                           &explanation),
                  row.explanation != nullptr);
        if (row.explanation) {
            EXPECT_TRUE(explanation.contains(QString::fromUtf8(row.explanation)))
                << explanation.toStdString();
        }
    }
}

} // namespace
