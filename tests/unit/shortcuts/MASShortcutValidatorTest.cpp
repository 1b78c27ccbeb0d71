// Which shortcuts the recorder accepts, and which are taken by menus. Other
// clients' grabs are x11_shortcuts' (CombinationHeldByAnotherClient).
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
    const struct {
        quint64 keyCode, flags;
        bool valid, validWithAnyOption;
    } rows[] = {
        {keys::F5, 0, true, true},
        {keys::F1, Shift, true, true},
        {keys::A, 0, false, false},
        {keys::A, Shift, false, false},
        {keys::A, Control, true, true},
        {keys::K, Control | Option | Shift | Command, true, true},
        {keys::Space, Option, true, true},
        {keys::Escape, Option, true, true},
        {keys::A, Option, false, true},
        {keys::Escape, 0, false, false},
    };
    FakeHotKeys hotKeys;
    MASShortcutValidator validator(hotKeys, {});
    for (const auto& row : rows) {
        const MASShortcut shortcut(row.keyCode, row.flags);
        validator.allowAnyShortcutWithOptionModifier = false;
        EXPECT_EQ(validator.isShortcutValid(shortcut), row.valid) << shortcut.keyCode();
        validator.allowAnyShortcutWithOptionModifier = true;
        EXPECT_EQ(validator.isShortcutValid(shortcut), row.validWithAnyOption)
            << shortcut.keyCode();
    }
}

MenuItemInfo item(const char* title, const char* keyEquivalent, quint64 mask) {
    return {QString::fromUtf8(title), QString::fromUtf8(keyEquivalent), mask, nullptr};
}

TEST(MASShortcutValidator, MenuConflicts) {
    const struct {
        const char* name;
        MenuItemInfo item;
        quint64 keyCode, flags;
        bool taken;
    } rows[] = {
        {"lower-case s", item("Save", "s", Command), keys::S, Command, true},
        {"lower-case s, with shift", item("Save", "s", Command), keys::S, Command | Shift, false},
        {"upper-case S means shift", item("Save As", "S", Command), keys::S, Command | Shift, true},
        {"upper-case S without shift", item("Save As", "S", Command), keys::S, Command, false},
        {"other modifiers", item("Save", "s", Control), keys::S, Command, false},
        {"function-key bit counts", item("Save", "s", Command | 0x800000), keys::S, Command, false},
        {"caps-lock bit ignored", item("Save", "s", Command | 0x10000), keys::S, Command, true},
        {"F1 character", item("Help", "\uF704", 0), keys::F1, 0, true},
    };
    FakeHotKeys hotKeys;
    MASShortcutValidator validator(hotKeys, {});
    for (const auto& row : rows) {
        MenuInfo menu;
        menu.items = {row.item};
        QString explanation;
        EXPECT_EQ(validator.isShortcutAlreadyTakenInMenu(MASShortcut(row.keyCode, row.flags), menu,
                                                         &explanation),
                  row.taken)
            << row.name;
        EXPECT_EQ(explanation.contains(u'‘' + row.item.title + u'’'), row.taken) << row.name;
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

// Dexaro's own Qt menus, read into menu items: mnemonics dropped, submenus
// followed, Meta read as Command.
TEST(MASShortcutValidator, TakenBySystemInDexarosOwnMenus) {
    QMenu menu;
    menu.addAction(QStringLiteral("&Close"))->setShortcut(QKeySequence(QStringLiteral("Ctrl+W")));
    QMenu* sub = menu.addMenu(QStringLiteral("More"));
    sub->addAction(QStringLiteral("Export"))
        ->setShortcut(QKeySequence(QStringLiteral("Ctrl+Shift+E")));
    sub->addAction(QStringLiteral("Top"))->setShortcut(QKeySequence(QStringLiteral("Meta+Home")));
    FakeHotKeys hotKeys;
    MASShortcutValidator validator(
        hotKeys, [&] { return QList<MenuInfo>{MASShortcutValidator::menuInfo(menu.actions())}; });
    const std::pair<MASShortcut, QString> rows[] = {
        {MASShortcut(keys::W, Control), "‘Close’."},
        {MASShortcut(keys::E, Control | Shift), "‘Export’."},
        {MASShortcut(keys::Home, Command), "‘Top’."},
        {MASShortcut(keys::W, Control | Option), QString()},
    };
    for (const auto& [shortcut, title] : rows) {
        QString explanation;
        EXPECT_EQ(validator.isShortcutAlreadyTakenBySystem(shortcut, &explanation),
                  !title.isEmpty());
        EXPECT_TRUE(explanation.contains(title)) << explanation.toStdString();
    }
}

} // namespace
