// Switching workspaces on and off from the popover's list, over recording
// services: what is launched, closed and reported, and the row states. Real
// launches, links and files are x11_launch's; a real hot key's switch x11_app's.
#include "PopoverFixture.h"
#include "activation/AnimatedSwitch.h"
#include "model/Identifier.h"
#include "model/TemporaryGlobalDataHolder.h"
#include "positioning/AllPositionsHolder.h"
#include "support/Wait.h"

#include <QAccessible>

using namespace dexaro;
using namespace dexaro::test;

namespace {

const QString ws = QStringLiteral("-4242");

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
        Popover p;
        for (const QString& app : r.apps.first(r.failing))
            p.services.failingEntries.insert(entry(app));
        p.show({workspace(ws, QStringLiteral("Work"), r.apps)});
        p.toggle(ws);
        const bool on = r.informative == nullptr; // and only a failure closes the popover
        const QString shown = p.alerts.shown.isEmpty() ? QString() : p.alerts.shown[0].informative;
        EXPECT_EQ(std::tuple(p.row(ws)->wsLauncherToggle()->isChecked(),
                             p.list()->records().launchedApps(ws).size(), p.closes,
                             p.alerts.shown.size(), shown),
                  std::tuple(on, r.apps.size() - r.failing, on ? 0 : 1, on ? 0 : 1,
                             QString::fromUtf8(r.informative)));
    }
}

// Only a stored "1" counts, and each setting is read when it is used.
TEST(Switching, SettingsDecideHowItOpensAndHowItClosesWhatItRecorded) {
    const struct {
        QString value;
        bool counts;
    } rows[] = {{"1", true}, {"0", false}, {"", false}, {"true", false}};
    for (const auto& r : rows) {
        SCOPED_TRACE(r.value.toStdString());
        Popover p;
        p.settings.hideApps = p.settings.createNewInstance = r.value;
        // "Gone" fails to start; "Nameless" has no name but is recorded all the same.
        p.services.failingEntries = {entry(QStringLiteral("Gone"))};
        p.services.localizedNames[entry(QStringLiteral("Nameless"))] = QString();
        p.show(
            {workspace(ws, QStringLiteral("Work"),
                       {QStringLiteral("Mail"), QStringLiteral("Gone"), QStringLiteral("Nameless")},
                       {QStringLiteral("example.org")})});
        p.toggle(ws);
        const auto launches = p.services.launches();
        ASSERT_EQ(launches.size(), 3);
        EXPECT_EQ(launches[0].configuration.hides, r.counts);
        EXPECT_EQ(launches[0].configuration.createsNewApplicationInstance, r.counts);
        ASSERT_EQ(p.list()->records().launchedApps(ws).size(), 2);

        p.settings.forceTerminate = r.value;
        p.toggle(ws);
        EXPECT_EQ((r.counts ? p.services.forceTerminated() : p.services.terminated()).size(), 2)
            << "every recorded application, nameless too";
        EXPECT_TRUE((r.counts ? p.services.terminated() : p.services.forceTerminated()).isEmpty());
        EXPECT_EQ(p.list()->itemState(ws), ItemStateEnum::inactive);
        EXPECT_TRUE(p.list()->records().launchedAppNames(ws).isEmpty());
        EXPECT_EQ(p.closes, 1) << "switching off closes the popover";
    }
}

TEST(Switching, EditedApplicationListWinsAndEveryLaunchIsPlaced) {
    Popover p;
    const QString edited = QStringLiteral("-777001");
    TemporaryGlobalDataHolder::shared().setUpdatedAppList(edited, {entry(QStringLiteral("Term"))});
    AllPositionsHolder positions;
    positions.setAppPosition(edited, appPositionKey(entry(QStringLiteral("Term"))),
                             rawValue(PositionName::leftHalf));
    p.host().positions = &positions;
    p.show({workspace(edited, QStringLiteral("Edited"), {QStringLiteral("Mail")})});
    p.toggle(edited);
    const auto placed = p.placed();
    ASSERT_EQ(p.services.launches().size(), 1);
    ASSERT_EQ(placed.size(), 1);
    EXPECT_EQ(std::tuple(p.services.launches()[0].entry, placed[0].first.entry, placed[0].second),
              std::tuple(entry(QStringLiteral("Term")), entry(QStringLiteral("Term")),
                         PositionName::leftHalf));
}

TEST(Switching, SwitchingIsIgnoredWhileTheWorkspaceIsBusy) {
    Popover p;
    p.services.holdLaunches = true;
    p.show(
        {workspace(ws, QStringLiteral("Work"), {QStringLiteral("Mail"), QStringLiteral("Notes")})});
    p.list()->toggleWorkspace(ws, true);
    ASSERT_TRUE(waitUntil([&] { return p.services.heldCount() == 2; }));
    p.list()->workPool().waitForDone();
    EXPECT_EQ(p.list()->itemState(ws), ItemStateEnum::runningApp);

    // The hot key asks to switch off while the opening still waits for launches.
    p.list()->toggleWorkspace(ws, false);
    p.settle();
    EXPECT_TRUE(p.services.terminated().isEmpty());
    p.services.releaseHeldLaunches();
    p.settle();
    EXPECT_EQ(p.list()->records().launchedApps(ws).size(), 2);

    p.toggle(ws);
    EXPECT_EQ(p.services.terminated().size(), 2);
    EXPECT_EQ(p.services.launches().size(), 2) << "nothing launched again";
    EXPECT_EQ(p.list()->itemState(ws), ItemStateEnum::inactive);
}

TEST(Switching, DeletionNoticeFollowsTheWorkspaceNotThePosition) {
    Popover p;
    const QString first = QStringLiteral("101"), second = QStringLiteral("202");
    p.show({workspace(first, QStringLiteral("First"), {QStringLiteral("Mail")}),
            workspace(second, QStringLiteral("Second"), {QStringLiteral("Notes")})});
    p.toggle(second);
    ASSERT_EQ(p.list()->itemState(second), ItemStateEnum::active);
    // The switch is a checkable control named after its workspace.
    QAccessibleInterface* access =
        QAccessible::queryAccessibleInterface(p.row(second)->wsLauncherToggle());
    ASSERT_TRUE(access);
    EXPECT_EQ(std::tuple(access->role(), access->text(QAccessible::Name), access->state().checked),
              std::tuple(QAccessible::CheckBox, QStringLiteral("Second"), true));

    // "First" is deleted: the notice names its position in the list shown now.
    p.list()->handleWSDeleteNotifications(0);
    p.list()->wsList = {p.list()->wsList.at(1)};
    p.list()->reloadData();
    EXPECT_EQ(p.list()->records().launchedApps(second).size(), 1);
    EXPECT_TRUE(p.row(second)->wsLauncherToggle()->isChecked());

    // Notices outside the list are ignored; the switched-on one is forgotten
    // without closing anything.
    p.list()->handleWSDeleteNotifications(5);
    p.list()->handleWSDeleteNotifications(-1);
    EXPECT_EQ(p.list()->itemState(second), ItemStateEnum::active);
    p.list()->handleWSDeleteNotifications(0);
    EXPECT_EQ(p.list()->itemState(second), ItemStateEnum::inactive);
    EXPECT_TRUE(p.list()->records().launchedApps(second).isEmpty());
    EXPECT_TRUE(p.services.terminated().isEmpty());
}

} // namespace
