// The popover's settings menu: the four commands in order, each closing the
// popover first.
#include "activation/StatusBarItemViewController.h"
#include "activation/WorkspaceActivation.h"

#include <QAction>
#include <QMenu>
#include <gtest/gtest.h>

using namespace dexaro;

namespace {

TEST(SettingsMenu, OffersTheFourCommandsEachClosingThePopoverFirst) {
    WorkspaceActivation activation{{}};
    StatusBarItemViewController controller{activation};
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
    controller.view();
    for (QAction* action : controller.settingsMenu()->actions())
        action->trigger();
    EXPECT_EQ(calls, (QStringList{"close", "main window", "close", "update", "close", "about",
                                  "close", "quit"}));
}

} // namespace
