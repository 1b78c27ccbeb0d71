// The popover's controller over a real store: the list is read when the
// "statusbar" mark is set, and again on "ReloadStatusBarPopoverWSCollectionList",
// keeping each workspace's state by its identifier.
#include "PopoverFixture.h"
#include "activation/AnimatedSwitch.h"
#include "activation/StatusBarItemViewController.h"
#include "model/WorkspaceStore.h"

#include <QLabel>
#include <QTemporaryDir>

using namespace dexaro;
using namespace dexaro::test;

namespace {

TEST(PopoverController, ReadsTheStoreWhenMarkedAndOnReload) {
    QTemporaryDir dir;
    RecordingAlerts alerts;
    auto context =
        WorkspaceStore::openStore(dir.filePath(QStringLiteral("Dexaro.sqlite")), nullptr);
    ASSERT_TRUE(context);
    WorkspaceStore store(*context, alerts);
    const auto create = [&](const QString& name) {
        const QString id =
            store.fillWorkspace(store.insertWorkspace(), {name, {entry(name)}, {}, {}});
        EXPECT_TRUE(context->save());
        return id;
    };
    const QString mail = create(QStringLiteral("Mail"));
    create(QStringLiteral("Notes"));

    RecordingWorkspaceServices services;
    StatusBarItemViewController controller;
    bool marked = true;
    controller.appDelegate.consumeWorkspaceListUpdate = [&](const QString& tag) {
        EXPECT_EQ(tag, QStringLiteral("statusbar"));
        return std::exchange(marked, false);
    };
    controller.appDelegate.store = &store;
    controller.appDelegate.workspaceServices = &services;
    controller.appDelegate.placeWindow = [](const RunningApplication&, PositionName) {
    };
    controller.view();
    StatusBarPopoverCollectionView* list = controller.wsListCollectionView();
    ASSERT_EQ(list->wsList.size(), 2);
    EXPECT_EQ(list->visibleItems().at(1)->wsNameLabel()->text(), QStringLiteral("Notes"));

    list->toggleWorkspace(mail, true);
    list->workPool().waitForDone();
    QCoreApplication::processEvents();
    ASSERT_EQ(list->itemState(mail), ItemStateEnum::active);
    EXPECT_TRUE(controller.isAnyWorkspaceBusy() == false);

    // Opening the popover again without a mark keeps the list as it is.
    create(QStringLiteral("Calendar"));
    controller.viewDidAppear();
    EXPECT_EQ(list->wsList.size(), 2);

    controller.reloadWSListCollectionView();
    ASSERT_EQ(list->wsList.size(), 3);
    EXPECT_EQ(list->itemState(mail), ItemStateEnum::active);
    EXPECT_TRUE(list->itemForWorkspace(mail)->wsLauncherToggle()->isChecked());
    controller.stop();
}

} // namespace
