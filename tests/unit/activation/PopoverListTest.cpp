// The popover's list and its controller: the list read from the store when
// marked, states kept by workspace across reloads, and hot keys bound for
// every listed workspace, rows or not (the real program's hot key is x11_app's).
// Its speed with 1,000 workspaces is bench/popover_list's, its wake-ups while
// closed bench/activation's.
#include "PopoverFixture.h"
#include "activation/AnimatedSwitch.h"
#include "activation/CustomNSPopoverView.h"
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

TEST(PopoverController, ReadsTheStoreWhenMarkedAndOnReloadKeepingStatesByWorkspace) {
    QTemporaryDir dir;
    auto context =
        WorkspaceStore::openStore(dir.filePath(QStringLiteral("Dexaro.sqlite")), nullptr);
    ASSERT_TRUE(context);
    Popover p;
    WorkspaceStore store(*context, p.alerts);
    const auto create = [&](const QString& name) {
        const QString id =
            store.fillWorkspace(store.insertWorkspace(), {name, {entry(name)}, {}, {}});
        EXPECT_TRUE(context->save());
        return id;
    };
    const QString mail = create(QStringLiteral("Mail"));
    create(QStringLiteral("Notes"));
    bool marked = true;
    p.host().consumeWorkspaceListUpdate = [&](const QString&) {
        return std::exchange(marked, false);
    };
    p.host().store = &store;
    p.controller.view();
    ASSERT_EQ(p.list()->wsList.size(), 2);
    p.toggle(mail);
    // Opening the popover again without a mark keeps the list as it is.
    create(QStringLiteral("Calendar"));
    p.controller.viewDidAppear();
    EXPECT_EQ(p.list()->wsList.size(), 2);

    p.controller.reloadWSListCollectionView();
    ASSERT_EQ(p.list()->wsList.size(), 3);
    EXPECT_TRUE(p.row(mail)->wsLauncherToggle()->isChecked());
}

TEST(PopoverHotKeys, EveryListedWorkspaceIsBoundAtLoadAndForgottenOnceGone) {
    constexpr quint32 controlOption = 0x1800, control = 0x1000; // event-manager form
    QTemporaryDir dir;
    UserDefaults defaults{dir.filePath(QStringLiteral("Dexaro/Dexaro.conf"))};
    FakeHotKeys hotKeys;
    MASShortcutMonitor monitor{hotKeys};
    MASShortcutBinder binder{monitor, defaults};
    ASSERT_TRUE(defaults.setValue(
        QStringLiteral("1049"),
        MASShortcut(40, MASShortcut::ControlFlag | MASShortcut::OptionFlag).encode()));
    ASSERT_TRUE(defaults.setValue(QStringLiteral("1000"),
                                  MASShortcut(41, MASShortcut::ControlFlag).encode()));
    Popover p;
    p.host().binder = &binder;
    QList<WSListModelPtr> all = manyWorkspaces(50);
    p.show(all);
    ASSERT_EQ(p.row(QStringLiteral("1049")), nullptr) << "out of view";
    ASSERT_EQ(hotKeys.registered.size(), 2);

    // The hot key of a workspace whose row was never made switches it on, and
    // closes the popover first.
    ASSERT_TRUE(hotKeys.press(40, controlOption));
    ASSERT_TRUE(waitUntil(
        [&] { return p.list()->itemState(QStringLiteral("1049")) == ItemStateEnum::active; }));
    EXPECT_EQ(p.closes, 1);

    // Scrolled into view, a reused row shows that workspace and its state.
    p.controller.view()->show();
    QScrollBar* scroll = p.controller.scrollView()->verticalScrollBar();
    scroll->setValue(scroll->maximum());
    QCoreApplication::processEvents();
    ASSERT_NE(p.row(QStringLiteral("1049")), nullptr);
    EXPECT_EQ(p.row(QStringLiteral("1049"))->wsNameLabel()->text(), QStringLiteral("Workspace 49"));
    EXPECT_TRUE(p.row(QStringLiteral("1049"))->wsLauncherToggle()->isChecked());

    all.removeLast();
    p.show(all);
    EXPECT_EQ(hotKeys.countFor(40, controlOption), 0);

    // A hot key pressed after its list is gone does nothing.
    delete p.controller.view();
    ASSERT_TRUE(hotKeys.press(41, control));
    QCoreApplication::processEvents();
    QCoreApplication::processEvents();
    EXPECT_EQ(p.services.launches().size(), 1);
}

} // namespace
