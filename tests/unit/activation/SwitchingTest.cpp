// Switching workspaces on and off from the popover's list, over recording
// services: what is launched, opened, closed and reported, and the row states.
#include "PopoverFixture.h"
#include "activation/AnimatedSwitch.h"
#include "activation/BusySpinner.h"
#include "model/Identifier.h"
#include "model/TemporaryGlobalDataHolder.h"
#include "positioning/AllPositionsHolder.h"
#include "support/Wait.h"

#include <QAccessible>

using namespace dexaro;
using namespace dexaro::test;

namespace {

const QString ws = QStringLiteral("-4242");

TEST_F(PopoverList, SwitchingOnReportsOnlyWhenEveryApplicationFails) {
    struct Row {
        const char* name;
        QStringList apps;
        int failing; // the first ones fail to start
        ItemStateEnum state;
        QString informative; // empty: no alert
    };
    const Row rows[] = {
        {"the only application fails",
         {"Mail"},
         1,
         ItemStateEnum::inactive,
         "App with name Mail could not be opened!"},
        {"both fail",
         {"Mail", "Notes"},
         2,
         ItemStateEnum::inactive,
         "Apps with names Mail,Notes could not be opened!"},
        {"two of three fail", {"Mail", "Notes", "Term"}, 2, ItemStateEnum::active, {}},
        {"nothing fails", {"Mail", "Notes"}, 0, ItemStateEnum::active, {}},
        {"no applications", {}, 0, ItemStateEnum::active, {}},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.name);
        restart();
        for (const QString& app : r.apps.first(r.failing))
            services.failingEntries.insert(entry(app));
        show({workspace(ws, QStringLiteral("Work"), r.apps)});

        toggle(ws);
        EXPECT_EQ(list->itemState(ws), r.state);
        const bool on = r.state == ItemStateEnum::active;
        EXPECT_EQ(list->records().toggleIsOn(ws), on);
        EXPECT_EQ(row(ws)->wsLauncherToggle()->isChecked(), on);
        EXPECT_TRUE(row(ws)->spinnerIndicator()->isHidden());
        EXPECT_FALSE(row(ws)->wsLauncherToggle()->isHidden());
        if (r.informative.isEmpty()) {
            EXPECT_TRUE(alerts.shown.isEmpty());
            EXPECT_EQ(popoverCloses, 0) << "a click leaves the popover open";
        } else {
            ASSERT_EQ(alerts.shown.size(), 1);
            EXPECT_EQ(alerts.shown[0].informative, r.informative);
            EXPECT_TRUE(list->records().launchedApps(ws).isEmpty());
            EXPECT_EQ(popoverCloses, 1);
        }
    }
}

TEST_F(PopoverList, SwitchingOnOpensLinksAndListsUnopenedFilesInOneAlert) {
    services.unopenableFiles = {QStringLiteral("/gone/a.txt"), QStringLiteral("/gone/b.txt")};
    show({workspace(ws, QStringLiteral("Work"), {QStringLiteral("Mail")},
                    {QStringLiteral("example.org"), QStringLiteral("http://plain.example.org"),
                     QStringLiteral("not an address")},
                    {QStringLiteral("/gone/a.txt"), QStringLiteral("/home/u/ok.txt"),
                     QStringLiteral("/gone/b.txt")})});
    toggle(ws);

    EXPECT_EQ(services.openedURLs(),
              (QList<QUrl>{QUrl(QStringLiteral("https://example.org")),
                           QUrl(QStringLiteral("http://plain.example.org"))}));
    EXPECT_EQ(services.openedFiles().size(), 3);
    ASSERT_EQ(alerts.shown.size(), 1);
    EXPECT_EQ(alerts.shown[0].message, QStringLiteral("Not opened"));
    EXPECT_EQ(alerts.shown[0].informative, QStringLiteral("/gone/a.txt\n/gone/b.txt"));
    EXPECT_EQ(list->itemState(ws), ItemStateEnum::active) << "files do not decide the state";
}

TEST_F(PopoverList, SettingsAreReadAtTheClickAndOnlyExactlyOneCounts) {
    struct Row {
        QString hide, newInstance;
        bool hides, creates;
    };
    const Row rows[] = {
        {"1", "1", true, true}, {"0", "true", false, false}, {"", "1", false, true}};
    for (const Row& r : rows) {
        restart();
        settings.hideApps = r.hide;
        settings.createNewInstance = r.newInstance;
        show({workspace(ws, QStringLiteral("Work"), {QStringLiteral("Mail")})});
        toggle(ws);
        const auto launches = services.launches();
        ASSERT_EQ(launches.size(), 1);
        EXPECT_EQ(launches[0].configuration.hides, r.hides) << r.hide.toStdString();
        EXPECT_EQ(launches[0].configuration.createsNewApplicationInstance, r.creates)
            << r.newInstance.toStdString();
    }
}

TEST_F(PopoverList, EditedApplicationListWinsAndEveryLaunchIsPlaced) {
    const QString edited = QStringLiteral("-777001");
    TemporaryGlobalDataHolder::shared().setUpdatedAppList(edited, {entry(QStringLiteral("Term"))});
    AllPositionsHolder positions;
    positions.setAppPosition(edited, appPositionKey(entry(QStringLiteral("Term"))),
                             rawValue(PositionName::leftHalf));
    host.positions = &positions;
    show({workspace(edited, QStringLiteral("Edited"), {QStringLiteral("Mail")})});
    toggle(edited);

    EXPECT_EQ(services.launchedEntries(), QStringList{entry(QStringLiteral("Term"))});
    std::lock_guard guard(placedLock);
    ASSERT_EQ(placed.size(), 1);
    EXPECT_EQ(placed[0].first.entry, entry(QStringLiteral("Term")));
    EXPECT_EQ(placed[0].second, PositionName::leftHalf);
}

TEST_F(PopoverList, SwitchingOffClosesWhatWasRecordedAsTheSettingSays) {
    struct Row {
        QString force;
        bool forced;
        QStringList apps;
        int recorded;
    };
    // "Gone" fails to start; "Nameless" has no name but is recorded all the same.
    const QStringList apps = {QStringLiteral("Mail"), QStringLiteral("Gone"),
                              QStringLiteral("Nameless")};
    const Row rows[] = {{"1", true, apps, 2},
                        {"0", false, apps, 2},
                        {"", false, apps, 2},
                        {"true", false, apps, 2},
                        {"1", true, {}, 0}}; // only links: nothing to close
    for (const Row& r : rows) {
        SCOPED_TRACE(r.force.toStdString() + " " + std::to_string(r.apps.size()));
        restart();
        services.failingEntries = {entry(QStringLiteral("Gone"))};
        services.localizedNames[entry(QStringLiteral("Nameless"))] = QString();
        show({workspace(ws, QStringLiteral("Work"), r.apps, {QStringLiteral("example.org")})});
        toggle(ws);
        ASSERT_EQ(list->records().launchedApps(ws).size(), r.recorded);

        settings.forceTerminate = r.force;
        toggle(ws);
        const QList<RunningApplication> closed =
            r.forced ? services.forceTerminated() : services.terminated();
        EXPECT_EQ(closed, services.started()) << "every recorded application, nameless too";
        EXPECT_TRUE((r.forced ? services.terminated() : services.forceTerminated()).isEmpty());
        EXPECT_EQ(list->itemState(ws), ItemStateEnum::inactive);
        EXPECT_FALSE(list->records().toggleIsOn(ws));
        EXPECT_TRUE(list->records().launchedApps(ws).isEmpty());
        EXPECT_TRUE(list->records().launchedAppNames(ws).isEmpty());
        EXPECT_FALSE(row(ws)->wsLauncherToggle()->isChecked());
        EXPECT_EQ(popoverCloses, 1) << "switching off closes the popover";
    }
}

TEST_F(PopoverList, SwitchingIsIgnoredWhileTheWorkspaceIsBusy) {
    services.holdLaunches = true;
    show(
        {workspace(ws, QStringLiteral("Work"), {QStringLiteral("Mail"), QStringLiteral("Notes")})});
    list->toggleWorkspace(ws, true);
    ASSERT_TRUE(waitUntil([&] { return services.heldCount() == 2; }));
    list->workPool().waitForDone();
    EXPECT_EQ(list->itemState(ws), ItemStateEnum::runningApp);
    EXPECT_FALSE(row(ws)->spinnerIndicator()->isHidden()) << "the spinner shows";
    EXPECT_EQ(QAccessible::queryAccessibleInterface(row(ws)->wsLauncherToggle())
                  ->text(QAccessible::Description),
              QStringLiteral("Busy"));

    // The hot key asks to switch off while the opening still waits for launches.
    list->toggleWorkspace(ws, false);
    settle();
    EXPECT_TRUE(services.terminated().isEmpty());
    EXPECT_EQ(list->itemState(ws), ItemStateEnum::runningApp);

    services.releaseHeldLaunches();
    settle();
    EXPECT_EQ(list->itemState(ws), ItemStateEnum::active);
    EXPECT_EQ(list->records().launchedApps(ws).size(), 2);

    // Now it switches off, and a switch-on asked for meanwhile is ignored.
    services.holdTerminations();
    list->toggleWorkspace(ws, false);
    list->toggleWorkspace(ws, false);
    EXPECT_EQ(list->itemState(ws), ItemStateEnum::runningApp);
    services.releaseTerminations();
    settle();
    EXPECT_EQ(services.terminated().size(), 2);
    EXPECT_EQ(services.launches().size(), 2) << "nothing launched again";
    EXPECT_EQ(list->itemState(ws), ItemStateEnum::inactive);
}

TEST_F(PopoverList, DeletionNoticeFollowsTheWorkspaceNotThePosition) {
    const QString first = QStringLiteral("101"), second = QStringLiteral("202");
    show({workspace(first, QStringLiteral("First"), {QStringLiteral("Mail")}),
          workspace(second, QStringLiteral("Second"), {QStringLiteral("Notes")})});
    toggle(second);
    ASSERT_EQ(list->itemState(second), ItemStateEnum::active);

    // "First" is deleted: the notice names its position in the list shown now.
    list->handleWSDeleteNotifications(0);
    list->wsList = {list->wsList.at(1)};
    list->reloadData();
    EXPECT_EQ(list->itemState(second), ItemStateEnum::active);
    EXPECT_EQ(list->records().launchedApps(second).size(), 1);
    EXPECT_TRUE(row(second)->wsLauncherToggle()->isChecked());
    EXPECT_EQ(row(second)->itemIndex, 0);

    // Notices outside the list are ignored; the switched-on one is forgotten
    // without closing anything.
    list->handleWSDeleteNotifications(5);
    list->handleWSDeleteNotifications(-1);
    EXPECT_EQ(list->itemState(second), ItemStateEnum::active);
    list->handleWSDeleteNotifications(0);
    EXPECT_EQ(list->itemState(second), ItemStateEnum::inactive);
    EXPECT_TRUE(list->records().launchedApps(second).isEmpty());
    EXPECT_TRUE(services.terminated().isEmpty());
}

TEST_F(PopoverList, TheSwitchIsACheckableControlNamedAfterItsWorkspace) {
    show({workspace(ws, QStringLiteral("Morning"), {QStringLiteral("Mail")})});
    QAccessibleInterface* access =
        QAccessible::queryAccessibleInterface(row(ws)->wsLauncherToggle());
    ASSERT_TRUE(access);
    EXPECT_EQ(access->role(), QAccessible::CheckBox);
    EXPECT_EQ(access->text(QAccessible::Name), QStringLiteral("Morning"));
    EXPECT_TRUE(access->state().checkable);
    EXPECT_FALSE(access->state().checked);
    toggle(ws);
    EXPECT_TRUE(access->state().checked);
    EXPECT_TRUE(access->text(QAccessible::Description).isEmpty());

    // Clicking the switch is what toggles it (also from the keyboard).
    row(ws)->wsLauncherToggle()->click();
    settle();
    EXPECT_EQ(list->itemState(ws), ItemStateEnum::inactive);
    EXPECT_FALSE(access->state().checked);
}

} // namespace
