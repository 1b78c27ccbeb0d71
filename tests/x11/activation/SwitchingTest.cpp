// Switching workspaces on and off in a real session: Dexaro's start-up with the
// desktop's own services, real clicks on the popover's switches and real key
// presses, real programs started from desktop entries, and what the user sees:
// windows placed, processes started and ended, rows on and off.
#include "activation/AnimatedSwitch.h"
#include "activation/StatusBarItemViewController.h"
#include "activation/StatusBarPopoverCollectionView.h"
#include "activation/StatusBarPopoverCollectionViewItem.h"
#include "app/AppDelegate.h"
#include "model/WorkspaceStore.h"
#include "platform/UserDefaults.h"
#include "platform/WorkAreas.h"
#include "positioning/PositionName.h"
#include "positioning/PositionsDBManager.h"
#include "shortcuts/MASShortcut.h"
#include "support/DesktopPlatform.h"
#include "support/QtPrinters.h"
#include "support/RecordingAlerts.h"
#include "support/ShellFakes.h"
#include "support/Wait.h"
#include "support/X11Probe.h"
#include "support/XdoTool.h"

#include <QDBusConnection>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QUrl>
#include <csignal>
#include <gtest/gtest.h>

using namespace dexaro;
using namespace dexaro::test;

namespace {

struct App {
    const char* id;
    const char* exec;
    const char* wmClass;
};
const App terminal{"dexaro-test-xterm", "xterm -geometry 60x10+200+200", "XTerm"};
const App clock{"dexaro-test-xclock", "xclock -geometry 120x120+400+300", "XClock"};

class Switching : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(home.isValid());
        ASSERT_TRUE(probe.ok());
        storePath = home.filePath(QStringLiteral("Dexaro.sqlite"));
        QDir().mkpath(home.filePath(QStringLiteral("applications")));
    }

    void TearDown() override {
        for (const QString& key : shortcutKeys)
            desktop().userDefaults().removeValue(key);
        delegate.reset();
        // The delegate took Dexaro's name on this process's bus connection.
        QDBusConnection::sessionBus().unregisterService(QStringLiteral("org.dexaro.Dexaro"));
        for (qint64 pid : processesOf(terminal) + processesOf(clock))
            ::kill(pid_t(pid), SIGKILL);
    }

    // A desktop entry in the test's own folder; its file:// URL.
    QString entry(const App& app) {
        const QString path = home.filePath(QStringLiteral("applications/%1.desktop").arg(app.id));
        QFile file(path);
        EXPECT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(QStringLiteral("[Desktop Entry]\nType=Application\nName=%1\nExec=%2\n")
                       .arg(QString::fromLatin1(app.id), QString::fromLatin1(app.exec))
                       .toUtf8());
        return QUrl::fromLocalFile(path).toString();
    }

    // Stores a workspace of those entries with their placements; its identifier.
    QString storeWorkspace(const QString& name, const QList<std::pair<QString, PositionName>>& apps,
                           const QList<FileURLLinkModel>& files = {}) {
        QString error;
        std::unique_ptr<ObjectStore> context = WorkspaceStore::openStore(storePath, &error);
        EXPECT_TRUE(context) << error.toStdString();
        RecordingAlerts storeAlerts;
        WorkspaceStore store(*context, storeAlerts);
        WorkspaceContents contents;
        contents.name = name;
        PositionMap placements;
        for (const auto& [url, position] : apps) {
            contents.apps << url;
            placements.insert(appPositionKey(url), rawValue(position));
        }
        contents.files = files;
        const QString id = store.fillWorkspace(store.insertWorkspace(), contents);
        EXPECT_TRUE(context->save(&error)) << error.toStdString();
        PositionsDBManager positions(*context, storeAlerts);
        if (!placements.isEmpty()) {
            EXPECT_TRUE(positions.save(id, writePlacementString(placements)));
        }
        EXPECT_TRUE(storeAlerts.shown.isEmpty());
        return id;
    }

    void setShortcut(const QString& wsID, const MASShortcut& shortcut) {
        shortcutKeys << wsID;
        ASSERT_TRUE(desktop().userDefaults().setValue(wsID, shortcut.encode()));
    }

    void startDexaro(const QString& forceTerminate = QStringLiteral("0")) {
        AppServices services = AppServices::fromPlatform(desktop());
        auto recording = std::make_unique<RecordingAlerts>();
        alerts = recording.get();
        services.alerts = std::move(recording);
        services.loginItem = std::make_unique<FakeLoginItem>();
        services.storePath = storePath;
        services.exit = [](int) {
        };
        delegate = std::make_unique<AppDelegate>(desktop(), std::move(services));
        ASSERT_EQ(delegate->applicationDidFinishLaunching(), AppDelegate::LaunchResult::Started);
        delegate->settings().forceTerminate = forceTerminate;
        ASSERT_TRUE(waitUntil([&] { return delegate->isPopoverShown(); }, 15000));
    }

    StatusBarPopoverCollectionView& list() {
        return *delegate->statusBarController()->wsListCollectionView();
    }

    // A real click in the middle of the workspace's switch.
    void clickSwitch(const QString& wsID) {
        if (!delegate->isPopoverShown())
            delegate->showPopover();
        ASSERT_TRUE(waitUntil([&] { return list().itemForWorkspace(wsID) != nullptr; }));
        QWidget* toggle = list().itemForWorkspace(wsID)->wsLauncherToggle();
        ASSERT_TRUE(waitUntil([&] { return toggle->isVisible(); }));
        const QPoint centre = toggle->mapToGlobal(toggle->rect().center());
        ASSERT_TRUE(XdoTool::click(centre));
    }

    bool settledIn(const QString& wsID, ItemStateEnum state, int timeoutMs = 30000) {
        return waitUntil([&] { return list().itemState(wsID) == state; }, timeoutMs);
    }

    // Processes of one of the test's programs that are running (not zombies).
    QList<qint64> processesOf(const App& app) {
        QList<qint64> pids;
        for (xcb_window_t window : probe.clientWindows()) {
            if (probe.wmClass(window).value(1) == QLatin1String(app.wmClass))
                if (const auto pid = probe.pid(window))
                    pids << qint64(*pid);
        }
        return pids;
    }

    xcb_window_t windowOf(const App& app) {
        for (xcb_window_t window : probe.clientWindows())
            if (probe.wmClass(window).value(1) == QLatin1String(app.wmClass))
                return window;
        return XCB_NONE;
    }

    // Where a placement puts a window's visible frame on the primary monitor.
    QRect expected(PositionName position) {
        const auto monitor = desktop().workAreas().primary();
        const auto metrics = screenMetrics(desktop().workAreas());
        if (!monitor || !metrics)
            return {};
        QRectF frame =
            FrameCalculator::frameFor(position, *metrics, 0, 0).translated(metrics->origin);
        if (frame.top() < monitor->workArea.top())
            frame.moveTop(monitor->workArea.top());
        return frame.toRect();
    }

    // Within a character cell: terminals round their size.
    static bool near(const QRect& a, const QRect& b, int slack) {
        return std::abs(a.left() - b.left()) <= 1 && std::abs(a.top() - b.top()) <= 1 &&
               std::abs(a.width() - b.width()) <= slack &&
               std::abs(a.height() - b.height()) <= slack;
    }

    bool placed(const App& app, PositionName position, int slack) {
        return waitUntil(
            [&] {
                const xcb_window_t window = windowOf(app);
                return window != XCB_NONE &&
                       near(probe.frameRect(window).value_or(QRect()), expected(position), slack);
            },
            30000);
    }

    QTemporaryDir home;
    QString storePath;
    X11Probe probe;
    std::unique_ptr<AppDelegate> delegate;
    RecordingAlerts* alerts = nullptr;
    QStringList shortcutKeys;
};

TEST_F(Switching, ByClickAndByHotKeyBothWindowsArePlacedAndSwitchingOffEndsThem) {
    const QString wsID =
        storeWorkspace(QStringLiteral("Work"), {{entry(terminal), PositionName::leftHalf},
                                                {entry(clock), PositionName::rightHalf}});
    setShortcut(wsID, MASShortcut(38, MASShortcut::ControlFlag | MASShortcut::OptionFlag)); // J
    startDexaro();

    clickSwitch(wsID);
    ASSERT_TRUE(settledIn(wsID, ItemStateEnum::active));
    EXPECT_TRUE(placed(terminal, PositionName::leftHalf, 20));
    EXPECT_TRUE(placed(clock, PositionName::rightHalf, 1));
    EXPECT_EQ(processesOf(terminal).size(), 1);
    EXPECT_EQ(processesOf(clock).size(), 1);

    clickSwitch(wsID); // polite close: both ask their windows to close and end
    ASSERT_TRUE(settledIn(wsID, ItemStateEnum::inactive));
    EXPECT_TRUE(waitUntil(
        [&] { return processesOf(terminal).isEmpty() && processesOf(clock).isEmpty(); }, 30000));

    // The same by the workspace's hot key, with the popover closed.
    delegate->closePopover();
    ASSERT_TRUE(XdoTool::key(QStringLiteral("ctrl+alt+j")));
    ASSERT_TRUE(settledIn(wsID, ItemStateEnum::active));
    EXPECT_TRUE(placed(clock, PositionName::rightHalf, 1));
    EXPECT_TRUE(waitUntil([&] { return !processesOf(terminal).isEmpty(); }));
    ASSERT_TRUE(XdoTool::key(QStringLiteral("ctrl+alt+j")));
    ASSERT_TRUE(settledIn(wsID, ItemStateEnum::inactive));
    EXPECT_TRUE(waitUntil(
        [&] { return processesOf(terminal).isEmpty() && processesOf(clock).isEmpty(); }, 30000));
    EXPECT_TRUE(alerts->shown.isEmpty());
}

TEST_F(Switching, EveryApplicationFailingGivesTheAlertAndAMissingFileIsNotOpened) {
    const QString missing = home.filePath(QStringLiteral("gone.desktop"));
    const QString missingFile = home.filePath(QStringLiteral("no such file.txt"));
    const QString wsID = storeWorkspace(
        QStringLiteral("Broken"), {{QUrl::fromLocalFile(missing).toString(), PositionName::def}},
        {{QStringLiteral("Notes"), missingFile}});
    startDexaro();
    clickSwitch(wsID);
    ASSERT_TRUE(waitUntil([&] { return alerts->shown.size() >= 2; }, 30000));
    ASSERT_TRUE(settledIn(wsID, ItemStateEnum::inactive));
    QStringList messages;
    for (const RecordedAlert& alert : alerts->shown)
        messages << alert.message;
    EXPECT_TRUE(messages.contains(QStringLiteral("App could not be opened!")));
    EXPECT_TRUE(messages.contains(QStringLiteral("Not opened")));
    EXPECT_FALSE(list().itemForWorkspace(wsID)->wsLauncherToggle()->isChecked());
}

} // namespace
