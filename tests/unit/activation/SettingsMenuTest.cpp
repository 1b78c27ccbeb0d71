// The popover's settings icon and menu: the four commands in order, each
// closing the popover first; the icon's variant per appearance; the popover
// dimmed while the menu is open.
#include "activation/CustomNSPopoverView.h"
#include "activation/SettingsMenuActions.h"
#include "activation/StatusBarItemViewController.h"
#include "activation/StatusbarSettingsImageButton.h"
#include "support/DesktopPalette.h"

#include <QAction>
#include <QMenu>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace dexaro;

namespace {

class SettingsMenu : public ::testing::Test {
protected:
    void SetUp() override {
        const auto record = [this](const char* name) {
            return [this, name] {
                calls.append(QString::fromLatin1(name));
            };
        };
        controller.appDelegate.closePopover = record("close");
        controller.appDelegate.openMainWindow = record("main window");
        controller.appDelegate.checkForUpdates = record("update");
        controller.appDelegate.showAbout = record("about");
        controller.appDelegate.quit = record("quit");
        view = controller.view();
    }

    StatusBarItemViewController controller;
    CustomNSPopoverView* view = nullptr;
    QStringList calls;
};

TEST_F(SettingsMenu, OffersTheFourCommandsEachClosingThePopoverFirst) {
    const QStringList commands{"main window", "update", "about", "quit"};
    const QList<QAction*> actions = controller.settingsMenu()->actions();
    ASSERT_EQ(actions.size(), commands.size());
    for (int i = 0; i < commands.size(); ++i) {
        calls.clear();
        actions[i]->trigger();
        EXPECT_EQ(calls, (QStringList{QStringLiteral("close"), commands[i]}));
    }
    // A host without the commands: each still only closes the popover.
    StatusBarHost host;
    int closes = 0;
    host.closePopover = [&closes] {
        ++closes;
    };
    QMenu menu;
    for (QAction* action : SettingsMenuActions::addTo(&menu, host))
        action->trigger();
    EXPECT_EQ(closes, 4);
}

TEST_F(SettingsMenu, TheIconIsNamedAndShowsTheVariantThatContrastsWithTheAppearance) {
    EXPECT_EQ(controller.settingsIcon()->accessibleName(), QStringLiteral("Preferences"));
    QTemporaryDir dir; // a set of icons without the dark variant
    QFile(QStringLiteral(":/images/settings-gears-icon.svg")).copy(dir.filePath("gear.svg"));
    QFile(QStringLiteral(":/images/settings-gears-icon_light.svg"))
        .copy(dir.filePath("gear_light.svg"));
    StatusbarSettingsImageButton partial(QStringLiteral("gear"), nullptr, dir.path() + '/');
    const struct {
        QColor window;
        QString shipped, partial;
    } rows[] = {
        {QColor(0xF0, 0xF0, 0xF0), ":/images/settings-gears-icon_dark.svg",
         dir.filePath("gear.svg")},
        {QColor(0x20, 0x20, 0x20), ":/images/settings-gears-icon_light.svg",
         dir.filePath("gear_light.svg")},
    };
    for (const auto& row : rows) {
        test::DesktopPalette palette(row.window);
        EXPECT_EQ(controller.settingsIcon()->shownImage(), row.shipped);
        EXPECT_EQ(partial.shownImage(), row.partial);
    }
}

TEST_F(SettingsMenu, ThePopoverDimsWhileTheMenuIsOpen) {
    view->show();
    controller.showPreferencesMenu();
    ASSERT_TRUE(controller.settingsMenu()->isVisible());
    EXPECT_LT(controller.popoverOpacity(), 1.0);
    controller.settingsMenu()->hide();
    EXPECT_DOUBLE_EQ(controller.popoverOpacity(), 1.0);
    view->hide();
}

} // namespace
