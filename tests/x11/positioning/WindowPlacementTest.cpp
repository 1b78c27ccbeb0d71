// Placing real X clients' windows under openbox with panels at the top (30 px)
// and at the bottom (24 px), and on monitors added by a test.
#include "platform/Windows.h"
#include "platform/WorkAreas.h"
#include "positioning/WindowPlacer.h"
#include "support/DesktopPlatform.h"
#include "support/PlacedFrame.h"
#include "support/QtPrinters.h"
#include "support/RunProgram.h"
#include "support/XClient.h"

#include <QGuiApplication>
#include <QScopeGuard>
#include <future>
#include <gtest/gtest.h>

namespace dexaro::test {
namespace {

const QString xclock = QStringLiteral("xclock");

class Placement : public testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(probe.ok());
        // As the application does at start-up, on the main thread.
        ASSERT_TRUE(desktop().windows().isAvailable(false));
    }

    // A launch of pid (of wmClass) whose windows are there already.
    static RunningApplication launched(qint64 pid, const QString& wmClass = {}) {
        RunningApplication app;
        app.pid = pid;
        app.wmClass = wmClass;
        return app;
    }

    // Places from a thread of its own and waits for the end, settling included.
    PlacementResult place(qint64 pid, const WindowTarget& target, PlacerTuning tuning,
                          const QString& wmClass = {}) {
        auto result = std::async(std::launch::async, [=, this] {
            WindowPlacers placers(desktop().windows(), frames, tuning);
            return placers.placeAppWindow(launched(pid, wmClass), target);
        });
        waitUntil(
            [&] { return result.wait_for(std::chrono::seconds(0)) == std::future_status::ready; },
            60000);
        return result.get();
    }
    QRect frameOf(xcb_window_t window) { return probe.frameRect(window).value_or(QRect()); }

    X11Probe probe;
    FrameCalculator frames{[](const QString& monitor) {
        return screenMetrics(desktop().workAreas(), monitor);
    }};
    const PlacerTuning quick{20, std::chrono::milliseconds(20000), std::chrono::milliseconds(200)};
};

TEST_F(Placement, EveryPlacementPutsTheVisibleFramesOfSeveralWindowsAtOnceAlsoWhenMaximized) {
    XClient terminal(QStringLiteral("xterm"), {"-geometry", "60x10+300+300"});
    XClient clock(xclock, {"-geometry", "120x120+500+400"});
    const xcb_window_t terminalWindow = terminal.window(probe);
    const xcb_window_t clockWindow = clock.window(probe);
    ASSERT_TRUE(terminalWindow != XCB_NONE && clockWindow != XCB_NONE);
    // An xterm sizes in character cells: its WM_NORMAL_HINTS resize increments.
    const auto hints = probe.cardinals(terminalWindow, "WM_NORMAL_HINTS");
    ASSERT_TRUE(hints.size() >= 11 && (hints[0] & (1 << 6)));
    const QSize cell{int(hints[9]), int(hints[10])};

    const xcb_atom_t maximized = probe.atom("_NET_WM_STATE_MAXIMIZED_VERT");
    const auto isMaximized = [&](xcb_window_t window) {
        const auto state = probe.cardinals(window, "_NET_WM_STATE");
        return std::find(state.begin(), state.end(), maximized) != state.end();
    };
    // Maximized as a pager would do it: _NET_WM_STATE add, both directions.
    const auto maximize = [&](xcb_window_t window) {
        const xcb_client_message_event_t message{
            .response_type = XCB_CLIENT_MESSAGE,
            .format = 32,
            .sequence = 0,
            .window = window,
            .type = probe.atom("_NET_WM_STATE"),
            .data = {.data32 = {1, maximized, probe.atom("_NET_WM_STATE_MAXIMIZED_HORZ"), 2}}};
        xcb_send_event(probe.connection(), 0, probe.root(),
                       XCB_EVENT_MASK_SUBSTRUCTURE_REDIRECT | XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY,
                       reinterpret_cast<const char*>(&message));
        xcb_flush(probe.connection());
        return waitUntil([&] { return isMaximized(window); }, 5000);
    };

    // The window manager answers an un-maximize in several steps; a placement
    // must not take an intermediate one for the result. Both windows are placed
    // at once, on the placers' pool.
    WindowPlacers placers(desktop().windows(), frames, quick);
    for (const auto& [name, position] : positionList()) {
        if (position == PositionName::def)
            continue;
        SCOPED_TRACE(qPrintable(name));
        const bool fromMaximized = rawValue(position) % 2;
        if (fromMaximized) {
            ASSERT_TRUE(maximize(clockWindow) && maximize(terminalWindow));
        }
        placers.startPlacingAppWindow(launched(clock.pid()), position);
        placers.startPlacingAppWindow(launched(terminal.pid()), position);
        ASSERT_TRUE(waitUntil([&] { return placers.activeCount() == 0; }, 60000));
        const QRect target = placedFrame(position, probe.workArea());
        EXPECT_TRUE(framedAt(frameOf(clockWindow), target))
            << testing::PrintToString(frameOf(clockWindow));
        EXPECT_TRUE(framedAt(frameOf(terminalWindow), target, cell))
            << testing::PrintToString(frameOf(terminalWindow));
        EXPECT_FALSE(isMaximized(clockWindow) || isMaximized(terminalWindow));
    }
}

TEST_F(Placement, AChildsWindowOrOneOfTheClassIsPlacedAndAWindowlessProcessTakesNone) {
    // xargs starts xclock as its child once its input ends: the window is a
    // child's of the process started, as behind a launcher script.
    XClient launcher(QStringLiteral("xargs"), {xclock});
    launcher.process.closeWriteChannel();
    EXPECT_TRUE(place(launcher.pid(), {PositionName::bottomLeft}, {}).placed);
    xcb_window_t window = XCB_NONE;
    for (xcb_window_t w : probe.clientWindows())
        if (probe.wmClass(w).contains(xclock))
            window = w;
    ASSERT_NE(window, XCB_NONE);
    const auto end = qScopeGuard([&] {
        if (const auto pid = probe.pid(window))
            ::kill(pid_t(*pid), SIGTERM);
    });
    EXPECT_TRUE(framedAt(frameOf(window), placedFrame(PositionName::bottomLeft, probe.workArea())));

    // As for an application started over D-Bus: no pid, a StartupWMClass.
    EXPECT_TRUE(place(-1, {PositionName::bottomRight}, quick, QStringLiteral("XClock")).placed);
    const QRect placed = frameOf(window);
    EXPECT_EQ(placed, placedFrame(PositionName::bottomRight, probe.workArea()));

    XClient quiet(QStringLiteral("sleep"), {"60"});
    const auto windowless =
        place(quiet.pid(), {PositionName::leftHalf},
              {5, std::chrono::milliseconds(500), std::chrono::milliseconds(0)});
    EXPECT_FALSE(windowless.placed);
    EXPECT_EQ(windowless.attempts, 0);
    EXPECT_EQ(frameOf(window), placed);
}

TEST_F(Placement, OnMonitorsOfDifferentHeightsAPlacementFillsItsOwnMonitorsWorkArea) {
    const QRect single = probe.workArea(); // one monitor: both panels inset it
    ASSERT_EQ(single.right(), 1439) << "the session's screen has changed size";
    // A short monitor on the left and the tall primary one beside it; the
    // panels follow both, and the window manager's single work area ends above
    // the short monitor's bottom panel. A placement starts at the primary's
    // left edge and ends at its own bottom panel.
    const auto xrandr = [](const QStringList& arguments) {
        return runProgram(QStringLiteral("xrandr"), arguments);
    };
    ASSERT_TRUE(xrandr({"--setmonitor", "DexaroA", "1000/264x900/238+440+0", "screen"}));
    ASSERT_TRUE(xrandr({"--setmonitor", "DexaroB", "440/116x600/159+0+0", "none"}));
    const auto restore = qScopeGuard([&] {
        xrandr({"--delmonitor", "DexaroB"});
        xrandr({"--delmonitor", "DexaroA"});
        EXPECT_TRUE(waitUntil(
            [&] { return QGuiApplication::screens().size() == 1 && probe.workArea() == single; }));
    });
    ASSERT_TRUE(waitUntil(
        [&] { return QGuiApplication::screens().size() == 2 && probe.workArea().bottom() < 600; }));
    // The panels come back on each monitor one after the other.
    const QRect primaryArea(440, single.top(), 1000, single.height());
    ASSERT_TRUE(waitUntil([&] {
        const auto monitor = desktop().workAreas().primary();
        return monitor && monitor->workArea == primaryArea;
    }));

    XClient clock(xclock);
    const xcb_window_t window = clock.window(probe);
    ASSERT_NE(window, XCB_NONE);
    EXPECT_TRUE(place(clock.pid(), {PositionName::bottomHalf}, quick).placed);
    EXPECT_TRUE(framedAt(frameOf(window), placedFrame(PositionName::bottomHalf, primaryArea)))
        << testing::PrintToString(frameOf(window));

    // Chosen for the short monitor, by its name: its right half there.
    const auto shortMonitor = desktop().workAreas().monitorNamed(QStringLiteral("DexaroB"));
    ASSERT_TRUE(shortMonitor);
    EXPECT_EQ(shortMonitor->geometry, QRect(0, 0, 440, 600));
    const WindowTarget onShort{PositionName::rightHalf, QStringLiteral("DexaroB")};
    EXPECT_TRUE(place(clock.pid(), onShort, quick).placed);
    EXPECT_TRUE(
        framedAt(frameOf(window), placedFrame(PositionName::rightHalf, shortMonitor->workArea)))
        << testing::PrintToString(frameOf(window));
    EXPECT_LT(frameOf(window).right(), 440);

    // Unplugged: the same choice puts it on the primary, once its panel is
    // back (the panels are laid out again after a monitor goes).
    ASSERT_TRUE(xrandr({"--delmonitor", "DexaroB"}));
    ASSERT_TRUE(waitUntil([&] {
        const auto monitor = desktop().workAreas().primary();
        return QGuiApplication::screens().size() == 1 &&
               !desktop().workAreas().monitorNamed(QStringLiteral("DexaroB")) && monitor &&
               monitor->workArea == primaryArea;
    }));
    const auto primary = desktop().workAreas().primary();
    ASSERT_TRUE(primary);
    EXPECT_TRUE(place(clock.pid(), onShort, quick).placed);
    EXPECT_TRUE(framedAt(frameOf(window), placedFrame(PositionName::rightHalf, primary->workArea)))
        << testing::PrintToString(frameOf(window));
    EXPECT_GE(frameOf(window).left(), 440);
}

TEST_F(Placement, AWindowSentToTheThirdOfFourDesktopsIsPlacedThereAndAMissingDesktopIsIgnored) {
    // Four desktops, asked of openbox as a pager would.
    const auto request = [&](const char* type, uint32_t value) {
        const xcb_client_message_event_t message{.response_type = XCB_CLIENT_MESSAGE,
                                                 .format = 32,
                                                 .sequence = 0,
                                                 .window = probe.root(),
                                                 .type = probe.atom(type),
                                                 .data = {.data32 = {value, 0, 0, 0, 0}}};
        xcb_send_event(probe.connection(), 0, probe.root(),
                       XCB_EVENT_MASK_SUBSTRUCTURE_REDIRECT | XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY,
                       reinterpret_cast<const char*>(&message));
        xcb_flush(probe.connection());
    };
    request("_NET_NUMBER_OF_DESKTOPS", 4);
    Windows& windows = desktop().windows();
    ASSERT_TRUE(waitUntil([&] { return windows.desktopCount() == 4; }));
    const auto back = qScopeGuard([&] {
        windows.showDesktop(0);
        EXPECT_TRUE(waitUntil([&] { return windows.currentDesktop() == 0; }));
    });

    XClient clock(xclock, {"-geometry", "120x120+500+400"});
    const xcb_window_t window = clock.window(probe);
    ASSERT_NE(window, XCB_NONE);
    EXPECT_EQ(windows.desktopOf(window), std::optional(0));
    const WindowTarget third{PositionName::topRight, {}, 2};
    EXPECT_TRUE(place(clock.pid(), third, quick).placed);
    EXPECT_EQ(windows.desktopOf(window), std::optional(2));
    EXPECT_EQ(probe.cardinals(window, "_NET_WM_DESKTOP"), std::vector<uint32_t>{2});
    EXPECT_EQ(windows.currentDesktop(), 0) << "the desktop shown stays";
    // Shown there, where it was placed.
    ASSERT_TRUE(windows.showDesktop(2));
    ASSERT_TRUE(waitUntil([&] { return windows.currentDesktop() == 2; }));
    EXPECT_TRUE(framedAt(frameOf(window), placedFrame(PositionName::topRight, probe.workArea())))
        << testing::PrintToString(frameOf(window));

    // On every desktop; then a desktop the window manager does not have:
    // placed, and left on the desktops it was on.
    EXPECT_TRUE(place(clock.pid(), {PositionName::def, {}, desktops::all}, quick).placed);
    EXPECT_EQ(windows.desktopOf(window), std::optional(desktops::all));
    EXPECT_TRUE(place(clock.pid(), {PositionName::leftHalf, {}, 7}, quick).placed);
    EXPECT_EQ(windows.desktopOf(window), std::optional(desktops::all));
    EXPECT_TRUE(framedAt(frameOf(window), placedFrame(PositionName::leftHalf, probe.workArea())));
    EXPECT_FALSE(windows.showDesktop(7));
}

} // namespace
} // namespace dexaro::test
