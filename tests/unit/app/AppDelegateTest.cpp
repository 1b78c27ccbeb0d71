// The application delegate with fake platform services and a real store in a
// temporary folder: start-up effects, when the popover opens and closes, and
// the quit path. The real program's start, quit, second start and popover
// presses are the X11 tests'; the workspace list's freshness after changes in
// the main window is x11_authoring's.
#include "app/AppDelegate.h"
#include "activation/StatusBarItemViewController.h"
#include "activation/WorkspaceActivation.h"
#include "app/AppIdentifiers.h"
#include "app/CustomMainWindow.h"
#include "app/SharedObjects.h"
#include "app/SingleInstance.h"
#include "model/WorkspaceStore.h"
#include "platform/ObjectStore.h"
#include "platform/Popover.h"
#include "support/DesktopPlatform.h"
#include "support/QtPrinters.h"
#include "support/RecordingAlerts.h"
#include "support/RunSql.h"
#include "support/ShellFakes.h"
#include "support/Wait.h"

#include <QApplication>
#include <QTemporaryDir>
#include <QTest>
#include <QWindow>
#include <functional>
#include <gtest/gtest.h>

using namespace dexaro;
using namespace dexaro::test;

namespace {

struct SilentUpdater : Updater {
    void checkForUpdatesInBackground() override {}
    void checkForUpdates() override {}
};

class AppDelegateTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(dir.isValid());
        qputenv("XDG_DATA_HOME", dir.filePath(QStringLiteral("data")).toUtf8());
        qputenv("XDG_CONFIG_HOME", dir.filePath(QStringLiteral("config")).toUtf8());
    }

    // A delegate over the store in the temporary folder; the fakes stay reachable.
    std::unique_ptr<AppDelegate> makeDelegate() {
        AppServices services;
        services.alerts.reset(alerts = new RecordingAlerts);
        services.loginItem.reset(loginItem = new FakeLoginItem);
        services.sessionBus.reset(bus = new FakeSessionBus);
        services.statusItem.reset(statusItem = new FakeStatusItem);
        services.updater = std::make_unique<SilentUpdater>();
        services.checkAccessibility = [](bool) {
            return true;
        };
        services.exit = [this](int status) {
            exitStatuses.append(status);
        };
        services.storePath = storePath;
        return std::make_unique<AppDelegate>(test::desktop(), std::move(services));
    }
    // A delegate started after `configure` has set up its fakes.
    std::unique_ptr<AppDelegate> start(const std::function<void()>& configure = [] {}) {
        auto delegate = makeDelegate();
        configure();
        EXPECT_EQ(delegate->applicationDidFinishLaunching(), AppDelegate::LaunchResult::Started);
        return delegate;
    }

    QTemporaryDir dir;
    const QString storePath = dir.filePath(QStringLiteral("data/Dexaro/Dexaro.sqlite"));
    RecordingAlerts* alerts = nullptr;
    FakeLoginItem* loginItem = nullptr;
    FakeSessionBus* bus = nullptr;
    FakeStatusItem* statusItem = nullptr;
    QList<int> exitStatuses;
};

} // namespace

TEST_F(AppDelegateTest, FirstStartClaimsTheLoginItemOnlyWhenItIsGrantedAndLaterStartsKeepTheUsers) {
    for (const bool refused : {true, false}) {
        SCOPED_TRACE(refused);
        QDir(QFileInfo(storePath).absolutePath()).removeRecursively();
        auto first = start([&] { loginItem->refuse = refused; });
        EXPECT_EQ(loginItem->calls,
                  (QList<std::pair<QString, bool>>{{LauncherBundleIdentifier, true}}));
        EXPECT_EQ(first->store().readSetting(QStringLiteral("runWSAtLogin")), refused ? "0" : "1");
    }
    // The user switched it off in the meantime; the next start keeps that and registers nothing.
    runSql(storePath, "UPDATE Settings SET value = '0' WHERE name = 'runWSAtLogin';");
    auto next = start();
    EXPECT_TRUE(loginItem->calls.isEmpty());
    EXPECT_EQ(next->settings().runAtLogin, QStringLiteral("0"));
}

// The X11 test starts a second Dexaro beside a first; here: what the loser
// touches, foreign requests, and a session without a bus.
TEST_F(AppDelegateTest, OneDexaroAtATimeByTheSessionBusOrElseByTheStoresLock) {
    auto second = makeDelegate();
    bus->ownedByOthers = {MainAppBundleIdentifier};
    EXPECT_EQ(second->applicationDidFinishLaunching(), AppDelegate::LaunchResult::AlreadyRunning);
    EXPECT_FALSE(QFile::exists(storePath)) << "a second Dexaro touches no store";

    second.reset();
    auto first = start(); // each fake bus is a bus of its own: they never meet
    first->closePopover();
    bus->deliver(SingleInstance::showPopoverNotification, QStringLiteral("someone.else"));
    EXPECT_FALSE(first->isPopoverShown()) << "only Dexaro's own request counts";
    EXPECT_EQ(makeDelegate()->applicationDidFinishLaunching(),
              AppDelegate::LaunchResult::AlreadyRunning);
    first.reset(); // the lock goes with the first one
    EXPECT_EQ(makeDelegate()->applicationDidFinishLaunching(), AppDelegate::LaunchResult::Started);
}

// SIGTERM while a start-up alert waits for the user: start-up stops there and
// the quit is not lost (it used to be, and later quits did nothing).
TEST_F(AppDelegateTest, AQuitAskedForDuringAStartUpAlertEndsStartUp) {
    start()->requestQuit(); // a store with its schema
    runSql(storePath, "DELETE FROM Settings; CREATE TRIGGER refuse BEFORE INSERT ON Settings "
                      "BEGIN SELECT RAISE(ABORT, 'refused by the test'); END;");
    exitStatuses.clear();
    auto delegate = makeDelegate();
    alerts->onShown = [&] {
        delegate->requestQuit();
    };
    EXPECT_EQ(delegate->applicationDidFinishLaunching(),
              AppDelegate::LaunchResult::QuitDuringStartUp);
    EXPECT_EQ(exitStatuses, QList<int>{0});
    EXPECT_FALSE(delegate->isPopoverShown());
}

// The X11 test sees the popover open under tint2's icon; here the icon moved
// later, and a tray that never places it.
TEST_F(AppDelegateTest, PopoverWaitsForTheIconsPlaceFollowsItAndOpensAnywayWithoutOne) {
    const auto pending = [&] {
        statusItem->placementPending = true;
    };
    auto delegate = start(pending);
    EXPECT_FALSE(delegate->isPopoverShown()) << "opened before the icon had a place";
    for (const int left : {500, 300}) {
        statusItem->place(QRect(left, 3, 24, 24));
        ASSERT_TRUE(delegate->isPopoverShown());
        EXPECT_EQ(delegate->popover()->geometry().center().x(), left + 11);
    }
    delegate.reset();
    // No tray host at all: the popover opens anyway, and the missing status
    // area is said once.
    auto never = start([&] {
        pending();
        statusItem->available = false;
    });
    EXPECT_TRUE(waitUntil([&] { return never->isPopoverShown(); }, 15000));
    ASSERT_TRUE(waitUntil([&] { return !alerts->shown.isEmpty(); }, 10000));
    EXPECT_EQ(alerts->shown.size(), 1);
    EXPECT_TRUE(alerts->shown[0].informative.contains(QStringLiteral("dexaro --toggle")));
}

// Presses elsewhere and on tint2's icon are the X11 test's: a click in the main
// window, and a host-drawn icon that takes the focus before it reports the click.
TEST_F(AppDelegateTest, PopoverClosesOnAMainWindowClickAndAHostDrawnIconsClickDoesNotReopenIt) {
    auto delegate = start();
    delegate->mainWindow()->show();
    QTest::mouseClick(delegate->mainWindow()->windowHandle(), Qt::LeftButton, {}, QPoint(5, 5));
    EXPECT_FALSE(delegate->isPopoverShown());
    EXPECT_FALSE(delegate->hasEventMonitors());
    delegate->mainWindow()->hide();

    statusItem->click();
    delegate->popover()->windowHandle()->requestActivate();
    ASSERT_TRUE(
        waitUntil([] { return QGuiApplication::applicationState() == Qt::ApplicationActive; }));
    statusItem->drawnByHost = true;
    // Offscreen no other application takes the focus: the state changes as it would.
    emit qApp->applicationStateChanged(Qt::ApplicationInactive);
    EXPECT_FALSE(delegate->isPopoverShown());
    statusItem->click();
    EXPECT_FALSE(delegate->isPopoverShown()) << "the click closed it and opened it again";
    EXPECT_TRUE(waitUntil([&] {
        statusItem->click();
        return delegate->isPopoverShown();
    })) << "a later click opens it";
}

// A person's quit saves pending changes and, when the save fails, asks whether
// to quit anyway. The session's quit (SIGTERM at logout) waits for no one: after
// a failed save it shows nothing and ends, also while a person's quit asks.
TEST_F(AppDelegateTest, QuitSavesAFailedSaveAsksAndTheSessionsQuitNeverWaits) {
    auto delegate = start();
    runSql(storePath, "CREATE TRIGGER refuse BEFORE INSERT ON Settings "
                      "BEGIN SELECT RAISE(ABORT, 'refused by the test'); END;");
    const auto pending = [](AppDelegate& d) -> ObjectStore& {
        ObjectStore& context = d.store().context();
        context.setValue(context.insert(schema::settings), QStringLiteral("name"), "pending");
        return context;
    };
    ObjectStore& context = pending(*delegate);
    alerts->answer = 1; // "Cancel": still running, the change still pending
    EXPECT_FALSE(delegate->requestQuit());
    EXPECT_TRUE(exitStatuses.isEmpty() && context.hasChanges());
    ASSERT_FALSE(alerts->shown.isEmpty());
    EXPECT_TRUE(alerts->shown[0].informative.contains(QStringLiteral("refused by the test")));
    alerts->shown.clear();
    EXPECT_TRUE(delegate->requestQuit(AppDelegate::QuitRequester::session));
    EXPECT_TRUE(alerts->shown.isEmpty());
    EXPECT_EQ(exitStatuses, QList<int>{0});

    // The signal arrives while a person's quit asks.
    exitStatuses.clear();
    delegate.reset();
    auto second = start();
    pending(*second);
    bool signalled = false;
    alerts->onShown = [&] {
        if (alerts->shown.last().buttons.isEmpty() || std::exchange(signalled, true))
            return; // the warning before the question
        EXPECT_TRUE(second->requestQuit(AppDelegate::QuitRequester::session));
    };
    EXPECT_TRUE(second->requestQuit());
    EXPECT_EQ(exitStatuses, QList<int>{0}) << "ended once, by the session";

    // Writable again: the next quit saves and asks nothing.
    exitStatuses.clear();
    second.reset();
    runSql(storePath, "DROP TRIGGER refuse;");
    auto third = start();
    ObjectStore& saved = pending(*third);
    EXPECT_TRUE(third->requestQuit());
    EXPECT_FALSE(saved.hasChanges());
    EXPECT_TRUE(alerts->shown.isEmpty());
    EXPECT_EQ(exitStatuses, QList<int>{0});
}

TEST(MainWindowFrame, FillsTheWorkAreaLessMarginsAndIsCentred) {
    const struct {
        const char* name;
        QRect workArea;
        int thickness;
        QRect expected;
    } rows[] = {
        {"panels top 30 and bottom 24", QRect(0, 30, 1440, 846), 30, QRect(50, 105, 1340, 696)},
        {"tiny screen keeps a usable window", QRect(0, 0, 500, 300), 24, QRect(10, 0, 480, 300)},
    };
    for (const auto& row : rows)
        EXPECT_EQ(CustomMainWindow::frameFor(row.workArea, row.thickness), row.expected)
            << row.name;
}
