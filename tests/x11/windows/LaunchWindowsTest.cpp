// The windows of real launches under openbox: found however the application
// shows them (from a D-Bus service, from inside a PID namespace, after a
// splash screen, from an instance that was running already), placed at once
// and kept in place, then closed by switching off, while the user's own
// windows of the same program stay where they are.
#include "platform/Windows.h"
#include "platform/WorkAreas.h"
#include "platform/linux/GioWorkspaceServices.h"
#include "positioning/WindowPlacer.h"
#include "support/DesktopPlatform.h"
#include "support/PlacedFrame.h"
#include "support/ProcessChecks.h"
#include "support/QtPrinters.h"
#include "support/Wait.h"
#include "support/X11Probe.h"
#include "support/XClient.h"
#include "support/XdgSandbox.h"
#include "support/XdoTool.h"

#include <QScopeGuard>
#include <algorithm>
#include <csignal>
#include <future>
#include <gtest/gtest.h>
#include <sys/wait.h>

namespace dexaro::test {
namespace {

const QString windowProgram = QStringLiteral(DEXARO_BINARY_DIR "/bin/tests/dexaro-test-Window");
const QString dbusProgram = QStringLiteral(DEXARO_BINARY_DIR "/bin/tests/dexaro-test-DBusApp");

// A session bus of the test's own, whose service folder holds the services the
// entries below start: GLib connects to it, the desktop's bus is not touched.
class PrivateBus {
public:
    PrivateBus() {
        QDir(m_dir.path()).mkpath(QStringLiteral("services"));
        for (const char* id : {"org.dexaro.TestService", "org.dexaro.TestActivatable"})
            XdgSandbox::writeText(
                m_dir.filePath(QStringLiteral("services/%1.service").arg(QLatin1String(id))),
                QStringLiteral("[D-BUS Service]\nName=%1\nExec=%2 %1 --gapplication-service\n")
                    .arg(QLatin1String(id), dbusProgram)
                    .toUtf8());
        const QString config = m_dir.filePath(QStringLiteral("bus.conf"));
        XdgSandbox::writeText(
            config,
            QStringLiteral("<busconfig><type>session</type>"
                           "<listen>unix:dir=%1</listen><servicedir>%1/services</servicedir>"
                           "<auth>EXTERNAL</auth><policy context=\"default\">"
                           "<allow send_destination=\"*\" eavesdrop=\"true\"/>"
                           "<allow eavesdrop=\"true\"/><allow own=\"*\"/>"
                           "</policy></busconfig>")
                .arg(m_dir.path())
                .toUtf8());
        int out[2];
        if (::pipe(out) != 0)
            return;
        m_pid = ::fork();
        if (m_pid == 0) {
            ::dup2(out[1], 1);
            ::execlp("dbus-daemon", "dbus-daemon", "--nofork", "--print-address=1",
                     QFile::encodeName("--config-file=" + config).constData(), nullptr);
            ::_exit(127);
        }
        ::close(out[1]);
        QByteArray address;
        char c = 0;
        while (::read(out[0], &c, 1) == 1 && c != '\n')
            address.append(c);
        ::close(out[0]);
        qputenv("DBUS_SESSION_BUS_ADDRESS", address);
    }
    ~PrivateBus() {
        if (m_pid > 0) {
            ::kill(m_pid, SIGTERM);
            ::waitpid(m_pid, nullptr, 0);
        }
    }

private:
    QTemporaryDir m_dir;
    pid_t m_pid = -1;
};

struct Session {
    XdgSandbox xdg;
    PrivateBus bus;
    QString entry(const QString& id, const QStringList& lines) {
        return xdg.writeEntry(id + ".desktop",
                              QStringList{"Type=Application", "Name=" + id} + lines);
    }
};

// Made before main(): GLib reads the XDG variables and the bus address once.
Session& session() {
    static Session s;
    return s;
}
const bool sessionReady = (session(), true);

class LaunchWindows : public testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(probe.ok());
        ASSERT_TRUE(desktop().windows().isAvailable(false));
    }

    RunningApplication open(const QString& entry, bool newInstance = true) {
        auto pending = std::async(std::launch::async, [&] {
            std::optional<RunningApplication> opened;
            services.openApplication(entry, {false, newInstance},
                                     [&](std::optional<RunningApplication> app, const QString& e) {
                                         opened = app;
                                         EXPECT_TRUE(e.isEmpty()) << qPrintable(e);
                                     });
            return opened;
        });
        waitUntil(
            [&] { return pending.wait_for(std::chrono::seconds(0)) == std::future_status::ready; });
        return pending.get().value_or(RunningApplication{});
    }

    PlacementResult place(const RunningApplication& app, PositionName position) {
        std::optional<PlacementResult> result;
        std::mutex mutex;
        placers.startPlacingAppWindow(app, position, [&](const PlacementResult& r) {
            std::lock_guard lock(mutex);
            result = r;
        });
        waitUntil(
            [&] {
                std::lock_guard lock(mutex);
                return result.has_value();
            },
            30000);
        std::lock_guard lock(mutex);
        return result.value_or(PlacementResult{});
    }

    bool listed(xcb_window_t window) {
        const auto windows = probe.clientWindows();
        return std::find(windows.begin(), windows.end(), window) != windows.end();
    }
    QString windowType(xcb_window_t window) {
        const auto types = probe.cardinals(window, "_NET_WM_WINDOW_TYPE");
        if (types.empty())
            return QStringLiteral("normal"); // a window without a type is a normal one
        if (types[0] == probe.atom("_NET_WM_WINDOW_TYPE_NORMAL"))
            return QStringLiteral("normal");
        return QStringLiteral("other");
    }

    X11Probe probe;
    FrameCalculator frames{[] {
        return screenMetrics(desktop().workAreas());
    }};
    // A settle period long enough for a client that restores its geometry
    // 300 ms after mapping.
    WindowPlacers placers{desktop().windows(),
                          frames,
                          {20, std::chrono::milliseconds(20000), std::chrono::milliseconds(1500)}};
    GioWorkspaceServices services{desktop().windows()};
};

TEST_F(LaunchWindows, EachPatternsWindowIsPlacedAtOnceAndClosedAndTheUsersOwnAreLeftAlone) {
    // The user's own windows, started from a shell before the workspace: one
    // of the program most rows launch (its WM_CLASS names the program), and a
    // terminal-like server.
    XClient own(windowProgram,
                {"--class", "dexaro-test-Window,DexaroWindow", "--geometry", "900,500,200,150"});
    XClient server(windowProgram, {"--serve", "shared", "--class", "shared,Shared", "--geometry",
                                   "950,550,200,150"});
    const xcb_window_t ownWindow = own.window(probe), serverWindow = server.window(probe);
    ASSERT_TRUE(ownWindow != XCB_NONE && serverWindow != XCB_NONE);
    const QRect ownFrame = probe.frameRect(ownWindow).value_or(QRect());
    const QRect serverFrame = probe.frameRect(serverWindow).value_or(QRect());

    const QString window = windowProgram;
    const struct {
        const char* name;
        QString entry;
        bool withPid;         // the launch has a process of its own
        qint64 windowPid = 0; // the placed window's _NET_WM_PID, when known beforehand
    } rows[] = {
        {"a client asks a D-Bus service for the window and exits",
         session().entry("org.dexaro.TestService",
                         {"Exec=" + dbusProgram + " org.dexaro.TestService --launcher"}),
         true},
        {"a D-Bus activated entry",
         session().entry("org.dexaro.TestActivatable",
                         {"DBusActivatable=true", "Exec=" + dbusProgram + " unused"}),
         false},
        {"a sandbox with a PID namespace of its own",
         // Without the startup id: found by its pid alone.
         session().entry("sandbox", {"Exec=env -u DESKTOP_STARTUP_ID unshare --pid --fork " +
                                     window + " --class sandboxed,Sandboxed"}),
         true, 1},
        {"a splash screen first", session().entry("splash", {"Exec=" + window + " --splash 300"}),
         true},
        {"restores its own geometry 300 ms after mapping",
         session().entry("restoring", {"Exec=" + window + " --restore 40,60,500,400,300"}), true},
        {"a second start handed to the running server",
         session().entry("client", {"Exec=" + window + " --serve shared --class shared,Shared"}),
         true},
    };
    int index = 0;
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        const PositionName position =
            ++index % 2 ? PositionName::leftHalf : PositionName::bottomRight;
        const RunningApplication app = open(row.entry);
        EXPECT_EQ(app.pid > 0, row.withPid);
        const PlacementResult placed = place(app, position);
        ASSERT_TRUE(placed.placed);
        const xcb_window_t placedWindow = placed.window;
        EXPECT_TRUE(placedWindow != ownWindow && placedWindow != serverWindow);
        EXPECT_EQ(windowType(placedWindow), "normal");
        if (row.windowPid)
            EXPECT_EQ(probe.pid(placedWindow).value_or(0), uint32_t(row.windowPid));
        EXPECT_TRUE(framedAt(probe.frameRect(placedWindow).value_or(QRect()),
                             placedFrame(position, probe.workArea())))
            << testing::PrintToString(probe.frameRect(placedWindow));

        services.terminate(app);
        EXPECT_TRUE(waitUntil([&] { return !listed(placedWindow); })) << "not closed";
        if (app.pid > 0)
            EXPECT_TRUE(waitUntil([&] { return processGone(app.pid); })) << "did not end";
        EXPECT_TRUE(services.isTerminated(app)) << [&] {
            QString all;
            for (const WindowInfo& w : desktop().windows().windows())
                all += QStringLiteral("%1 pid %2 %3/%4 %5 startup %6 app %7; ")
                           .arg(w.id)
                           .arg(w.pid)
                           .arg(w.instanceName, w.className)
                           .arg(w.appearance)
                           .arg(w.startupId, w.applicationId);
            return all.toStdString();
        }();
        EXPECT_EQ(probe.frameRect(ownWindow), ownFrame) << "the user's own window was touched";
        EXPECT_EQ(probe.frameRect(serverWindow), serverFrame) << "the server's window was touched";
    }
    EXPECT_TRUE(processLives(server.pid())) << "the shared server was signalled";
}

TEST_F(LaunchWindows, ForceEndsTheLaunchsOwnProcessesButOnlyAsksAHandedBackOne) {
    const QString entry = session().entry("forced", {"Exec=unshare --pid --fork " + windowProgram});
    // Started from its entry: the next start without a new instance hands it back.
    const RunningApplication first = open(entry);
    ASSERT_GT(first.pid, 0);
    const PlacementResult placed = place(first, PositionName::topLeft);
    ASSERT_TRUE(placed.placed);
    const RunningApplication again = open(entry, false);
    EXPECT_EQ(std::tuple(again.pid, again.handedBack), std::tuple(first.pid, true));

    // By force, the handed-back record is only asked: the window is asked to close.
    services.forceTerminate(again);
    EXPECT_TRUE(waitUntil([&] { return !listed(placed.window); }));
    EXPECT_TRUE(waitUntil([&] { return processGone(first.pid); }));

    // The launch's own, sandbox included, end at once.
    const RunningApplication own = open(entry);
    const PlacementResult ownPlaced = place(own, PositionName::topRight);
    ASSERT_TRUE(ownPlaced.placed);
    const auto inner = probe.pid(ownPlaced.window);
    services.forceTerminate(own);
    EXPECT_TRUE(waitUntil([&] { return processGone(own.pid); }));
    EXPECT_TRUE(waitUntil([&] { return !listed(ownPlaced.window); }));
    EXPECT_EQ(inner.value_or(0), 1u) << "not the sandbox's own pid";
}

TEST_F(LaunchWindows, AWindowTheUserDragsDuringTheSettlePeriodStaysWhereTheUserPutIt) {
    const QString entry = session().entry("dragged", {"Exec=" + windowProgram});
    const RunningApplication app = open(entry);
    // A settle period long enough for the drag.
    WindowPlacers patient{desktop().windows(),
                          frames,
                          {20, std::chrono::milliseconds(20000), std::chrono::milliseconds(8000)}};
    std::optional<PlacementResult> result;
    std::mutex mutex;
    patient.startPlacingAppWindow(app, PositionName::leftHalf, [&](const PlacementResult& r) {
        std::lock_guard lock(mutex);
        result = r;
    });
    const QRect target = placedFrame(PositionName::leftHalf, probe.workArea());
    xcb_window_t window = XCB_NONE;
    ASSERT_TRUE(waitUntil([&] {
        window = probe.windowOf(app.pid);
        return window != XCB_NONE && framedAt(probe.frameRect(window).value_or(QRect()), target);
    }));
    // In front, whatever an earlier test left on the screen, then by its
    // title bar, with the left button held, as a user does.
    ASSERT_TRUE(XdoTool::run({"windowactivate", "--sync", QString::number(window)}));
    const QRect client = probe.clientRect(window).value_or(QRect());
    const QPoint title(client.center().x(), (target.top() + client.top()) / 2);
    // The window manager takes a press and a motion for the start of a drag
    // only once it has seen the press: each step waits for the one before.
    const auto at = [](QPoint p) {
        return QStringList{QString::number(p.x()), QString::number(p.y())};
    };
    ASSERT_TRUE(XdoTool::run(QStringList{"mousemove"} + at(title) + QStringList{"mousedown", "1"}));
    ASSERT_TRUE(waitUntil([&] { return probe.modifiers() & XCB_BUTTON_MASK_1; }));
    for (const QPoint step : {QPoint(20, 16), QPoint(100, 80), QPoint(200, 160)}) {
        ASSERT_TRUE(XdoTool::run(QStringList{"mousemove"} + at(title + step)));
        // The first step may only start the drag.
        waitUntil(
            [&] {
                return probe.frameRect(window).value_or(QRect()).topLeft() ==
                       target.topLeft() + step;
            },
            2000);
    }
    ASSERT_TRUE(XdoTool::run({"mouseup", "1"}));
    EXPECT_TRUE(waitUntil([&] {
        std::lock_guard lock(mutex);
        return result.has_value();
    })) << "the watch went on after the user moved the window";
    const QRect moved = probe.frameRect(window).value_or(QRect());
    EXPECT_EQ(moved.topLeft(), target.topLeft() + QPoint(200, 160));
    std::lock_guard lock(mutex);
    EXPECT_EQ(result ? result->attempts : 0, 1);
    services.forceTerminate(app);
}

TEST_F(LaunchWindows, TwoLaunchesOfOneApplicationInTwoWorkspacesEachCloseTheirOwn) {
    // Its class names the entry, so each launch's window is also the other's
    // by class; only the process and the startup id tell them apart.
    const QString entry =
        session().entry("twice", {"Exec=" + windowProgram, "StartupWMClass=DexaroWindow"});
    // As a workspace opening does: each launch handed to the placers at once.
    const RunningApplication first = open(entry);
    auto placingFirst = std::async(
        std::launch::async, [&] { return placers.placeAppWindow(first, PositionName::leftHalf); });
    const RunningApplication second = open(entry);
    const PlacementResult two = place(second, PositionName::rightHalf);
    const PlacementResult one = placingFirst.get();
    ASSERT_TRUE(one.placed && two.placed);
    EXPECT_NE(one.window, two.window);
    services.terminate(first);
    EXPECT_TRUE(waitUntil([&] { return processGone(first.pid); }));
    EXPECT_TRUE(listed(two.window) && processLives(second.pid)) << "the other workspace's closed";
    services.forceTerminate(second);
    EXPECT_TRUE(waitUntil([&] { return processGone(second.pid); }));
}

} // namespace
} // namespace dexaro::test
