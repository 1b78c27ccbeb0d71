// The application delegate with fake platform services and a real store in a
// temporary folder: start-up order effects, when the popover opens and closes,
// workspace list freshness and the quit path. The real program's start, quit,
// second start and popover presses are the X11 tests'.
#include "app/AppDelegate.h"
#include "app/AppIdentifiers.h"
#include "support/DesktopPlatform.h"
#include "support/QtPrinters.h"
#include "support/RecordingAlerts.h"
#include "support/RunSql.h"
#include "support/ShellFakes.h"
#include "support/Wait.h"

#include <QApplication>
#include <QScreen>
#include <QTemporaryDir>
#include <QTest>
#include <QWindow>
#include <gtest/gtest.h>

using namespace dexaro;
using namespace dexaro::test;

namespace {

struct SilentUpdater : Updater {
    void checkForUpdatesInBackground() override {}
    void checkForUpdates() override {}
};

// The store refuses new settings: start-up and quit must save, and fail.
const char* const refuseSettings = "CREATE TRIGGER refuse BEFORE INSERT ON Settings "
                                   "BEGIN SELECT RAISE(ABORT, 'refused by the test'); END;";

class AppDelegateTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(dir.isValid());
        qputenv("XDG_DATA_HOME", dir.filePath(QStringLiteral("data")).toUtf8());
        qputenv("XDG_CONFIG_HOME", dir.filePath(QStringLiteral("config")).toUtf8());
        storePath = dir.filePath(QStringLiteral("data/Dexaro/Dexaro.sqlite"));
    }

    // A delegate over the store in the temporary folder; the fakes stay reachable.
    std::unique_ptr<AppDelegate> makeDelegate() {
        AppServices services;
        services.alerts.reset(alerts = new RecordingAlerts);
        services.loginItem.reset(loginItem = new FakeLoginItem);
        services.sessionBus.reset(bus = new FakeSessionBus);
        services.statusItem.reset(statusItem = new FakeStatusItem);
        services.updater = std::make_unique<SilentUpdater>();
        bus->ownedByOthers = busNamesOwned;
        statusItem->placementPending = iconPlacementPending;
        loginItem->refuse = loginItemRefuses;
        services.checkAccessibility = [](bool) {
            return true;
        };
        services.exit = [this](int status) {
            exitStatuses.append(status);
        };
        services.storePath = storePath;
        return std::make_unique<AppDelegate>(test::desktop(), std::move(services));
    }
    std::unique_ptr<AppDelegate> start() {
        auto delegate = makeDelegate();
        QString error;
        EXPECT_EQ(delegate->applicationDidFinishLaunching(&error),
                  AppDelegate::LaunchResult::Started)
            << error.toStdString();
        return delegate;
    }

    QTemporaryDir dir;
    QString storePath;
    QSet<QString> busNamesOwned;
    bool iconPlacementPending = false;
    bool loginItemRefuses = false;
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
        loginItemRefuses = refused;
        const QString stored = refused ? QStringLiteral("0") : QStringLiteral("1");
        auto first = start();
        EXPECT_EQ(loginItem->calls,
                  (QList<std::pair<QString, bool>>{{LauncherBundleIdentifier, true}}));
        EXPECT_EQ(first->settings().runAtLogin, stored);
        EXPECT_EQ(first->store().readSetting(QStringLiteral("runWSAtLogin")), stored);
        EXPECT_TRUE(first->isPopoverShown()) << "start-up goes on";
    }
    // The user switched it off in the meantime; the next start keeps that and registers nothing.
    runSql(storePath, "UPDATE Settings SET value = '0' WHERE name = 'runWSAtLogin';"
                      "INSERT INTO Settings (name, value) VALUES ('hideApps', '1');");
    auto next = start();
    EXPECT_TRUE(loginItem->calls.isEmpty());
    EXPECT_EQ(next->settings().runAtLogin, QStringLiteral("0"));
    EXPECT_EQ(next->settings().hideApps, QStringLiteral("1"));
}

// The X11 test starts a second Dexaro beside a first; here: what the loser
// touches, foreign requests, and a session without a bus.
TEST_F(AppDelegateTest, OneDexaroAtATimeByTheSessionBusOrElseByTheStoresLock) {
    busNamesOwned = {MainAppBundleIdentifier};
    auto second = makeDelegate();
    EXPECT_EQ(second->applicationDidFinishLaunching(), AppDelegate::LaunchResult::AlreadyRunning);
    EXPECT_EQ(bus->posted, (QList<std::pair<QString, QString>>{
                               {AppDelegate::showPopoverNotification, MainAppBundleIdentifier}}));
    EXPECT_FALSE(QFile::exists(storePath)) << "a second Dexaro touches no store";

    second.reset();
    busNamesOwned.clear();
    auto first = start(); // each fake bus is a bus of its own: they never meet
    first->closePopover();
    bus->deliver(QStringLiteral("showPopover"), QStringLiteral("someone.else"));
    EXPECT_FALSE(first->isPopoverShown()) << "only Dexaro's own request counts";
    EXPECT_EQ(makeDelegate()->applicationDidFinishLaunching(),
              AppDelegate::LaunchResult::AlreadyRunning);
    first.reset(); // the lock goes with the first one
    EXPECT_EQ(makeDelegate()->applicationDidFinishLaunching(), AppDelegate::LaunchResult::Started);
}

TEST_F(AppDelegateTest, AQuitAskedForDuringAStartUpAlertEndsStartUp) {
    start()->requestQuit(); // a store with its schema
    runSql(storePath, (QByteArray("DELETE FROM Settings; ") + refuseSettings).constData());
    exitStatuses.clear();
    auto delegate = makeDelegate();
    alerts->onShown = [&] {
        delegate->requestQuit();
    }; // SIGTERM while the alert shows
    EXPECT_EQ(delegate->applicationDidFinishLaunching(),
              AppDelegate::LaunchResult::QuitDuringStartUp);
    EXPECT_EQ(exitStatuses, QList<int>{0});
    EXPECT_FALSE(delegate->isPopoverShown());
}

// The X11 test sees the popover open under tint2's icon; here the icon moved
// later, and a tray that never places it.
TEST_F(AppDelegateTest, PopoverWaitsForTheIconsPlaceFollowsItAndOpensAnywayWithoutOne) {
    iconPlacementPending = true;
    auto delegate = start();
    EXPECT_FALSE(delegate->isPopoverShown()) << "opened before the icon had a place";
    for (const int left : {500, 300}) {
        statusItem->place(QRect(left, 3, 24, 24));
        ASSERT_TRUE(delegate->isPopoverShown());
        EXPECT_EQ(delegate->popover()->geometry().center().x(), left + 11);
    }
    delegate.reset();
    auto never = start();
    EXPECT_TRUE(waitUntil([&] { return never->isPopoverShown(); }, 15000));
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

TEST_F(AppDelegateTest, WorkspaceListUpdatesAreConsumedOncePerTag) {
    auto delegate = makeDelegate();
    const std::pair<const char*, bool> steps[] = {
        {"statusbar", true}, {"statusbar", false}, {"editor", true}, {"creator", false}};
    for (const auto& [tag, expected] : steps)
        EXPECT_EQ(delegate->consumeWorkspaceListUpdate(QString::fromLatin1(tag)), expected) << tag;
    delegate->setWorkspaceListUpdated();
    EXPECT_TRUE(delegate->consumeWorkspaceListUpdate(QStringLiteral("editor")));
    EXPECT_EQ(delegate->wsListUpdated(), QStringList{"statusbar"});
}

TEST_F(AppDelegateTest, QuitSavesPendingChangesAndAFailedSaveAsksWhetherToQuitAnyway) {
    auto delegate = start();
    ObjectStore& context = delegate->store().context();
    runSql(storePath, refuseSettings);
    context.setValue(context.insert(schema::settings), QStringLiteral("name"), "pending");
    alerts->answer = 1; // "Cancel": still running, the change still pending
    EXPECT_FALSE(delegate->requestQuit());
    EXPECT_TRUE(exitStatuses.isEmpty());
    EXPECT_TRUE(context.hasChanges());
    ASSERT_FALSE(alerts->shown.isEmpty());
    EXPECT_TRUE(alerts->shown.first().informative.contains(QStringLiteral("refused by the test")));
    const qsizetype shown = alerts->shown.size();

    runSql(storePath, "DROP TRIGGER refuse;"); // the next quit saves and asks nothing
    EXPECT_TRUE(delegate->requestQuit());
    EXPECT_FALSE(context.hasChanges());
    EXPECT_EQ(alerts->shown.size(), shown);
    EXPECT_EQ(exitStatuses, QList<int>{0});
}

TEST_F(AppDelegateTest, AScreenChangeRefitsTheMainWindow) {
    auto delegate = start();
    QScreen* screen = QGuiApplication::primaryScreen();
    delegate->mainWindow()->setGeometry(10, 10, 300, 200);
    // Offscreen screens never change: announce the change as the platform does.
    emit screen->availableGeometryChanged(screen->availableGeometry());
    EXPECT_EQ(delegate->mainWindow()->geometry(),
              AppDelegate::mainWindowFrame(screen->availableGeometry(), 24));
}

TEST(MainWindowFrame, FillsTheWorkAreaLessMarginsAndIsCentred) {
    const struct {
        const char* name;
        QRect workArea;
        int thickness;
        QRect expected;
    } rows[] = {
        {"panels top 30 and bottom 24", QRect(0, 30, 1440, 846), 30, QRect(50, 105, 1340, 696)},
        {"no panel", QRect(0, 0, 1920, 1080), 24, QRect(50, 60, 1820, 960)},
        {"second screen on the right", QRect(1920, 0, 1280, 1024), 24, QRect(1970, 60, 1180, 904)},
        {"tiny screen keeps a usable window", QRect(0, 0, 500, 300), 24, QRect(10, 0, 480, 300)},
    };
    for (const auto& row : rows)
        EXPECT_EQ(AppDelegate::mainWindowFrame(row.workArea, row.thickness), row.expected)
            << row.name;
}
