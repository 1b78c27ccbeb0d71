// The popover's list and its controller: rows made only for what is in view,
// the list read from the store when marked, states kept by workspace across
// reloads, hot keys bound for every listed workspace, and no animation ticking
// while hidden.
#include "PopoverFixture.h"
#include "activation/ActivationPulse.h"
#include "activation/AnimatedSwitch.h"
#include "activation/CustomNSPopoverView.h"
#include "activation/ProgressAnimation.h"
#include "activation/StatusBarItemViewController.h"
#include "model/WorkspaceStore.h"
#include "platform/UserDefaults.h"
#include "shortcuts/MASShortcutBinder.h"
#include "shortcuts/MASShortcutMonitor.h"
#include "support/FakeHotKeys.h"
#include "support/Wait.h"

#include <QLabel>
#include <QScrollArea>
#include <QScrollBar>
#include <QTemporaryDir>

using namespace dexaro;
using namespace dexaro::test;

namespace {

QList<WSListModelPtr> manyWorkspaces(int count) {
    QList<WSListModelPtr> list;
    for (int i = 0; i < count; ++i)
        list.append(workspace(QString::number(1000 + i), QStringLiteral("Workspace %1").arg(i),
                              {QStringLiteral("Mail")}));
    return list;
}

TEST(PopoverRows, EveryWrappedLineOfTheNameAddsALine) {
    const auto height = [](const QString& name) {
        return StatusBarPopoverCollectionView::rowSize(name).height();
    };
    const QString word = QStringLiteral("Research ");
    EXPECT_GT(height(word.repeated(4)), height(QStringLiteral("Mail")));
    EXPECT_GT(height(word.repeated(9)), height(word.repeated(4)) + 15);
}

TEST(PopoverController, MakesOnlyTheRowsInViewAndReusesThem) {
    StatusBarItemViewController controller;
    controller.appDelegate.consumeWorkspaceListUpdate = [](const QString&) {
        return false;
    };
    CustomNSPopoverView* root = controller.view();
    StatusBarPopoverCollectionView* list = controller.wsListCollectionView();
    list->wsList = manyWorkspaces(1000);
    list->reloadData();
    root->show();
    QCoreApplication::processEvents();

    const int made = list->findChildren<StatusBarPopoverCollectionViewItem*>().size();
    EXPECT_GT(made, 3);
    EXPECT_LT(made, 40) << "rows are made for what is in view, not for all 1,000";
    EXPECT_EQ(list->visibleItems().first()->wsID, QStringLiteral("1000"));

    QScrollBar* scroll = controller.scrollView()->verticalScrollBar();
    scroll->setValue(scroll->maximum());
    QCoreApplication::processEvents();
    ASSERT_FALSE(list->visibleItems().isEmpty());
    EXPECT_EQ(list->visibleItems().last()->wsNameLabel()->text(), QStringLiteral("Workspace 999"));
    EXPECT_EQ(list->findChildren<StatusBarPopoverCollectionViewItem*>().size(), made)
        << "scrolling reuses the rows";
}

TEST(PopoverController, ReadsTheStoreWhenMarkedAndOnReloadKeepingStatesByWorkspace) {
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
    list->toggleWorkspace(mail, true);
    list->workPool().waitForDone();
    QCoreApplication::processEvents();
    ASSERT_EQ(list->itemState(mail), ItemStateEnum::active);

    // Opening the popover again without a mark keeps the list as it is.
    create(QStringLiteral("Calendar"));
    controller.viewDidAppear();
    EXPECT_EQ(list->wsList.size(), 2);

    controller.reloadWSListCollectionView();
    ASSERT_EQ(list->wsList.size(), 3);
    EXPECT_TRUE(list->itemForWorkspace(mail)->wsLauncherToggle()->isChecked());
    controller.stop();
}

class PopoverHotKeys : public PopoverList {
protected:
    void SetUp() override {
        PopoverList::SetUp();
        host.binder = &binder;
    }
    QTemporaryDir dir;
    UserDefaults defaults{dir.filePath(QStringLiteral("Dexaro/Dexaro.conf"))};
    FakeHotKeys hotKeys;
    MASShortcutMonitor monitor{hotKeys};
    MASShortcutBinder binder{monitor, defaults};
};

TEST_F(PopoverHotKeys, EveryListedWorkspaceIsBoundAtLoadAndForgottenOnceGone) {
    constexpr quint32 controlOption = 0x1800, control = 0x1000; // event-manager form
    ASSERT_TRUE(defaults.setValue(
        QStringLiteral("1049"),
        MASShortcut(40, MASShortcut::ControlFlag | MASShortcut::OptionFlag).encode()));
    ASSERT_TRUE(defaults.setValue(QStringLiteral("1000"),
                                  MASShortcut(41, MASShortcut::ControlFlag).encode()));
    QList<WSListModelPtr> all = manyWorkspaces(50);
    QScrollArea area;
    area.resize(345, 300);
    area.setWidget(list.get());
    show(all);
    ASSERT_EQ(list->itemForWorkspace(QStringLiteral("1049")), nullptr) << "out of view";
    ASSERT_EQ(hotKeys.registered.size(), 2);

    // The hot key of a workspace whose row was never made switches it on, and
    // closes the popover first.
    ASSERT_TRUE(hotKeys.press(40, controlOption));
    ASSERT_TRUE(waitUntil(
        [&] { return list->itemState(QStringLiteral("1049")) == ItemStateEnum::active; }));
    EXPECT_EQ(services.launches().size(), 1);
    EXPECT_EQ(popoverCloses, 1);

    all.removeLast();
    show(all);
    EXPECT_FALSE(binder.isRegisteredAction(QStringLiteral("1049")));
    EXPECT_EQ(hotKeys.countFor(40, controlOption), 0);
    EXPECT_TRUE(binder.isRegisteredAction(QStringLiteral("1000")));

    // A hot key pressed after its list is gone does nothing.
    area.takeWidget();
    list.reset();
    ASSERT_TRUE(hotKeys.press(41, control));
    QCoreApplication::processEvents();
    QCoreApplication::processEvents();
    EXPECT_EQ(services.launches().size(), 1);
}

TEST(PopoverAnimations, NothingTicksWhileThePopoverIsHidden) {
    StatusBarItemViewController controller;
    CustomNSPopoverView* root = controller.view();
    StatusBarPopoverCollectionView* list = controller.wsListCollectionView();
    RecordingWorkspaceServices services;
    StatusBarHost host;
    host.workspaceServices = &services;
    host.placeWindow = [](const RunningApplication&, PositionName) {
    };
    list->setHost(host);
    list->wsList = manyWorkspaces(3);
    list->reloadData();
    root->show();
    const QString id = QStringLiteral("1001");

    list->toggleWorkspace(id, true);
    AnimatedSwitch* toggle = list->itemForWorkspace(id)->wsLauncherToggle();
    EXPECT_TRUE(toggle->animation().isTicking()) << "a click plays the switch while shown";
    ASSERT_TRUE(waitUntil([&] { return list->itemState(id) == ItemStateEnum::active; }));
    ActivationPulse* pulse = list->itemForWorkspace(id)->wsActivationIndicatorAnimationView();

    const auto ticking = [&] {
        int n = 0;
        for (ProgressAnimation* animation : root->findChildren<ProgressAnimation*>())
            n += animation->isTicking();
        return n;
    };
    root->hide();
    EXPECT_EQ(ticking(), 0);
    EXPECT_TRUE(pulse->animation().isPlaying()) << "paused, not forgotten";
    root->show();
    EXPECT_TRUE(pulse->animation().isTicking());
    root->hide();

    // Switching off by hot key while hidden completes at once, without ticking.
    list->toggleWorkspace(id, false);
    list->workPool().waitForDone();
    ASSERT_TRUE(waitUntil([&] { return list->itemState(id) == ItemStateEnum::inactive; }));
    EXPECT_EQ(services.terminated().size(), 1);
    EXPECT_EQ(ticking(), 0);
    controller.stop();
}

} // namespace
