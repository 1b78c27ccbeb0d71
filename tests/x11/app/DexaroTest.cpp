// Dexaro started for real in the test session (Xvfb, openbox, tint2 with its
// tray, a D-Bus session bus) and driven by real clicks and keys: its tray icon,
// popover and menu, the main window's keys, second starts, the launcher at
// login, a quit during a start-up alert, and its command line and bus
// interface from other processes.
#include "model/WorkspaceOptionsStore.h"
#include "model/WorkspaceStore.h"
#include "platform/ObjectStore.h"
#include "positioning/PositionName.h"
#include "positioning/PositionsDBManager.h"
#include "support/PlacedFrame.h"
#include "support/ProcessChecks.h"
#include "support/RecordingAlerts.h"
#include "support/RunProgram.h"
#include "support/XClient.h"
#include "support/XdgSandbox.h"
#include "support/XdoTool.h"

#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDir>
#include <QScopeGuard>
#include <QTemporaryDir>
#include <QUrl>
#include <csignal>
#include <gtest/gtest.h>

namespace dexaro::test {
namespace {

const QString dexaroProgram = QStringLiteral(DEXARO_BINARY_DIR "/bin/dexaro");
const QString launcherProgram = QStringLiteral(DEXARO_BINARY_DIR "/libexec/dexaro/dexaro-launcher");

class Dexaro : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(home.isValid() && probe.ok()); }
    void TearDown() override {
        for (QProcess* process : {&dexaro, &second}) {
            process->kill();
            process->waitForFinished(30000);
        }
        marker.terminateAll(dexaroProgram); // started by the launcher
        EXPECT_TRUE(waitUntil([&] { return marker.running(dexaroProgram).isEmpty(); }, 30000));
    }

    QString path(const char* relative) const { return home.filePath(QLatin1String(relative)); }
    QString storePath() const { return path("data/Dexaro/Dexaro.sqlite"); }

    // With its data and configuration in the test's folder, marked; without a
    // session bus when asked.
    QProcessEnvironment environment(bool bus = true) const {
        QProcessEnvironment env = marker.environment(QProcessEnvironment::systemEnvironment());
        env.insert(QStringLiteral("XDG_DATA_HOME"), path("data"));
        env.insert(QStringLiteral("XDG_CONFIG_HOME"), path("config"));
        env.remove(QStringLiteral("QT_QPA_PLATFORM"));
        if (!bus)
            env.insert(QStringLiteral("DBUS_SESSION_BUS_ADDRESS"),
                       QStringLiteral("unix:path=") + path("no-bus"));
        return env;
    }
    void start(QProcess& process, bool bus = true) {
        process.setProcessEnvironment(environment(bus));
        process.start(dexaroProgram, {});
        ASSERT_TRUE(process.waitForStarted(30000));
    }
    static bool ended(QProcess& process, int status) {
        return waitUntil([&] { return process.state() == QProcess::NotRunning; }, 30000) &&
               process.exitStatus() == QProcess::NormalExit && process.exitCode() == status;
    }

    // Dexaro's XEmbed icon: a window of its process inside a tint2 panel.
    xcb_window_t trayIcon() {
        for (xcb_window_t panel : probe.descendants(probe.root()))
            if (probe.wmClass(panel).contains(QStringLiteral("tint2"), Qt::CaseInsensitive))
                for (xcb_window_t window : probe.descendants(panel))
                    if (probe.pid(window) == uint32_t(dexaro.processId()) &&
                        !probe.cardinals(window, "_XEMBED_INFO").empty())
                        return window;
        return XCB_NONE;
    }
    QRect iconRect() { return probe.clientRect(trayIcon()).value_or(QRect()); }
    // A mapped unmanaged window of Dexaro's (the popover, a menu) whose size matches.
    xcb_window_t popup(const std::function<bool(const QRect&)>& matches) {
        for (xcb_window_t window : probe.children(probe.root())) {
            const auto rect = probe.clientRect(window);
            if (probe.pid(window) == uint32_t(dexaro.processId()) && probe.isViewable(window) &&
                rect && matches(*rect))
                return window;
        }
        return XCB_NONE;
    }
    // The popover is 385 wide.
    xcb_window_t popover() {
        return popup([](const QRect& rect) { return rect.width() == 385; });
    }
    bool popoverIs(bool open) {
        return waitUntil([&] { return (popover() != XCB_NONE) == open; });
    }
    // A right click on the icon opens its menu, where "Add \u2022 Edit \u2022
    // Settings" (after "Show Workspaces") shows the main window: Dexaro's,
    // wider than the popover, and active. The test's second right click comes
    // within the double-click time of the first, and must open the menu too.
    xcb_window_t showMainWindow() {
        const auto menuShown = [&] {
            return popup([](const QRect& rect) { return rect.width() != 385; }) != XCB_NONE;
        };
        const bool shown = XdoTool::click(iconRect().center(), 3) && waitUntil(menuShown, 5000);
        EXPECT_TRUE(shown) << "no menu on a right click";
        xcb_window_t window = XCB_NONE;
        const auto activeMainWindow = [&] {
            const std::vector<uint32_t> active =
                probe.cardinals(probe.root(), "_NET_ACTIVE_WINDOW");
            window = active.empty() ? XCB_NONE : active[0];
            const auto rect = probe.clientRect(window);
            return probe.pid(window) == uint32_t(dexaro.processId()) && probe.isViewable(window) &&
                   rect && rect->width() > 400;
        };
        if (!shown || !XdoTool::key(QStringLiteral("Down Down Return")) ||
            !waitUntil(activeMainWindow, 30000))
            return XCB_NONE;
        return window;
    }

    QTemporaryDir home;
    X11Probe probe;
    ProcessProbe marker;
    QProcess dexaro, second;
};

TEST_F(Dexaro, PopoverAtTheTrayTrayMenuMainWindowKeysOnAnyLayoutAndSecondStarts) {
    XClient clock(QStringLiteral("xclock"), {"-geometry", "160x160+100+500"});
    const auto clockRect = probe.clientRect(clock.window(probe));
    ASSERT_TRUE(clockRect);

    ASSERT_NO_FATAL_FAILURE(start(dexaro));
    ASSERT_TRUE(waitUntil([&] { return trayIcon() != XCB_NONE; }, 30000))
        << "no icon of Dexaro's in tint2's tray";
    ASSERT_TRUE(waitUntil([&] { return popover() != XCB_NONE; }, 30000))
        << "the popover is not open after start";
    const QRect icon = iconRect(), area = probe.workArea();
    const xcb_window_t shown = popover();
    const QRect rect = probe.clientRect(shown).value_or(QRect());
    EXPECT_TRUE(area.contains(rect)) << "inside the work area";
    EXPECT_TRUE(rect.left() <= icon.center().x() && rect.right() >= icon.center().x())
        << "under the icon";
    // Next to the tray's panel: below it at the top, above it at the bottom
    // (DEXARO_TRAY_AT=bottom). The other panel's empty left end does nothing
    // on any button.
    const bool trayAtTop = icon.center().y() < area.center().y();
    EXPECT_LE(trayAtTop ? rect.top() - area.top() : area.bottom() - rect.bottom(), 8);
    const QPoint emptyPanel(40, trayAtTop ? probe.clientRect(probe.root())->bottom() - 10 : 10);

    // Presses inside, the middle button and the wheel outside: nothing to wait
    // for when nothing happens, so give a close the time it would take.
    // (Inside, below the empty popover's button.)
    const QPoint inside(rect.center().x(), rect.bottom() - 20);
    const std::pair<QPoint, int> stillOpen[] = {
        {inside, 1}, {inside - QPoint(0, 20), 3}, {emptyPanel, 2}, {emptyPanel, 4}};
    for (const auto& [at, button] : stillOpen)
        ASSERT_TRUE(XdoTool::click(at, button));
    EXPECT_FALSE(waitUntil([&] { return popover() != shown; }, 3000)) << "it closed";

    const struct {
        const char* name;
        QPoint at;
        int button;
    } presses[] = {
        {"a click on the icon", icon.center(), 1},
        {"left press in xclock, which takes no focus", clockRect->center(), 1},
        {"right press on the panel", emptyPanel, 3},
        {"switch to another desktop", {}, 0},
    };
    for (const auto& press : presses) {
        SCOPED_TRACE(press.name);
        if (popover() == XCB_NONE) {
            ASSERT_TRUE(XdoTool::click(icon.center()));
            ASSERT_TRUE(popoverIs(true)) << "a click on the icon did not open it";
        }
        if (press.button)
            ASSERT_TRUE(XdoTool::click(press.at, press.button));
        else
            ASSERT_TRUE(XdoTool::run({QStringLiteral("set_desktop"), QStringLiteral("1")}));
        EXPECT_TRUE(popoverIs(false)) << "it stayed open";
    }
    ASSERT_TRUE(XdoTool::run({QStringLiteral("set_desktop"), QStringLiteral("0")}));
    ASSERT_TRUE(waitUntil([&] {
        return probe.cardinals(probe.root(), "_NET_CURRENT_DESKTOP") == std::vector<uint32_t>{0};
    }));

    // A second start leaves: without a session bus the lock beside the store
    // stops it, with one it also asks the first to open its popover.
    for (const bool bus : {false, true}) {
        SCOPED_TRACE(bus ? "with a session bus" : "without a session bus");
        ASSERT_NO_FATAL_FAILURE(start(second, bus));
        EXPECT_TRUE(ended(second, 0));
    }
    EXPECT_TRUE(popoverIs(true)) << "the running Dexaro did not open its popover";

    // The main window's keys go by key position, also on a layout without Latin
    // letters: Ц is where W is (hide), Й where Q is (quit).
    const auto restore = qScopeGuard([] { runProgram(QStringLiteral("setxkbmap"), {"us"}); });
    ASSERT_TRUE(runProgram(QStringLiteral("setxkbmap"), {"ru"}));
    const xcb_window_t window = showMainWindow();
    ASSERT_NE(window, XCB_NONE) << "the main window is not shown and active";
    ASSERT_TRUE(XdoTool::key(QStringLiteral("ctrl+Cyrillic_tse")));
    EXPECT_TRUE(waitUntil([&] { return !probe.isViewable(window); })) << "still shown";
    ASSERT_NE(showMainWindow(), XCB_NONE) << "the main window is not shown and active";
    ASSERT_TRUE(XdoTool::key(QStringLiteral("ctrl+Cyrillic_shorti")));
    EXPECT_TRUE(ended(dexaro, 0)) << "did not quit with status 0";

    // The first start registered the launcher as login item.
    QFile entry(path("config/autostart/org.dexaro.Dexarolauncher.desktop"));
    ASSERT_TRUE(entry.open(QIODevice::ReadOnly));
    EXPECT_TRUE(entry.readAll().contains(
        QByteArray("\nExec=" DEXARO_BINARY_DIR "/libexec/dexaro/dexaro-launcher\n")));
}

// At login the desktop starts dexaro-launcher: it starts Dexaro, which tells it
// to go; started again while Dexaro runs, it goes at once and starts nothing.
TEST_F(Dexaro, TheLauncherStartsOneDexaroAndGoesWhenDexaroSaysSo) {
    ASSERT_FALSE(QDBusConnection::sessionBus().interface()->isServiceRegistered(
        QStringLiteral("org.dexaro.Dexaro")))
        << "a Dexaro from elsewhere owns the name";
    for (QProcess* launcher : {&dexaro, &second}) {
        launcher->setProcessEnvironment(environment());
        // Not into pipes: the Dexaro it starts inherits its output, which must
        // outlive the launcher.
        launcher->setProcessChannelMode(QProcess::ForwardedChannels);
        launcher->start(launcherProgram, {});
        EXPECT_TRUE(ended(*launcher, 0));
        EXPECT_EQ(marker.running(dexaroProgram).size(), 1);
    }
}

TEST_F(Dexaro, SigtermDuringTheAlertOfAnUnreadableStoreEndsStartUpAndLeavesTheFile) {
    ASSERT_TRUE(QDir().mkpath(path("data/Dexaro")));
    const QByteArray garbage(4096, '\x5a');
    XdgSandbox::writeText(storePath(), garbage);
    ASSERT_NO_FATAL_FAILURE(start(dexaro));
    // The reason comes in an alert, Dexaro's only window, which runs an event
    // loop of its own.
    ASSERT_TRUE(waitUntil([&] { return probe.windowOf(dexaro.processId()) != XCB_NONE; }, 30000));
    ::kill(pid_t(dexaro.processId()), SIGTERM);
    EXPECT_TRUE(ended(dexaro, 1));
    QFile file(storePath());
    EXPECT_TRUE(file.open(QIODevice::ReadOnly) && file.readAll() == garbage) << "touched";
}

// Other programs switch workspaces: `dexaro --toggle` starts Dexaro and the
// workspace's clock goes to its left half; dbus-send lists it on and sees
// the StateChanged signals; `dexaro --off` closes the clock; `--list` reads
// the store while Dexaro is not running.
TEST_F(Dexaro, TheCommandLineAndTheBusSwitchWorkspacesFromOtherProcesses) {
    const QString entryPath = path("data/applications/clock.desktop");
    ASSERT_TRUE(QDir().mkpath(path("data/applications")));
    XdgSandbox::writeText(entryPath, "[Desktop Entry]\nType=Application\nName=Clock\n"
                                     "Exec=xclock -geometry 120x120+400+300\n");
    QString id;
    {
        ASSERT_TRUE(QDir().mkpath(path("data/Dexaro")));
        RecordingAlerts alerts;
        auto objects = WorkspaceStore::openStore(storePath(), nullptr);
        ASSERT_TRUE(objects);
        WorkspaceStore store(*objects, alerts);
        const QString entry = QUrl::fromLocalFile(entryPath).toString();
        id = store.fillWorkspace(store.insertWorkspace(),
                                 {QStringLiteral("Clock Work"), {entry}, {}, {}});
        ASSERT_TRUE(objects->save());
        PositionsDBManager placements(*objects, alerts);
        ASSERT_TRUE(placements.save(id, QStringLiteral("%1==%2;;")
                                            .arg(appPositionKey(entry))
                                            .arg(rawValue(PositionName::leftHalf))));
    }
    const auto command = [&](const QString& program, const QStringList& arguments,
                             QString* out = nullptr) {
        QProcess process;
        process.setProcessEnvironment(environment());
        // What it and a Dexaro it starts say goes to the test's output.
        process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        process.start(program, arguments);
        const bool finished = process.waitForFinished(60000);
        if (out)
            *out = QString::fromUtf8(process.readAllStandardOutput());
        return finished && process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
    };
    const auto dexaroCommand = [&](const QStringList& arguments, QString* out = nullptr) {
        return command(dexaroProgram, arguments, out);
    };
    const auto clocks = [&] {
        QList<QRect> found;
        for (xcb_window_t window : probe.clientWindows())
            if (probe.wmClass(window).value(1) == QLatin1String("XClock"))
                found << probe.frameRect(window).value_or(QRect());
        return found;
    };
    const auto busList = [&] {
        QString out;
        command(QStringLiteral("dbus-send"),
                {"--session", "--print-reply", "--dest=org.dexaro.Dexaro", "/org/dexaro/Dexaro",
                 "org.dexaro.Workspaces1.List"},
                &out);
        return out;
    };

    QString listed;
    ASSERT_EQ(dexaroCommand({"--list"}, &listed), 0);
    EXPECT_EQ(listed, id + "\toff\tClock Work\n") << "read from the store";
    EXPECT_EQ(dexaroCommand({"--on", "Nothing"}), 1);
    EXPECT_TRUE(marker.running(dexaroProgram).isEmpty()) << "started for a name that is nowhere";

    QProcess monitor;
    monitor.start(QStringLiteral("dbus-monitor"),
                  {"--session", "type='signal',interface='org.dexaro.Workspaces1'"});
    ASSERT_TRUE(monitor.waitForStarted(30000));
    const auto cleanUp = qScopeGuard([&] {
        monitor.kill();
        monitor.waitForFinished(30000);
    });
    QByteArray signalsSeen;
    const auto signalled = [&](const QByteArray& state) {
        return waitUntil(
            [&] {
                signalsSeen += monitor.readAllStandardOutput();
                return signalsSeen.contains("string \"" + id.toUtf8() + "\"\n   string \"" + state +
                                            "\"");
            },
            30000);
    };

    ASSERT_EQ(dexaroCommand({"--toggle", "clock work"}), 0) << "any letter case";
    ASSERT_EQ(marker.running(dexaroProgram).size(), 1);
    const QRect leftHalf = placedFrame(PositionName::leftHalf, probe.workArea());
    EXPECT_TRUE(
        waitUntil([&] { return clocks().size() == 1 && framedAt(clocks()[0], leftHalf); }, 30000))
        << "the clock is not in the left half";
    EXPECT_TRUE(signalled("on"));
    EXPECT_TRUE(busList().contains("string \"on\"")) << busList().toStdString();
    ASSERT_EQ(dexaroCommand({"--list"}, &listed), 0);
    EXPECT_EQ(listed, id + "\ton\tClock Work\n") << "asked of the running Dexaro";

    EXPECT_EQ(dexaroCommand({"--off", id}), 0) << "by identifier";
    EXPECT_TRUE(signalled("off"));
    EXPECT_TRUE(waitUntil([&] { return clocks().isEmpty(); }, 30000)) << "the clock is still up";
    EXPECT_EQ(marker.running(dexaroProgram).size(), 1) << "one Dexaro all along";
}

} // namespace
} // namespace dexaro::test

namespace dexaro::test {
namespace {

TEST_F(Dexaro, AWorkspaceMarkedForStartIsOnOnceDexaroHasStartedAndAnUnmarkedOneIsNot) {
    const QString entryPath = path("data/applications/clock.desktop");
    ASSERT_TRUE(QDir().mkpath(path("data/applications")));
    XdgSandbox::writeText(entryPath, "[Desktop Entry]\nType=Application\nName=Clock\n"
                                     "Exec=xclock -geometry 120x120+400+300\n");
    QString marked, unmarked;
    {
        ASSERT_TRUE(QDir().mkpath(path("data/Dexaro")));
        RecordingAlerts alerts;
        auto objects = WorkspaceStore::openStore(storePath(), nullptr);
        ASSERT_TRUE(objects);
        WorkspaceStore store(*objects, alerts);
        const QString entry = QUrl::fromLocalFile(entryPath).toString();
        unmarked = store.fillWorkspace(store.insertWorkspace(),
                                       {QStringLiteral("Later"), {entry}, {}, {}});
        marked = store.fillWorkspace(store.insertWorkspace(),
                                     {QStringLiteral("At Start"), {entry}, {}, {}});
        ASSERT_TRUE(objects->save());
        WorkspaceOptions options;
        options.switchOnAtStart = true;
        ASSERT_TRUE(WorkspaceOptionsStore(*objects).save(marked, options));
    }
    start(dexaro);
    const auto clocks = [&] {
        int found = 0;
        for (xcb_window_t window : probe.clientWindows())
            found += probe.wmClass(window).value(1) == QLatin1String("XClock");
        return found;
    };
    EXPECT_TRUE(waitUntil([&] { return clocks() == 1; }, 30000)) << "the clock did not open";
    QString listed;
    const auto list = [&] {
        QProcess process;
        process.setProcessEnvironment(environment());
        process.start(dexaroProgram, {"--list"});
        process.waitForFinished(60000);
        listed = QString::fromUtf8(process.readAllStandardOutput());
        return listed;
    };
    EXPECT_TRUE(waitUntil(
        [&] { return list() == unmarked + "\toff\tLater\n" + marked + "\ton\tAt Start\n"; }, 30000))
        << listed.toStdString();
    EXPECT_EQ(clocks(), 1) << "only the marked workspace opened";
    for (xcb_window_t window : probe.clientWindows())
        if (probe.wmClass(window).value(1) == QLatin1String("XClock"))
            if (const auto pid = probe.pid(window))
                ::kill(pid_t(*pid), SIGTERM);
}

} // namespace
} // namespace dexaro::test
