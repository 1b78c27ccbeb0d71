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

// Dexaro never sets the validator's two permissive options: they stay off here.
TEST(MASShortcutValidator, Validity) {
    const struct {
        quint64 keyCode, flags;
        bool valid;
    } rows[] = {
        {keys::F5, 0, true},      {keys::F1, Shift, true},  {keys::A, 0, false},
        {keys::A, Option, false}, {keys::A, Control, true}, {keys::Space, Option, true},
        {keys::Escape, 0, false},
    };
    FakeHotKeys hotKeys;
    MASShortcutValidator validator(hotKeys, {});
    for (const auto& row : rows)
        EXPECT_EQ(validator.isShortcutValid(MASShortcut(row.keyCode, row.flags)), row.valid)
            << row.keyCode << " " << row.flags;
}

// Dexaro's own Qt menus, read into menu items: mnemonics dropped, submenus
// followed, Meta read as Command, Shift telling two shortcuts apart.
TEST(MASShortcutValidator, TakenByDexarosOwnMenus) {
    QMenu menu;
    menu.addAction(QStringLiteral("&Close"))->setShortcut(QKeySequence(QStringLiteral("Ctrl+W")));
    QMenu* sub = menu.addMenu(QStringLiteral("More"));
    sub->addAction(QStringLiteral("Export"))
        ->setShortcut(QKeySequence(QStringLiteral("Ctrl+Shift+E")));
    sub->addAction(QStringLiteral("Top"))->setShortcut(QKeySequence(QStringLiteral("Meta+Home")));
    menu.addAction(QStringLiteral("Help"))->setShortcut(QKeySequence(Qt::Key_F1));
    FakeHotKeys hotKeys;
    MASShortcutValidator validator(
        hotKeys, [&] { return QList<MenuInfo>{MASShortcutValidator::menuInfo(menu.actions())}; });
    const std::pair<MASShortcut, QString> rows[] = {
        {MASShortcut(keys::W, Control), "‘Close’."},
        {MASShortcut(keys::E, Control | Shift), "‘Export’."},
        {MASShortcut(keys::E, Control), QString()},
        {MASShortcut(keys::Home, Command), "‘Top’."},
        {MASShortcut(keys::F1, 0), "‘Help’."},
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
