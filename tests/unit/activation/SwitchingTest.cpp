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

QString description(QWidget* widget) {
    return QAccessible::queryAccessibleInterface(widget)->text(QAccessible::Description);
}

TEST_F(PopoverList, SwitchingOnReportsOnlyWhenEveryApplicationFails) {
    const struct {
        const char* name;
        QStringList apps;
        int failing;             // the first ones fail to start
        const char* informative; // nullptr: no alert, the workspace is on
    } rows[] = {
        {"the only application fails", {"Mail"}, 1, "App with name Mail could not be opened!"},
        {"both fail", {"Mail", "Notes"}, 2, "Apps with names Mail,Notes could not be opened!"},
        {"two of three fail", {"Mail", "Notes", "Term"}, 2, nullptr},
        {"no applications", {}, 0, nullptr},
    };
    for (const auto& r : rows) {
        SCOPED_TRACE(r.name);
        restart();
        for (const QString& app : r.apps.first(r.failing))
            services.failingEntries.insert(entry(app));
        show({workspace(ws, QStringLiteral("Work"), r.apps)});
        toggle(ws);
        const bool on = r.informative == nullptr;
        EXPECT_EQ(list->itemState(ws), on ? ItemStateEnum::active : ItemStateEnum::inactive);
        EXPECT_EQ(row(ws)->wsLauncherToggle()->isChecked(), on);
        EXPECT_EQ(list->records().launchedApps(ws).size(), r.apps.size() - r.failing);
        EXPECT_EQ(popoverCloses, on ? 0 : 1) << "only a failure closes the popover";
        ASSERT_EQ(alerts.shown.size(), on ? 0 : 1);
        if (!on) {
            EXPECT_EQ(alerts.shown[0].informative, r.informative);
        }
    }
}

// Only a stored "1" counts, and each setting is read when it is used.
TEST_F(PopoverList, SettingsDecideHowItOpensAndHowItClosesWhatItRecorded) {
    const struct {
        QString value;
        bool counts;
    } rows[] = {{"1", true}, {"0", false}, {"", false}, {"true", false}};
    for (const auto& r : rows) {
        SCOPED_TRACE(r.value.toStdString());
        restart();
        settings.hideApps = settings.createNewInstance = r.value;
        // "Gone" fails to start; "Nameless" has no name but is recorded all the same.
        services.failingEntries = {entry(QStringLiteral("Gone"))};
        services.localizedNames[entry(QStringLiteral("Nameless"))] = QString();
        show(
            {workspace(ws, QStringLiteral("Work"),
                       {QStringLiteral("Mail"), QStringLiteral("Gone"), QStringLiteral("Nameless")},
                       {QStringLiteral("example.org")})});
        toggle(ws);
        const auto launches = services.launches();
        ASSERT_EQ(launches.size(), 3);
        EXPECT_EQ(launches[0].configuration.hides, r.counts);
        EXPECT_EQ(launches[0].configuration.createsNewApplicationInstance, r.counts);
        ASSERT_EQ(list->records().launchedApps(ws).size(), 2);

        settings.forceTerminate = r.value;
        toggle(ws);
        EXPECT_EQ(r.counts ? services.forceTerminated() : services.terminated(), services.started())
            << "every recorded application, nameless too";
        EXPECT_TRUE((r.counts ? services.terminated() : services.forceTerminated()).isEmpty());
        EXPECT_EQ(list->itemState(ws), ItemStateEnum::inactive);
        EXPECT_TRUE(list->records().launchedApps(ws).isEmpty());
        EXPECT_TRUE(list->records().launchedAppNames(ws).isEmpty());
        EXPECT_EQ(popoverCloses, 1) << "switching off closes the popover";
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

TEST_F(PopoverList, SwitchingIsIgnoredWhileTheWorkspaceIsBusy) {
    services.holdLaunches = true;
    show(
        {workspace(ws, QStringLiteral("Work"), {QStringLiteral("Mail"), QStringLiteral("Notes")})});
    list->toggleWorkspace(ws, true);
    ASSERT_TRUE(waitUntil([&] { return services.heldCount() == 2; }));
    list->workPool().waitForDone();
    EXPECT_EQ(list->itemState(ws), ItemStateEnum::runningApp);
    EXPECT_FALSE(row(ws)->spinnerIndicator()->isHidden()) << "the spinner shows";
    EXPECT_EQ(description(row(ws)->wsLauncherToggle()), QStringLiteral("Busy"));

    // The hot key asks to switch off while the opening still waits for launches.
    list->toggleWorkspace(ws, false);
    settle();
    EXPECT_TRUE(services.terminated().isEmpty());
    services.releaseHeldLaunches();
    settle();
    EXPECT_EQ(list->itemState(ws), ItemStateEnum::active);
    EXPECT_EQ(list->records().launchedApps(ws).size(), 2);

    // Now it switches off, and a switch asked for meanwhile is ignored.
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

TEST_F(PopoverList, TheSwitchIsACheckableControlNamedAfterItsWorkspaceThatAClickToggles) {
    show({workspace(ws, QStringLiteral("Morning"), {QStringLiteral("Mail")})});
    AnimatedSwitch* toggle = row(ws)->wsLauncherToggle();
    QAccessibleInterface* access = QAccessible::queryAccessibleInterface(toggle);
    ASSERT_TRUE(access);
    EXPECT_EQ(access->role(), QAccessible::CheckBox);
    EXPECT_EQ(access->text(QAccessible::Name), QStringLiteral("Morning"));
    EXPECT_TRUE(access->state().checkable);
    for (const bool on : {true, false}) {
        toggle->click(); // also from the keyboard
        settle();
        EXPECT_EQ(list->itemState(ws), on ? ItemStateEnum::active : ItemStateEnum::inactive);
        EXPECT_EQ(access->state().checked, on);
    }
}

} // namespace
