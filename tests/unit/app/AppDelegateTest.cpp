// The application delegate with fake platform services and a real store in a
// temporary folder: start-up order effects, popover rules with the real mouse
// monitors, workspace list freshness and the quit path.
#include "app/AppDelegate.h"
#include "app/AboutWindow.h"
#include "app/AppIdentifiers.h"
#include "support/DesktopPlatform.h"
#include "support/QtPrinters.h"
#include "support/RecordingAlerts.h"
#include "support/RunSql.h"
#include "support/ShellFakes.h"
#include "support/Wait.h"

#include <QApplication>
#include <QMenu>
#include <QScreen>
#include <QTemporaryDir>
#include <QTest>
#include <QWindow>
#include <gtest/gtest.h>

using namespace dexaro;
using namespace dexaro::test;

namespace {

struct CountingUpdater : Updater {
    void checkForUpdatesInBackground() override {}
    void checkForUpdates() override { ++checks; }
    int checks = 0;
};

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
        services.updater.reset(updater = new CountingUpdater);
        bus->ownedByOthers = busNamesOwned;
        statusItem->placementPending = iconPlacementPending;
        loginItem->refuse = loginItemRefuses;
        services.checkAccessibility = [this](bool prompt) {
            accessibilityPrompts.append(prompt);
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
    CountingUpdater* updater = nullptr;
    QList<bool> accessibilityPrompts;
    QList<int> exitStatuses;
};

void pressIn(QWidget* widget) {
    ASSERT_TRUE(widget->windowHandle()) << "the widget has no window";
    QTest::mousePress(widget->windowHandle(), Qt::LeftButton, Qt::NoModifier, QPoint(5, 5));
    QTest::mouseRelease(widget->windowHandle(), Qt::LeftButton, Qt::NoModifier, QPoint(5, 5));
}

} // namespace

TEST_F(AppDelegateTest, FirstStartRegistersTheLoginItemOnceAndStoresTheSetting) {
    {
        auto first = start();
        EXPECT_EQ(first->settings().runAtLogin, QStringLiteral("1"));
        ASSERT_EQ(loginItem->calls.size(), 1);
        EXPECT_EQ(loginItem->calls.first(), std::make_pair(LauncherBundleIdentifier, true));
        EXPECT_EQ(first->store().readSetting(QStringLiteral("runWSAtLogin")),
                  std::optional<QString>(QStringLiteral("1")));
        EXPECT_FALSE(first->objectStore().hasChanges());
        EXPECT_EQ(accessibilityPrompts, QList<bool>{true});
    }
    // The user switched it off in the meantime; the next start keeps that.
    runSql(storePath, "UPDATE Settings SET value = '0' WHERE name = 'runWSAtLogin';"
                      "INSERT INTO Settings (name, value) VALUES ('hideApps', '1');");
    auto second = start();
    EXPECT_TRUE(loginItem->calls.isEmpty());
    EXPECT_EQ(second->settings().runAtLogin, QStringLiteral("0"));
    EXPECT_EQ(second->settings().hideApps, QStringLiteral("1"));
}

TEST_F(AppDelegateTest, AFirstStartWhoseLoginItemIsRefusedDoesNotClaimIt) {
    loginItemRefuses = true;
    auto delegate = start();
    EXPECT_EQ(loginItem->calls.size(), 1);
    EXPECT_EQ(delegate->settings().runAtLogin, QStringLiteral("0"));
    EXPECT_EQ(delegate->store().readSetting(QStringLiteral("runWSAtLogin")),
              std::optional<QString>(QStringLiteral("0")));
    EXPECT_TRUE(delegate->isPopoverShown()) << "start-up goes on";
}

TEST_F(AppDelegateTest, StartTellsARunningLauncherToQuitAndASecondDexaroStopsAtOnce) {
    using Posted = QList<std::pair<QString, QString>>;
    const struct {
        const char* name;
        QString ownedName;
        AppDelegate::LaunchResult result;
        Posted posted;
    } rows[] = {
        {"alone", QString(), AppDelegate::LaunchResult::Started, {}},
        {"launcher running",
         LauncherBundleIdentifier,
         AppDelegate::LaunchResult::Started,
         {{KillLauncherNotification, MainAppBundleIdentifier}}},
        {"Dexaro running",
         MainAppBundleIdentifier,
         AppDelegate::LaunchResult::AlreadyRunning,
         {{AppDelegate::showPopoverNotification, MainAppBundleIdentifier}}},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        busNamesOwned = {row.ownedName};
        QDir(QFileInfo(storePath).absolutePath()).removeRecursively(); // a first start each
        auto delegate = makeDelegate();
        EXPECT_EQ(delegate->applicationDidFinishLaunching(), row.result);
        EXPECT_EQ(bus->posted, row.posted);
        const bool started = row.result == AppDelegate::LaunchResult::Started;
        EXPECT_EQ(bus->registered, started ? QStringList{MainAppBundleIdentifier} : QStringList());
        // A second Dexaro stops before touching the store or the login item.
        EXPECT_EQ(delegate->hasStore(), started);
        EXPECT_EQ(QFile::exists(storePath), started);
        EXPECT_EQ(loginItem->calls.isEmpty(), !started);
    }
}

TEST_F(AppDelegateTest, WithoutASessionBusTheStoresLockKeepsASecondDexaroOut) {
    auto first = start(); // each fake bus is a bus of its own: they never meet
    auto second = makeDelegate();
    EXPECT_EQ(second->applicationDidFinishLaunching(), AppDelegate::LaunchResult::AlreadyRunning);
    EXPECT_FALSE(second->hasStore());
    first.reset(); // the lock goes with the first one
    auto third = makeDelegate();
    EXPECT_EQ(third->applicationDidFinishLaunching(), AppDelegate::LaunchResult::Started);
}

TEST_F(AppDelegateTest, TheRunningDexaroOpensItsPopoverWhenStartedAgain) {
    auto delegate = start();
    delegate->closePopover();
    bus->deliver(QStringLiteral("showPopover"), QStringLiteral("someone.else"));
    EXPECT_FALSE(delegate->isPopoverShown()) << "only Dexaro's own request counts";
    bus->deliver(QStringLiteral("showPopover"), MainAppBundleIdentifier);
    EXPECT_TRUE(delegate->isPopoverShown());
}

TEST_F(AppDelegateTest, ADamagedStoreStopsStartUpAndStaysAsItWas) {
    QDir().mkpath(QFileInfo(storePath).absolutePath());
    const QByteArray garbage("this is not an SQLite database, just some bytes\n");
    {
        QFile file(storePath);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(garbage);
    }
    auto delegate = makeDelegate();
    QString error;
    EXPECT_EQ(delegate->applicationDidFinishLaunching(&error),
              AppDelegate::LaunchResult::StoreFailed);
    EXPECT_FALSE(error.isEmpty());
    EXPECT_FALSE(delegate->popover());
    EXPECT_TRUE(loginItem->calls.isEmpty());
    ASSERT_EQ(alerts->shown.size(), 1);
    EXPECT_TRUE(alerts->shown[0].informative.contains(error));
    EXPECT_TRUE(alerts->shown[0].informative.contains(storePath));
    QFile file(storePath); // the X11 test checks this for the real program too
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_EQ(file.readAll(), garbage);
}

TEST_F(AppDelegateTest, AQuitAskedForDuringAStartUpAlertEndsStartUp) {
    start()->requestQuit(); // a store with its schema
    // Every setting is gone and the store refuses new ones: start-up alerts.
    runSql(storePath, "DELETE FROM Settings; CREATE TRIGGER refuse BEFORE INSERT ON Settings "
                      "BEGIN SELECT RAISE(ABORT, 'refused by the test'); END;");
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

TEST_F(AppDelegateTest, PopoverOpensAtStartUnderTheStatusItemWithBothMonitors) {
    auto delegate = start();
    ASSERT_TRUE(delegate->isPopoverShown());
    EXPECT_TRUE(delegate->hasEventMonitors());
    EXPECT_GT(delegate->popover()->geometry().top(), statusItem->iconGeometry().bottom())
        << "below the icon";
    EXPECT_TRUE(delegate->mainWindow());
    EXPECT_FALSE(delegate->mainWindow()->isVisible()) << "the main window starts hidden";
}

TEST_F(AppDelegateTest, PopoverWaitsForTheTrayToPlaceTheIconAndFollowsIt) {
    iconPlacementPending = true;
    auto delegate = start();
    EXPECT_FALSE(delegate->isPopoverShown()) << "opened before the icon had a place";
    statusItem->place(QRect(500, 3, 24, 24));
    ASSERT_TRUE(delegate->isPopoverShown());
    EXPECT_EQ(delegate->popover()->geometry().center().x(), 511);
    // The tray moves the icon when other icons come and go.
    statusItem->place(QRect(300, 3, 24, 24));
    EXPECT_EQ(delegate->popover()->geometry().center().x(), 311);
}

TEST_F(AppDelegateTest, PopoverOpensAnywayWhenTheTrayNeverPlacesTheIcon) {
    iconPlacementPending = true;
    auto delegate = start();
    EXPECT_TRUE(waitUntil([&] { return delegate->isPopoverShown(); }, 15000));
}

TEST_F(AppDelegateTest, StatusItemClicksToggleThePopoverAndEscapeClosesIt) {
    auto delegate = start();
    statusItem->setVisible(true);
    // The press on the icon itself leaves the popover to the click handler.
    pressIn(statusItem->button.get());
    EXPECT_TRUE(delegate->isPopoverShown());
    statusItem->click();
    EXPECT_FALSE(delegate->isPopoverShown());
    EXPECT_FALSE(delegate->hasEventMonitors());
    statusItem->click();
    EXPECT_TRUE(delegate->isPopoverShown());
    EXPECT_TRUE(delegate->hasEventMonitors());
    QTest::keyClick(delegate->popover(), Qt::Key_Escape);
    EXPECT_FALSE(delegate->isPopoverShown());
    EXPECT_FALSE(delegate->hasEventMonitors());
}

TEST_F(AppDelegateTest, TheStatusItemMenuOffersThePopoverAndTheSettingsCommands) {
    auto delegate = start();
    ASSERT_TRUE(statusItem->menu);
    QList<QAction*> commands;
    for (QAction* action : statusItem->menu->actions())
        if (!action->isSeparator())
            commands.append(action);
    QStringList titles;
    for (QAction* action : commands)
        titles.append(action->text());
    EXPECT_EQ(titles, (QStringList{QStringLiteral("Show Workspaces"),
                                   QStringLiteral("Add \u2022 Edit \u2022 Settings"),
                                   QStringLiteral("Check for update"), QStringLiteral("About"),
                                   QStringLiteral("Quit")}));
    emit statusItem->menu->aboutToShow();
    EXPECT_EQ(commands[0]->text(), QStringLiteral("Hide Workspaces"));
    commands[0]->trigger();
    EXPECT_FALSE(delegate->isPopoverShown());
    emit statusItem->menu->aboutToShow();
    EXPECT_EQ(commands[0]->text(), QStringLiteral("Show Workspaces"));
    commands[0]->trigger();
    EXPECT_TRUE(delegate->isPopoverShown());

    commands[1]->trigger(); // the main window, on the tab it showed last
    EXPECT_FALSE(delegate->isPopoverShown());
    EXPECT_TRUE(waitUntil([&] { return delegate->mainWindow()->isVisible(); }));
    commands[2]->trigger();
    EXPECT_EQ(updater->checks, 1);
    commands[4]->trigger();
    EXPECT_EQ(exitStatuses, QList<int>{0});
}

TEST_F(AppDelegateTest, TheAboutWindowIsBuiltOnceAndShownCentredEachTime) {
    auto delegate = start();
    delegate->showAboutWindow();
    AboutWindow* about = delegate->aboutWindow();
    ASSERT_TRUE(about);
    EXPECT_TRUE(about->isVisible());
    EXPECT_EQ(about->size(), QSize(400, 390));
    const QRect available = QGuiApplication::primaryScreen()->availableGeometry();
    EXPECT_LE((about->frameGeometry().center() - available.center()).manhattanLength(), 1);
    about->move(available.topLeft());
    about->close();
    EXPECT_FALSE(about->isVisible());

    delegate->showAboutWindow();
    EXPECT_EQ(delegate->aboutWindow(), about) << "reused, not built anew";
    EXPECT_TRUE(about->isVisible());
    EXPECT_LE((about->frameGeometry().center() - available.center()).manhattanLength(), 1);
}

TEST_F(AppDelegateTest, LocalMonitorClosesOnlyForClicksInTheMainWindow) {
    auto delegate = start();
    pressIn(delegate->popover());
    EXPECT_TRUE(delegate->isPopoverShown()) << "a click inside the popover";

    QWidget other; // another window of ours, such as the about window
    other.setGeometry(100, 500, 200, 100);
    other.show();
    pressIn(&other);
    EXPECT_TRUE(delegate->isPopoverShown()) << "a click in another window of ours";

    delegate->mainWindow()->show();
    pressIn(delegate->mainWindow());
    EXPECT_FALSE(delegate->isPopoverShown()) << "a click in the main window";
    EXPECT_FALSE(delegate->hasEventMonitors());

    // Closed: the monitors are gone, a click anywhere changes nothing.
    pressIn(delegate->mainWindow());
    EXPECT_FALSE(delegate->isPopoverShown());
}

TEST_F(AppDelegateTest, LosingTheFocusToAnotherApplicationClosesThePopover) {
    auto delegate = start();
    QWindow* popover = delegate->popover()->windowHandle();
    popover->requestActivate();
    ASSERT_TRUE(
        waitUntil([] { return QGuiApplication::applicationState() == Qt::ApplicationActive; }));
    EXPECT_TRUE(delegate->isPopoverShown()) << "gaining the focus keeps it open";

    // Offscreen there is no other application to click: the application state
    // changes as it does when another application takes the focus.
    emit qApp->applicationStateChanged(Qt::ApplicationInactive);
    EXPECT_FALSE(delegate->isPopoverShown());
    EXPECT_FALSE(delegate->hasEventMonitors());

    // An icon of our own window does not take the focus: its click reopens.
    statusItem->click();
    EXPECT_TRUE(delegate->isPopoverShown());
}

TEST_F(AppDelegateTest, AClickOnAHostDrawnIconThatTookTheFocusDoesNotReopen) {
    auto delegate = start();
    statusItem->drawnByHost = true;
    delegate->popover()->windowHandle()->requestActivate();
    ASSERT_TRUE(
        waitUntil([] { return QGuiApplication::applicationState() == Qt::ApplicationActive; }));
    // The click on the host's icon takes the focus first, then reports the click.
    emit qApp->applicationStateChanged(Qt::ApplicationInactive);
    statusItem->click();
    EXPECT_FALSE(delegate->isPopoverShown()) << "the click closed it and opened it again";
    EXPECT_TRUE(waitUntil([&] {
        statusItem->click();
        return delegate->isPopoverShown();
    })) << "a later click opens it";
}

TEST_F(AppDelegateTest, WorkspaceListUpdatesAreConsumedOncePerTag) {
    auto delegate = makeDelegate();
    struct Step {
        const char* tag;
        bool expected;
    };
    const Step steps[] = {{"statusbar", true},
                          {"statusbar", false},
                          {"editor", true},
                          {"editor", false},
                          {"creator", false}};
    for (const Step& step : steps)
        EXPECT_EQ(delegate->consumeWorkspaceListUpdate(QString::fromLatin1(step.tag)),
                  step.expected)
            << step.tag;
    EXPECT_TRUE(delegate->wsListUpdated().isEmpty());
    delegate->setWorkspaceListUpdated();
    EXPECT_EQ(delegate->wsListUpdated(), (QStringList{"statusbar", "editor"}));
    EXPECT_TRUE(delegate->consumeWorkspaceListUpdate(QStringLiteral("editor")));
    EXPECT_EQ(delegate->wsListUpdated(), QStringList{"statusbar"});
}

TEST_F(AppDelegateTest, QuitSavesPendingChangesAndEndsWithStatusZero) {
    auto delegate = start();
    ObjectStore& context = delegate->store().context();
    context.setValue(context.insert(schema::settings), QStringLiteral("name"),
                     QStringLiteral("pending"));
    EXPECT_TRUE(delegate->requestQuit());
    EXPECT_FALSE(context.hasChanges());
    EXPECT_TRUE(alerts->shown.isEmpty());
    EXPECT_FALSE(delegate->hasEventMonitors());
    EXPECT_EQ(exitStatuses, QList<int>{0});
}

TEST_F(AppDelegateTest, AFailedSaveAsksAndCancelKeepsRunningWithTheChangesPending) {
    auto delegate = start();
    ObjectStore& context = delegate->store().context();
    context.setValue(context.insert(schema::settings), QStringLiteral("name"),
                     QStringLiteral("pending"));
    // The store refuses every new setting from now on.
    runSql(storePath, "CREATE TRIGGER refuse BEFORE INSERT ON Settings "
                      "BEGIN SELECT RAISE(ABORT, 'refused by the test'); END;");

    alerts->answer = 1; // "Cancel"
    EXPECT_FALSE(delegate->requestQuit());
    EXPECT_TRUE(exitStatuses.isEmpty());
    EXPECT_TRUE(context.hasChanges());
    ASSERT_FALSE(alerts->shown.isEmpty());
    const RecordedAlert& question = alerts->shown.last();
    EXPECT_EQ(question.message,
              QStringLiteral("Could not save changes while quitting. Quit anyway?"));
    EXPECT_EQ(question.buttons, (QStringList{"Quit anyway", "Cancel"}));
    EXPECT_TRUE(alerts->shown.first().informative.contains(QStringLiteral("refused by the test")))
        << "the save error is shown";

    // Still running; this time the user quits anyway.
    alerts->answer = 0;
    EXPECT_TRUE(delegate->requestQuit());
    EXPECT_EQ(exitStatuses, QList<int>{0});
}

TEST_F(AppDelegateTest, AScreenChangeRefitsTheHiddenMainWindow) {
    auto delegate = start();
    CustomMainWindow* window = delegate->mainWindow();
    const QRect fitted = window->geometry();
    QScreen* screen = QGuiApplication::primaryScreen();
    EXPECT_EQ(fitted, AppDelegate::mainWindowFrame(screen->availableGeometry(), 24));
    window->setGeometry(10, 10, 300, 200);
    // Offscreen screens never change: announce the change as the platform does.
    emit screen->availableGeometryChanged(screen->availableGeometry());
    EXPECT_EQ(window->geometry(), fitted);
    EXPECT_FALSE(window->isVisible());
}

TEST(MainWindowFrame, FillsTheWorkAreaLessMarginsAndIsCentred) {
    struct Row {
        const char* name;
        QRect workArea;
        int thickness;
        QRect expected;
    };
    const Row rows[] = {
        {"panels top 30 and bottom 24", QRect(0, 30, 1440, 846), 30, QRect(50, 105, 1340, 696)},
        {"no panel", QRect(0, 0, 1920, 1080), 24, QRect(50, 60, 1820, 960)},
        {"second screen on the right", QRect(1920, 0, 1280, 1024), 24, QRect(1970, 60, 1180, 904)},
        {"tiny screen keeps a usable window", QRect(0, 0, 500, 300), 24, QRect(10, 0, 480, 300)},
    };
    for (const Row& row : rows)
        EXPECT_EQ(AppDelegate::mainWindowFrame(row.workArea, row.thickness), row.expected)
            << row.name;
}
