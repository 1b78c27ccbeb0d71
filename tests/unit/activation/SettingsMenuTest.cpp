// The popover's settings menu: the four commands in order, each closing the
// popover first, and the popover dimmed only while the menu is open.
#include "activation/CustomNSPopoverView.h"
#include "activation/SettingsMenuActions.h"
#include "activation/StatusBarItemViewController.h"

#include <QAction>
#include <QMenu>
#include <gtest/gtest.h>

using namespace dexaro;

namespace {

TEST(SettingsMenu, OffersTheFourCommandsEachClosingThePopoverFirstAndDimsItWhileOpen) {
    StatusBarItemViewController controller;
    QStringList calls;
    const auto record = [&calls](const char* name) {
        return [&calls, name] {
            calls.append(QString::fromLatin1(name));
        };
    };
    controller.appDelegate.closePopover = record("close");
    controller.appDelegate.openMainWindow = record("main window");
    controller.appDelegate.checkForUpdates = record("update");
    controller.appDelegate.showAbout = record("about");
    controller.appDelegate.quit = record("quit");
    CustomNSPopoverView* view = controller.view();
    for (QAction* action : controller.settingsMenu()->actions())
        action->trigger();
    EXPECT_EQ(calls, (QStringList{"close", "main window", "close", "update", "close", "about",
                                  "close", "quit"}));

    view->show();
    controller.showPreferencesMenu();
    ASSERT_TRUE(controller.settingsMenu()->isVisible());
    EXPECT_LT(controller.popoverOpacity(), 1.0);
    controller.settingsMenu()->hide();
    EXPECT_DOUBLE_EQ(controller.popoverOpacity(), 1.0);
    view->hide();

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

} // namespace
