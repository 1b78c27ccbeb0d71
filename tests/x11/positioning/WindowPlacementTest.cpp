// Placing real X clients' windows under openbox with panels at the top (30 px)
// and at the bottom (24 px).
#include "app/AppDelegate.h"
#include "platform/Popover.h"
#include "platform/WindowAccess.h"
#include "platform/WorkAreas.h"
#include "positioning/WindowPlacer.h"
#include "support/DesktopPlatform.h"
#include "support/QtPrinters.h"
#include "support/Wait.h"
#include "support/X11Probe.h"

#include <QFile>
#include <QGuiApplication>
#include <QProcess>
#include <QScopeGuard>
#include <QTemporaryDir>
#include <future>
#include <gtest/gtest.h>
#include <signal.h>
#include <unistd.h>

using namespace dexaro;
using dexaro::test::waitUntil;
using dexaro::test::X11Probe;

namespace {

// An X client started with an argument list, ended with the test.
class Client {
public:
    explicit Client(const QString& program, const QStringList& arguments = {}) {
        m_process.start(program, arguments);
        m_process.waitForStarted(5000);
    }
    ~Client() {
        if (m_process.state() != QProcess::NotRunning) {
            m_process.kill();
            m_process.waitForFinished(5000);
        }
    }
    qint64 pid() const { return m_process.processId(); }
    void closeInput() { m_process.closeWriteChannel(); }

private:
    QProcess m_process;
};

class Placement : public testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(probe.ok());
        // As the application does at start-up, on the main thread.
        ASSERT_TRUE(UIElement::checkAccessibilityTrust(false, test::desktop().windows()));
    }

    xcb_window_t windowOf(qint64 pid) {
        xcb_window_t found = XCB_NONE;
        waitUntil(
            [&] {
                for (xcb_window_t w : probe.clientWindows()) {
                    if (probe.pid(w) == uint32_t(pid) && probe.isViewable(w))
                        found = w;
                }
                return found != XCB_NONE;
            },
            10000);
        return found;
    }

    // Runs the placer on a thread of its own, as the launch does.
    WindowPlacer::Result place(qint64 pid, PositionName position, PlacerTuning tuning) {
        auto result = std::async(std::launch::async, [=, this] {
            WindowPlacer placer(test::desktop().windows(), frames, tuning);
            return placer.place(pid, position);
        });
        waitUntil(
            [&] { return result.wait_for(std::chrono::seconds(0)) == std::future_status::ready; },
            60000);
        return result.get();
    }

    // Where a placement puts the visible frame: the frame table over the work
    // area, with the title bar kept below the top panel.
    QRect expected(PositionName position) {
        const QRect area = probe.workArea();
        const ScreenMetrics metrics{double(area.width()), double(area.height()), double(area.top()),
                                    QPointF(area.left(), 0)};
        QRectF frame = FrameCalculator::frameFor(position, metrics, area.width(), area.height())
                           .translated(metrics.origin);
        if (frame.y() < area.top())
            frame.moveTop(area.top());
        return frame.toRect();
    }

    X11Probe probe;
    FrameCalculator frames{[] {
        return screenMetrics(test::desktop().workAreas());
    }};
    const PlacerTuning quick{20, std::chrono::milliseconds(200)};
};

// Size increments of an xterm: the WM_NORMAL_HINTS resize increments.
QSize cell(X11Probe& probe, xcb_window_t window) {
    const auto hints = probe.cardinals(window, "WM_NORMAL_HINTS");
    if (hints.size() >= 11 && (hints[0] & (1 << 6)))
        return QSize(int(hints[9]), int(hints[10]));
    return QSize(1, 1);
}

TEST_F(Placement, EveryPlacementPutsTheVisibleFrameOnItsRectangle) {
    Client terminal(QStringLiteral("xterm"),
                    {QStringLiteral("-geometry"), QStringLiteral("60x10+300+300")});
    Client clock(QStringLiteral("xclock"),
                 {QStringLiteral("-geometry"), QStringLiteral("120x120+500+400")});
    const xcb_window_t terminalWindow = windowOf(terminal.pid());
    const xcb_window_t clockWindow = windowOf(clock.pid());
    ASSERT_NE(terminalWindow, XCB_NONE);
    ASSERT_NE(clockWindow, XCB_NONE);
    const QSize terminalCell = cell(probe, terminalWindow);
    EXPECT_GT(terminalCell.width(), 1);

    for (const auto& [name, position] : positionList()) {
        if (position == PositionName::def)
            continue;
        const QRect target = expected(position);
        const auto clockResult = place(clock.pid(), position, quick);
        const auto terminalResult = place(terminal.pid(), position, quick);
        EXPECT_TRUE(clockResult.placed && terminalResult.placed) << qPrintable(name);

        const QRect clockFrame = probe.frameRect(clockWindow).value_or(QRect());
        EXPECT_LE(std::abs(clockFrame.x() - target.x()), 1) << qPrintable(name);
        EXPECT_LE(std::abs(clockFrame.y() - target.y()), 1) << qPrintable(name);
        EXPECT_LE(std::abs(clockFrame.width() - target.width()), 1) << qPrintable(name);
        EXPECT_LE(std::abs(clockFrame.height() - target.height()), 1) << qPrintable(name);

        const QRect terminalFrame = probe.frameRect(terminalWindow).value_or(QRect());
        EXPECT_LE(std::abs(terminalFrame.x() - target.x()), 1) << qPrintable(name);
        EXPECT_LE(std::abs(terminalFrame.y() - target.y()), 1) << qPrintable(name);
        EXPECT_LE(std::abs(terminalFrame.width() - target.width()), terminalCell.width())
            << qPrintable(name);
        EXPECT_LE(std::abs(terminalFrame.height() - target.height()), terminalCell.height())
            << qPrintable(name);
    }
}

TEST_F(Placement, AMaximizedWindowIsRestoredAndPlacedEveryTime) {
    Client terminal(QStringLiteral("xterm"));
    Client clock(QStringLiteral("xclock"));
    const xcb_window_t terminalWindow = windowOf(terminal.pid());
    const xcb_window_t clockWindow = windowOf(clock.pid());
    ASSERT_NE(terminalWindow, XCB_NONE);
    ASSERT_NE(clockWindow, XCB_NONE);
    const xcb_atom_t maximized = probe.atom("_NET_WM_STATE_MAXIMIZED_VERT");
    auto isMaximized = [&](xcb_window_t window) {
        const auto state = probe.cardinals(window, "_NET_WM_STATE");
        return std::find(state.begin(), state.end(), maximized) != state.end();
    };
    // Maximized as a pager would do it: _NET_WM_STATE add, both directions.
    auto maximize = [&](xcb_window_t window) {
        xcb_client_message_event_t message{};
        message.response_type = XCB_CLIENT_MESSAGE;
        message.format = 32;
        message.window = window;
        message.type = probe.atom("_NET_WM_STATE");
        message.data.data32[0] = 1;
        message.data.data32[1] = maximized;
        message.data.data32[2] = probe.atom("_NET_WM_STATE_MAXIMIZED_HORZ");
        message.data.data32[3] = 2;
        xcb_send_event(probe.connection(), 0, probe.root(),
                       XCB_EVENT_MASK_SUBSTRUCTURE_REDIRECT | XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY,
                       reinterpret_cast<const char*>(&message));
        xcb_flush(probe.connection());
        return waitUntil([&] { return isMaximized(window); }, 5000);
    };

    // The window manager's answers to an un-maximize come in several steps; a
    // placement must not take an intermediate one for the result.
    const PositionName positions[] = {PositionName::topRight, PositionName::bottomLeft,
                                      PositionName::rightHalf, PositionName::topLeft,
                                      PositionName::bottomRight};
    const struct {
        const char* name;
        qint64 pid;
        xcb_window_t window;
        QSize cell;
    } clients[] = {
        {"xterm", terminal.pid(), terminalWindow, cell(probe, terminalWindow)},
        {"xclock", clock.pid(), clockWindow, QSize(1, 1)},
    };
    for (int round = 0; round < 10; ++round) {
        const PositionName position = positions[round % std::size(positions)];
        const QRect target = expected(position);
        for (const auto& client : clients) {
            SCOPED_TRACE(testing::Message() << client.name << ", round " << round);
            ASSERT_TRUE(maximize(client.window));
            const auto result = place(client.pid, position, quick);
            EXPECT_TRUE(result.placed);
            EXPECT_FALSE(isMaximized(client.window));
            const QRect frame = probe.frameRect(client.window).value_or(QRect());
            EXPECT_LE(std::abs(frame.x() - target.x()), 1) << frame.x();
            EXPECT_LE(std::abs(frame.y() - target.y()), 1) << frame.y();
            EXPECT_LE(std::abs(frame.width() - target.width()), client.cell.width())
                << frame.width();
            EXPECT_LE(std::abs(frame.height() - target.height()), client.cell.height())
                << frame.height();
        }
    }
}

TEST_F(Placement, AWindowThatComesThreeSecondsLateIsPlacedOnALaterAttempt) {
    // xargs starts xclock as its child once its input ends: the test ends it
    // three seconds after the placer began to look for the window.
    Client launcher(QStringLiteral("xargs"), {QStringLiteral("xclock")});
    ASSERT_GT(launcher.pid(), 0);
    const auto started = std::chrono::steady_clock::now();
    auto result = std::async(std::launch::async, [this, pid = launcher.pid()] {
        WindowPlacer placer(test::desktop().windows(), frames);
        return placer.place(pid, PositionName::bottomLeft);
    });
    waitUntil([&] { return std::chrono::steady_clock::now() - started > std::chrono::seconds(3); },
              5000);
    launcher.closeInput();
    ASSERT_TRUE(waitUntil(
        [&] { return result.wait_for(std::chrono::seconds(0)) == std::future_status::ready; },
        30000));
    const auto outcome = result.get();
    EXPECT_TRUE(outcome.placed);
    EXPECT_GE(outcome.attempts, 4);
    EXPECT_LE(outcome.attempts, 8);

    xcb_window_t window = XCB_NONE;
    for (xcb_window_t w : probe.clientWindows()) {
        if (probe.wmClass(w).contains(QStringLiteral("xclock")))
            window = w;
    }
    ASSERT_NE(window, XCB_NONE);
    const QRect frame = probe.frameRect(window).value_or(QRect());
    const QRect target = expected(PositionName::bottomLeft);
    EXPECT_EQ(frame.topLeft(), target.topLeft());
    EXPECT_LE(std::abs(frame.width() - target.width()), 1);
    EXPECT_LE(std::abs(frame.height() - target.height()), 1);
    const auto windowPid = probe.pid(window);
    launcher.closeInput();
    if (windowPid)
        ::kill(pid_t(*windowPid), SIGTERM);
}

TEST_F(Placement, AProcessWithoutWindowsEndsThePlacerAfterItsAttempts) {
    Client quiet(QStringLiteral("sleep"), {QStringLiteral("60")});
    Client other(QStringLiteral("xclock"));
    const xcb_window_t otherWindow = windowOf(other.pid());
    ASSERT_NE(otherWindow, XCB_NONE);
    const QRect before = probe.frameRect(otherWindow).value_or(QRect());

    const auto result =
        place(quiet.pid(), PositionName::leftHalf, {5, std::chrono::milliseconds(100)});
    EXPECT_FALSE(result.placed);
    EXPECT_EQ(result.attempts, 5);
    // Another application's window is not taken for it.
    EXPECT_EQ(probe.frameRect(otherWindow), before);
}

TEST_F(Placement, AnApplicationWithoutProcessIsFoundByItsWindowClass) {
    // As for an application started over D-Bus: no pid, a StartupWMClass.
    Client clock(QStringLiteral("xclock"));
    const xcb_window_t window = windowOf(clock.pid());
    ASSERT_NE(window, XCB_NONE);
    const auto result =
        std::async(std::launch::async, [this] {
            WindowPlacer placer(test::desktop().windows(), frames, quick);
            return placer.place(-1, PositionName::bottomRight, QStringLiteral("XClock"));
        }).get();
    EXPECT_TRUE(result.placed);
    EXPECT_EQ(probe.frameRect(window), expected(PositionName::bottomRight));
}

TEST_F(Placement, ThePlacersPlaceSeveralApplicationsAtOnce) {
    Client first(QStringLiteral("xclock"));
    Client second(QStringLiteral("xclock"));
    WindowPlacers placers(test::desktop().windows(), frames, quick);
    placers.startPlacingAppWindow(first.pid(), PositionName::leftThird);
    placers.startPlacingAppWindow(second.pid(), PositionName::rightThird);
    const xcb_window_t a = windowOf(first.pid());
    const xcb_window_t b = windowOf(second.pid());
    ASSERT_NE(a, XCB_NONE);
    ASSERT_NE(b, XCB_NONE);
    EXPECT_TRUE(waitUntil(
        [&] {
            return probe.frameRect(a).value_or(QRect()) == expected(PositionName::leftThird) &&
                   probe.frameRect(b).value_or(QRect()) == expected(PositionName::rightThird);
        },
        15000));
}

// Runs a tool of the session with an argument list; true when it succeeded.
bool run(const QString& program, const QStringList& arguments) {
    QProcess process;
    process.start(program, arguments);
    return process.waitForFinished(10000) && process.exitStatus() == QProcess::NormalExit &&
           process.exitCode() == 0;
}

// A vertical tint2 panel along the left edge that reserves its width.
class LeftDock {
public:
    static constexpr int width = 60;
    LeftDock() {
        QFile rc(m_dir.filePath(QStringLiteral("left.rc")));
        rc.open(QIODevice::WriteOnly);
        rc.write("panel_items = C\npanel_size = 100% 60\npanel_margin = 0 0\n"
                 "panel_position = center left vertical\npanel_layer = top\n"
                 "panel_monitor = all\nstrut_policy = follow_size\npanel_dock = 0\n"
                 "wm_menu = 0\nautohide = 0\ntime1_format = %H\n");
        rc.close();
        m_panel.start(QStringLiteral("tint2"), {QStringLiteral("-c"), rc.fileName()});
    }
    ~LeftDock() {
        m_panel.terminate();
        m_panel.waitForFinished(5000);
    }

private:
    QTemporaryDir m_dir;
    QProcess m_panel;
};

TEST_F(Placement, ADockOnTheLeftIsNeverCovered) {
    const QRect before = probe.workArea();
    {
        LeftDock dock;
        ASSERT_TRUE(waitUntil([&] { return probe.workArea().left() == LeftDock::width; }));
        const auto monitor = test::desktop().workAreas().primary();
        ASSERT_TRUE(monitor);
        EXPECT_EQ(monitor->workArea, probe.workArea());

        Client clock(QStringLiteral("xclock"));
        const xcb_window_t window = windowOf(clock.pid());
        ASSERT_NE(window, XCB_NONE);
        EXPECT_TRUE(place(clock.pid(), PositionName::leftHalf, quick).placed);
        const QRect frame = probe.frameRect(window).value_or(QRect());
        EXPECT_EQ(frame.left(), LeftDock::width);
        EXPECT_LE(std::abs(frame.width() - (before.width() - LeftDock::width) / 2), 1);

        // The popover opened at the left edge and the main window stay beside it.
        Popover popover;
        popover.setWorkAreaSource(
            [](const QPoint&) { return test::desktop().workAreas().primary()->workArea; });
        auto* content = new QWidget;
        content->setFixedSize(385, 300);
        popover.setContentView(content);
        popover.showRelativeTo(QRect(2, 400, 20, 20));
        EXPECT_GE(popover.geometry().left(), LeftDock::width);
        popover.performClose();
        EXPECT_TRUE(
            monitor->workArea.contains(AppDelegate::mainWindowFrame(monitor->workArea, 30)));
    }
    EXPECT_TRUE(waitUntil([&] { return probe.workArea() == before; }));
}

TEST_F(Placement, OnMonitorsOfDifferentHeightsBottomPlacementsEndAtTheirOwnPanel) {
    const QRect single = probe.workArea(); // one monitor: both panels inset it
    const QRect root(0, 0, 1440, 900);
    ASSERT_EQ(single.right(), root.right()) << "the session's screen has changed size";
    // A tall primary monitor and a shorter one beside it; the panels follow
    // both, and the window manager's single work area ends above the short
    // monitor's bottom panel.
    ASSERT_TRUE(run(QStringLiteral("xrandr"),
                    {QStringLiteral("--setmonitor"), QStringLiteral("DexaroA"),
                     QStringLiteral("1000/264x900/238+0+0"), QStringLiteral("screen")}));
    ASSERT_TRUE(run(QStringLiteral("xrandr"),
                    {QStringLiteral("--setmonitor"), QStringLiteral("DexaroB"),
                     QStringLiteral("440/116x600/159+1000+0"), QStringLiteral("none")}));
    const auto restore = qScopeGuard([&] {
        run(QStringLiteral("xrandr"), {QStringLiteral("--delmonitor"), QStringLiteral("DexaroB")});
        run(QStringLiteral("xrandr"), {QStringLiteral("--delmonitor"), QStringLiteral("DexaroA")});
        EXPECT_TRUE(waitUntil(
            [&] { return QGuiApplication::screens().size() == 1 && probe.workArea() == single; }));
    });
    ASSERT_TRUE(waitUntil(
        [&] { return QGuiApplication::screens().size() == 2 && probe.workArea().bottom() < 600; }));

    // The panels come back on each monitor one after the other: wait for the
    // desktop to settle.
    const QRect expectedArea(0, single.top(), 1000, single.height());
    EXPECT_TRUE(waitUntil([&] {
        const auto monitor = test::desktop().workAreas().primary();
        return monitor && monitor->workArea == expectedArea;
    }));
    const auto monitor = test::desktop().workAreas().primary();
    ASSERT_TRUE(monitor);
    EXPECT_EQ(monitor->geometry, QRect(0, 0, 1000, 900));
    EXPECT_EQ(monitor->workArea, expectedArea);
    const auto shorter = test::desktop().workAreas().monitorAt(QPoint(1200, 100));
    ASSERT_TRUE(shorter);
    EXPECT_EQ(shorter->workArea.bottom(), probe.workArea().bottom());

    Client clock(QStringLiteral("xclock"));
    const xcb_window_t window = windowOf(clock.pid());
    ASSERT_NE(window, XCB_NONE);
    EXPECT_TRUE(place(clock.pid(), PositionName::bottomHalf, quick).placed);
    const QRect frame = probe.frameRect(window).value_or(QRect());
    EXPECT_LE(std::abs(frame.bottom() - single.bottom()), 1);
    EXPECT_LE(std::abs(frame.width() - 1000), 1);
}

} // namespace
