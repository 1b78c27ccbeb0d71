// Switching workspaces on and off through WorkspaceActivation, with no widget,
// over recording services: what is launched, closed and reported, the states,
// the hot keys and quitting. Real launches, links and files are x11_launch's; a
// real hot key's switch x11_app's; what the popover draws PopoverListTest's.
#include "ActivationFixture.h"
#include "model/Identifier.h"
#include "model/TemporaryGlobalDataHolder.h"
#include "platform/UserDefaults.h"
#include "positioning/AllPositionsHolder.h"
#include "shortcuts/MASShortcutBinder.h"
#include "shortcuts/MASShortcutMonitor.h"
#include "support/FakeHotKeys.h"
#include "support/Wait.h"

#include <QSignalSpy>
#include <QTemporaryDir>

using namespace dexaro;
using namespace dexaro::test;

namespace {

const QString ws = QStringLiteral("-4242");
using Answer = WorkspaceActivation::Answer;

TEST(Switching, SwitchingOnReportsOnlyWhenEveryApplicationFails) {
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
        Activation a;
        for (const QString& app : r.apps.first(r.failing))
            a.services.failingEntries.insert(entry(app));
        a.activation->setWorkspaces({workspace(ws, QStringLiteral("Work"), r.apps)});
        QSignalSpy states(a.activation.get(), &WorkspaceActivation::stateChanged);
        a.toggle(ws);
        const bool on = r.informative == nullptr; // and only a failure closes the popover
        const QString shown = a.alerts.shown.isEmpty() ? QString() : a.alerts.shown[0].informative;
        EXPECT_EQ(std::tuple(a.activation->isOn(ws),
                             a.activation->records().launchedApps(ws).size(), a.closes,
                             a.alerts.shown.size(), shown),
                  std::tuple(on, r.apps.size() - r.failing, on ? 0 : 1, on ? 0 : 1,
                             QString::fromUtf8(r.informative)));
        ASSERT_EQ(states.size(), 1);
        EXPECT_EQ(states[0][1].value<ItemStateEnum>(),
                  on ? ItemStateEnum::active : ItemStateEnum::inactive);
    }
}

// Only a stored "1" counts, and each setting is read when it is used.
TEST(Switching, SettingsDecideHowItOpensAndHowItClosesWhatItRecorded) {
    const struct {
        QString value;
        bool counts;
    } rows[] = {{"1", true}, {"0", false}, {"true", false}};
    for (const auto& r : rows) {
        SCOPED_TRACE(r.value.toStdString());
        Activation a;
        a.settings.hideApps = a.settings.createNewInstance = r.value;
        // "Gone" fails to start; "Nameless" has no name but is recorded all the same.
        a.services.failingEntries = {entry(QStringLiteral("Gone"))};
        a.services.localizedNames[entry(QStringLiteral("Nameless"))] = QString();
        a.activation->setWorkspaces(
            {workspace(ws, QStringLiteral("Work"),
                       {QStringLiteral("Mail"), QStringLiteral("Gone"), QStringLiteral("Nameless")},
                       {QStringLiteral("example.org")})});
        a.toggle(ws);
        const auto launches = a.services.launches();
        ASSERT_EQ(launches.size(), 3);
        EXPECT_EQ(launches[0].configuration.hides, r.counts);
        EXPECT_EQ(launches[0].configuration.createsNewApplicationInstance, r.counts);
        ASSERT_EQ(a.activation->records().launchedApps(ws).size(), 2);

        a.settings.forceTerminate = r.value;
        a.toggle(ws);
        EXPECT_EQ((r.counts ? a.services.forceTerminated() : a.services.terminated()).size(), 2)
            << "every recorded application, nameless too";
        EXPECT_TRUE((r.counts ? a.services.terminated() : a.services.forceTerminated()).isEmpty());
        EXPECT_EQ(a.activation->itemState(ws), ItemStateEnum::inactive);
        EXPECT_TRUE(a.activation->records().launchedAppNames(ws).isEmpty());
        EXPECT_EQ(a.closes, 1) << "switching off closes the popover";
    }
}

// The placement, monitor and desktop of each launch, and the workspace's own
// desktop shown before anything is launched.
TEST(Switching, EditedApplicationListWinsAndEveryLaunchIsPlacedOnItsMonitorAndDesktop) {
    const QString edited = QStringLiteral("-777001");
    const QString term = entry(QStringLiteral("Term"));
    TemporaryGlobalDataHolder::shared().setUpdatedAppList(edited, {term});
    AllPositionsHolder positions;
    positions.setAppPosition(edited, appPositionKey(term), rawValue(PositionName::leftHalf));
    WorkspaceOptions options;
    options.startDesktop = 3;
    options.apps.insert(appPositionKey(term), {QStringLiteral("DP-2"), 1});
    positions.setOptions(edited, options);
    QList<int> shown;
    int launchesWhenShown = -1;
    RecordingWorkspaceServices* services = nullptr;
    Activation a([&](ActivationServices& s) {
        s.positions = &positions;
        s.showDesktop = [&](int desktop) {
            shown << desktop;
            launchesWhenShown = services ? int(services->launches().size()) : -1;
            return true;
        };
    });
    services = &a.services;
    a.activation->setWorkspaces({workspace(edited, QStringLiteral("Edited"), {"Mail"})});
    a.toggle(edited);
    const auto placed = a.placed();
    EXPECT_EQ(shown, QList<int>{3});
    EXPECT_EQ(launchesWhenShown, 0) << "the desktop is shown before the launch";
    ASSERT_EQ(a.services.launches().size(), 1);
    ASSERT_EQ(placed.size(), 1);
    EXPECT_EQ(std::tuple(a.services.launches()[0].entry, placed[0].first.entry,
                         placed[0].second.position, placed[0].second.monitor,
                         placed[0].second.desktop),
              std::tuple(term, term, PositionName::leftHalf, QStringLiteral("DP-2"), 1));
}

// What each request answers, and that a busy workspace finishes first.
TEST(Switching, RequestsAnswerWhatTheyDidAndWaitForABusyWorkspace) {
    Activation a;
    a.services.holdLaunches = true;
    a.activation->setWorkspaces({workspace(ws, QStringLiteral("Work"), {"Mail", "Notes"})});
    EXPECT_EQ(a.activation->switchOff(ws), Answer::unchanged);
    EXPECT_EQ(a.activation->toggleWorkspace(QStringLiteral("404")), Answer::unknownWorkspace);
    EXPECT_EQ(a.activation->switchOn(ws), Answer::switching);
    ASSERT_TRUE(waitUntil([&] { return a.services.heldCount() == 2; }));
    a.activation->waitForWorkers();
    EXPECT_EQ(a.activation->itemState(ws), ItemStateEnum::runningApp);

    // The hot key asks to switch off while the opening still waits for launches.
    EXPECT_EQ(a.activation->toggleWorkspace(ws), Answer::busy);
    EXPECT_EQ(a.activation->switchOn(ws), Answer::busy);
    a.settle();
    EXPECT_TRUE(a.services.terminated().isEmpty());
    a.services.releaseHeldLaunches();
    a.settle();
    EXPECT_EQ(a.activation->records().launchedApps(ws).size(), 2);
    EXPECT_EQ(a.activation->switchOn(ws), Answer::unchanged);

    a.toggle(ws);
    EXPECT_EQ(a.services.terminated().size(), 2);
    EXPECT_EQ(a.services.launches().size(), 2) << "nothing launched again";
    EXPECT_EQ(a.activation->itemState(ws), ItemStateEnum::inactive);
    a.activation->stop();
    EXPECT_EQ(a.activation->switchOn(ws), Answer::stopped);
}

// Once quit is asked for, nothing more is launched or opened, and quitting
// does not wait for a slow start to finish.
TEST(Switching, QuitDuringAnOpeningLaunchesNothingMore) {
    Activation a;
    a.services.setBlockLaunches(true);
    a.activation->setWorkspaces(
        {workspace(ws, QStringLiteral("Slow"), {"A", "B", "C", "D", "E"}, {"example.org"})});
    a.activation->switchOn(ws);
    ASSERT_TRUE(waitUntil([&] { return a.services.blockedCount() == 1; }));
    a.activation->stop(50);
    EXPECT_EQ(a.services.blockedCount(), 1) << "stop() returned while the start was under way";
    a.services.setBlockLaunches(false);
    ASSERT_TRUE(a.activation->waitForWorkers(30000));
    QCoreApplication::processEvents();
    EXPECT_EQ(a.services.launches().size(), 1);
    EXPECT_TRUE(a.placed().isEmpty()) << "the placers are going away";
    EXPECT_TRUE(a.alerts.shown.isEmpty());
}

// Hot keys belong to the activation's list: they switch with no popover built,
// follow the list and go with the workspace.
TEST(Switching, HotKeysSwitchWithNoPopoverAndFollowTheList) {
    constexpr quint32 controlOption = 0x1800; // event-manager form
    QTemporaryDir dir;
    UserDefaults defaults{dir.filePath(QStringLiteral("Dexaro/Dexaro.conf"))};
    FakeHotKeys hotKeys;
    MASShortcutMonitor monitor{hotKeys};
    MASShortcutBinder binder{monitor, defaults};
    ASSERT_TRUE(defaults.setValue(
        ws, MASShortcut(40, MASShortcut::ControlFlag | MASShortcut::OptionFlag).encode()));
    Activation a([&](ActivationServices& s) { s.binder = &binder; });
    const WSListModelPtr work = workspace(ws, QStringLiteral("Work"), {"Mail"});
    a.activation->setWorkspaces({work});
    ASSERT_EQ(hotKeys.countFor(40, controlOption), 1);

    ASSERT_TRUE(hotKeys.press(40, controlOption));
    ASSERT_TRUE(waitUntil([&] { return a.activation->itemState(ws) == ItemStateEnum::active; }));
    EXPECT_EQ(a.closes, 1) << "a hot key closes the popover first";
    ASSERT_TRUE(hotKeys.press(40, controlOption));
    ASSERT_TRUE(waitUntil([&] { return a.activation->itemState(ws) == ItemStateEnum::inactive; }));
    EXPECT_EQ(a.services.terminated().size(), 1);
    EXPECT_FALSE(a.controller) << "no popover was built";

    a.activation->setWorkspaces({});
    EXPECT_EQ(hotKeys.countFor(40, controlOption), 0);
    a.activation->setWorkspaces({work});
    a.activation.reset();
    EXPECT_EQ(hotKeys.countFor(40, controlOption), 0) << "gone with the activation";
}

TEST(Switching, AForgottenWorkspaceIsOffAndRecordsNothingMore) {
    Activation a;
    const QString first = QStringLiteral("101"), second = QStringLiteral("202");
    a.activation->setWorkspaces({workspace(first, QStringLiteral("First"), {"Mail"}),
                                 workspace(second, QStringLiteral("Second"), {"Notes"})});
    a.toggle(second);
    a.services.holdLaunches = true;
    a.toggle(first);
    ASSERT_EQ(a.services.heldCount(), 1);

    // Deleted while opening: its late launch records nothing.
    a.activation->forgetWorkspace(first);
    a.services.releaseHeldLaunches();
    a.settle();
    EXPECT_EQ(a.activation->itemState(first), ItemStateEnum::inactive);
    EXPECT_TRUE(a.activation->records().launchedApps(first).isEmpty());
    // The other is untouched; forgotten, nothing of it is closed.
    EXPECT_EQ(a.activation->records().launchedApps(second).size(), 1);
    a.activation->forgetWorkspace(second);
    EXPECT_FALSE(a.activation->isOn(second));
    EXPECT_TRUE(a.services.terminated().isEmpty());
}

} // namespace
