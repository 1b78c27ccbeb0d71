// Which shortcuts the recorder accepts, and which are taken.
#include "shortcuts/MASShortcutValidator.h"
#include "support/FakeHotKeys.h"

#include <QAction>
#include <QMenu>
#include <gtest/gtest.h>

using dexaro::MASShortcut;
using dexaro::MASShortcutValidator;
using dexaro::MenuInfo;
using dexaro::MenuItemInfo;
using dexaro::test::FakeHotKeys;

namespace {

constexpr quint64 Shift = MASShortcut::ShiftFlag;
constexpr quint64 Control = MASShortcut::ControlFlag;
constexpr quint64 Option = MASShortcut::OptionFlag;
constexpr quint64 Command = MASShortcut::CommandFlag;

struct ValidityRow {
    const char* name;
    quint64 keyCode;
    quint64 flags;
    bool valid;
};

TEST(MASShortcutValidator, Validity) {
    FakeHotKeys hotKeys;
    MASShortcutValidator validator(hotKeys, {});
    const ValidityRow rows[] = {
        {"F5 alone", 96, 0, true},
        {"F20 alone", 90, 0, true},
        {"F1 with shift", 122, Shift, true},
        {"A alone", 0, 0, false},
        {"shift A", 0, Shift, false},
        {"control A", 0, Control, true},
        {"command A", 0, Command, true},
        {"control option shift command K", 40, Control | Option | Shift | Command, true},
        {"option space", 49, Option, true},
        {"option escape", 53, Option, true},
        {"option shift space", 49, Option | Shift, true},
        {"option A", 0, Option, false},
        {"escape alone", 53, 0, false},
    };
    for (const ValidityRow& row : rows) {
        SCOPED_TRACE(row.name);
        EXPECT_EQ(validator.isShortcutValid(MASShortcut(row.keyCode, row.flags)), row.valid);
    }
    validator.allowAnyShortcutWithOptionModifier = true;
    EXPECT_TRUE(validator.isShortcutValid(MASShortcut(0, Option)));
    EXPECT_FALSE(validator.isShortcutValid(MASShortcut(0, Shift)));
}

MenuItemInfo item(const char* title, const char* keyEquivalent, quint64 mask) {
    return {QString::fromUtf8(title), QString::fromUtf8(keyEquivalent), mask, nullptr};
}

struct MenuRow {
    const char* name;
    MenuItemInfo item;
    quint64 keyCode;
    quint64 flags;
    bool taken;
};

TEST(MASShortcutValidator, MenuConflicts) {
    FakeHotKeys hotKeys;
    MASShortcutValidator validator(hotKeys, {});
    const MenuRow rows[] = {
        {"lower-case s, command-S", item("Save", "s", Command), 1, Command, true},
        {"lower-case s, shift-command-S", item("Save", "s", Command), 1, Command | Shift, false},
        {"upper-case S means shift", item("Save As", "S", Command), 1, Command | Shift, true},
        {"upper-case S is not command-S", item("Save As", "S", Command), 1, Command, false},
        {"upper-case S with shift in mask", item("Save As", "S", Command | Shift), 1,
         Command | Shift, true},
        {"other key", item("Quit", "q", Command), 1, Command, false},
        {"other modifiers", item("Save", "s", Control), 1, Command, false},
        {"function-key bit counts", item("Save", "s", Command | 0x800000), 1, Command, false},
        {"caps-lock bit ignored", item("Save", "s", Command | 0x10000), 1, Command, true},
        {"escape character", item("Stop", "\x1b", Command), 53, Command, true},
        {"F1 character", item("Help", "\uF704", 0), 122, 0, true},
        {"no key equivalent", item("About", "", 0), 0, 0, false},
    };
    for (const MenuRow& row : rows) {
        SCOPED_TRACE(row.name);
        MenuInfo menu;
        menu.items = {row.item};
        QString explanation;
        EXPECT_EQ(validator.isShortcutAlreadyTakenInMenu(MASShortcut(row.keyCode, row.flags), menu,
                                                         &explanation),
                  row.taken);
        if (row.taken) {
            EXPECT_EQ(explanation, QStringLiteral("This shortcut cannot be used because it is "
                                                  "already used by the menu item ‘%1’.")
                                       .arg(row.item.title));
        }
    }
}

TEST(MASShortcutValidator, SubmenusAndServices) {
    FakeHotKeys hotKeys;
    MASShortcutValidator validator(hotKeys, {});
    auto services = std::make_shared<MenuInfo>();
    services->isServicesMenu = true;
    services->items = {item("Look Up", "l", Command)};
    auto file = std::make_shared<MenuInfo>();
    file->items = {item("Open", "o", Command)};
    MenuInfo main;
    main.items = {{QStringLiteral("File"), {}, 0, file},
                  {QStringLiteral("Services"), {}, 0, services}};

    QString explanation;
    EXPECT_TRUE(
        validator.isShortcutAlreadyTakenInMenu(MASShortcut(31, Command), main, &explanation));
    EXPECT_TRUE(explanation.contains(QStringLiteral("‘Open’")));
    EXPECT_TRUE(validator.isShortcutAlreadyTakenInMenu(MASShortcut(37, Command), main));
    validator.allowOverridingServicesShortcut = true;
    EXPECT_FALSE(validator.isShortcutAlreadyTakenInMenu(MASShortcut(37, Command), main));
}

TEST(MASShortcutValidator, QtMenusByKeyPosition) {
    QMenu menu;
    menu.addAction(QStringLiteral("&Close"))->setShortcut(QKeySequence(QStringLiteral("Ctrl+W")));
    QMenu* sub = menu.addMenu(QStringLiteral("More"));
    sub->addAction(QStringLiteral("Export"))
        ->setShortcut(QKeySequence(QStringLiteral("Ctrl+Shift+E")));
    sub->addAction(QStringLiteral("Top"))->setShortcut(QKeySequence(QStringLiteral("Meta+Home")));

    FakeHotKeys hotKeys;
    MASShortcutValidator validator(
        hotKeys, [&] { return QList<MenuInfo>{MASShortcutValidator::menuInfo(menu.actions())}; });
    QString explanation;
    EXPECT_TRUE(validator.isShortcutAlreadyTakenBySystem(MASShortcut(13, Control), &explanation));
    EXPECT_TRUE(explanation.endsWith(QStringLiteral("‘Close’.")));
    EXPECT_TRUE(validator.isShortcutAlreadyTakenBySystem(MASShortcut(14, Control | Shift)));
    EXPECT_FALSE(validator.isShortcutAlreadyTakenBySystem(MASShortcut(14, Control)));
    EXPECT_TRUE(validator.isShortcutAlreadyTakenBySystem(MASShortcut(115, Command)));
    EXPECT_FALSE(validator.isShortcutAlreadyTakenBySystem(MASShortcut(13, Command)));
}

TEST(MASShortcutValidator, HeldByAnotherApplication) {
    FakeHotKeys hotKeys;
    hotKeys.takenByOthers.insert({40, 0x1800}); // Control-Option-K
    MenuInfo menu;
    menu.items = {item("Keep", "j", Control | Option)};
    MASShortcutValidator validator(hotKeys, [&] { return QList<MenuInfo>{menu}; });

    QString explanation;
    EXPECT_TRUE(
        validator.isShortcutAlreadyTakenBySystem(MASShortcut(40, Control | Option), &explanation));
    EXPECT_TRUE(explanation.startsWith(QStringLiteral(
        "This combination cannot be used because it is already used by a system-wide keyboard "
        "shortcut.\nIf you really want")));
    EXPECT_FALSE(validator.isShortcutAlreadyTakenBySystem(MASShortcut(40, Control)));
    // Not held by anyone else: the menus still count.
    EXPECT_TRUE(validator.isShortcutAlreadyTakenBySystem(MASShortcut(38, Control | Option)));
}

} // namespace
