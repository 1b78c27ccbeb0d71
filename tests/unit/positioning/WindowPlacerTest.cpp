// The placers against a window manager in memory: which window of a launch is
// placed, when, and what happens to it in the settle period. Real windows and
// a real window manager are the X11 test's.
#include "positioning/WindowPlacer.h"
#include "platform/WorkAreas.h"
#include "support/FakeWindows.h"
#include "support/QtPrinters.h"
#include "support/Wait.h"

#include <QThread>
#include <gtest/gtest.h>

using namespace dexaro;
using namespace dexaro::test;

namespace {

// One monitor, 30 px panel at the top and 24 px at the bottom: leftHalf is
// 720x846 at the top left (the real window manager keeps it below the panel).
struct OneMonitor : WorkAreas {
    std::optional<Monitor> monitor = Monitor{QRect(0, 0, 1440, 900), QRect(0, 30, 1440, 846)};
    std::optional<Monitor> primary() override { return monitor; }
    std::optional<Monitor> monitorAt(const QPoint&) override { return monitor; }
    QList<Monitor> monitors() override { return monitor ? QList<Monitor>{*monitor} + more : more; }
    QList<Monitor> more; // beside the primary
};

const QRect leftHalf(0, 0, 720, 846);
constexpr qint64 appPid = 4242;

WindowInfo windowOf(qint64 pid, WindowKind kind = WindowKind::normal,
                    const QString& className = {}) {
    WindowInfo info;
    info.pid = pid;
    info.kind = kind;
    info.className = className;
    return info;
}

struct Fixture {
    FakeWindows windows;
    OneMonitor workAreas;
    FrameCalculator frames{[this](const QString& monitor) {
        return screenMetrics(workAreas, monitor);
    }};
    std::optional<WindowPlacers> placers;
    std::mutex mutex;
    std::optional<PlacementResult> result;

    explicit Fixture(PlacerTuning tuning = {20, std::chrono::milliseconds(3000),
                                            std::chrono::milliseconds(400)}) {
        placers.emplace(windows, frames, tuning);
    }
    RunningApplication launch() {
        RunningApplication app;
        app.pid = appPid;
        app.wmClass = QStringLiteral("Editor");
        app.windowsSince = windows.appearanceMark();
        return app;
    }
    void start(const RunningApplication& app,
               const WindowTarget& target = {PositionName::leftHalf}) {
        placers->startPlacingAppWindow(app, target, [this](const PlacementResult& r) {
            std::lock_guard lock(mutex);
            result = r;
        });
    }
    bool ended() {
        std::lock_guard lock(mutex);
        return result.has_value();
    }
    PlacementResult waitForEnd() {
        EXPECT_TRUE(waitUntil([&] { return ended(); }, 10000));
        std::lock_guard lock(mutex);
        return result.value_or(PlacementResult{});
    }
};

// Which window matches a launch (child, class, startup id) is the launch
// rules' table (unit_launch) and the X11 tests'; here: when it is placed.
TEST(Placers, PlaceTheLaunchsFirstNormalWindowAtOnceAndNoOtherWindow) {
    using Scene = WindowId (*)(Fixture&); // the window to be placed
    const struct {
        const char* name;
        bool before; // the scene runs before the placement starts
        Scene scene;
    } rows[] = {
        {"window there already", true,
         [](Fixture& f) {
             return f.windows.appear(windowOf(appPid)).id;
         }},
        {"window appears later", false,
         [](Fixture& f) {
             return f.windows.appear(windowOf(appPid)).id;
         }},
        {"splash, dialog and transient first", false,
         [](Fixture& f) {
             f.windows.appear(windowOf(appPid, WindowKind::splash));
             f.windows.appear(windowOf(appPid, WindowKind::dialog));
             WindowInfo transient = windowOf(appPid);
             transient.transientFor = 1;
             f.windows.appear(transient);
             return f.windows.appear(windowOf(appPid)).id;
         }},
        {"its pid set only after it appeared", false,
         [](Fixture& f) {
             WindowInfo info = f.windows.appear(windowOf(0));
             info.pid = appPid;
             f.windows.change(info);
             return info.id;
         }},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        Fixture f;
        // The user's own windows: an older one of the same class and process,
        // and one of another program that appears meanwhile.
        const WindowId older = f.windows.appear(windowOf(appPid, WindowKind::normal, "Editor")).id;
        const RunningApplication app = f.launch();
        const WindowId stranger = f.windows.appear(windowOf(999, WindowKind::normal, "Other")).id;
        WindowId expected = 0;
        if (row.before)
            expected = row.scene(f);
        f.start(app);
        if (!row.before)
            expected = row.scene(f);
        ASSERT_TRUE(waitUntil([&] { return f.windows.frame(expected) == leftHalf; }, 5000));
        const PlacementResult result = f.waitForEnd();
        EXPECT_EQ(std::tuple(result.placed, result.attempts, result.window, result.frame),
                  std::tuple(true, 1, expected, leftHalf));
        for (WindowId untouched : {older, stranger})
            EXPECT_EQ(f.windows.frame(untouched), QRect(10, 10, 300, 200));
        EXPECT_EQ(f.windows.setFrameCalls(), 1);
    }
}

// A window restoring its own geometry once and one the user drags are the X11
// test's (LaunchWindows); here the cap against an application that never stops.
TEST(Placers, GiveUpAfterTheAttemptLimitOnAWindowThatKeepsMoving) {
    const QRect saved(200, 200, 500, 400);
    Fixture f({20, std::chrono::milliseconds(5000), std::chrono::milliseconds(1500)});
    f.start(f.launch());
    const WindowId window = f.windows.appear(windowOf(appPid)).id;
    ASSERT_TRUE(waitUntil([&] { return f.windows.frame(window) == leftHalf; }, 5000));
    for (int i = 0; i < 40 && !f.ended(); ++i) {
        f.windows.move(window, saved);
        waitUntil([&] { return f.ended() || f.windows.frame(window) != saved; }, 2000);
    }
    EXPECT_EQ(f.waitForEnd().attempts, 20);
    EXPECT_EQ(f.windows.frame(window), saved);
}

TEST(Placers, TakeTheWindowManagersAdjustmentAndWaitOnWhenAWindowGoes) {
    Fixture f;
    // Rounds sizes to cells of 10 px, as a terminal's hints make it.
    f.windows.answer = [](const QRect& wanted, const QRect&) {
        return QRect(wanted.topLeft(), QSize(wanted.width() / 10 * 10, wanted.height() / 10 * 10));
    };
    const RunningApplication app = f.launch();
    f.start(app);
    const WindowId first = f.windows.appear(windowOf(appPid)).id;
    ASSERT_TRUE(waitUntil([&] { return f.windows.setFrameCalls() == 1; }));
    // Replaced by its main window (a splash screen without a type).
    f.windows.remove(first);
    const WindowId second = f.windows.appear(windowOf(appPid)).id;
    const PlacementResult result = f.waitForEnd();
    const QRect rounded(0, 0, 720, 840);
    EXPECT_EQ(std::tuple(result.placed, result.window, result.frame, result.attempts),
              std::tuple(true, second, rounded, 2));
    EXPECT_EQ(f.windows.frame(second), rounded);
}

TEST(Placers, TwoLaunchesOfOneApplicationTakeOneWindowEach) {
    for (const bool byPid : {false, true}) {
        SCOPED_TRACE(byPid ? "the first window's pid comes late" : "over D-Bus: by class only");
        Fixture f;
        RunningApplication a = f.launch(), b = f.launch();
        a.pid = byPid ? appPid : -1;
        b.pid = byPid ? appPid + 1 : -1;
        f.start(a);
        std::optional<PlacementResult> second;
        std::mutex mutex;
        f.placers->startPlacingAppWindow(b, PositionName::rightHalf, [&](const PlacementResult& r) {
            std::lock_guard lock(mutex);
            second = r;
        });
        // b's window first, without its pid at first; then a's.
        WindowInfo late = f.windows.appear(windowOf(0, WindowKind::normal, "Editor"));
        if (byPid) {
            late.pid = b.pid;
            f.windows.change(late);
        }
        const WindowId own =
            f.windows.appear(windowOf(byPid ? appPid : 0, WindowKind::normal, "Editor")).id;
        const PlacementResult first = f.waitForEnd();
        ASSERT_TRUE(waitUntil([&] {
            std::lock_guard lock(mutex);
            return second.has_value();
        }));
        EXPECT_TRUE(first.placed && second->placed);
        if (byPid)
            EXPECT_EQ(std::pair(first.window, second->window), std::pair(own, late.id));
        else
            EXPECT_EQ(QSet<WindowId>({first.window, second->window}),
                      QSet<WindowId>({own, late.id}));
    }
}

// A monitor beside the primary, 800x600 to its right without panels.
TEST(Placers, SendTheWindowToItsDesktopFirstAndPlaceItOnItsMonitorOrThePrimary) {
    const struct {
        const char* name;
        WindowTarget target;
        QRect frame;    // expected; null: not placed
        int desktop;    // the window's desktop afterwards
        bool sentFirst; // a desktop asked for before the frame
    } rows[] = {
        {"right half of the side monitor on desktop 3",
         {PositionName::rightHalf, QStringLiteral("Side"), 2},
         QRect(1840, 0, 400, 600),
         2,
         true},
        {"a monitor not connected: the primary",
         {PositionName::leftHalf, QStringLiteral("Gone")},
         leftHalf,
         0,
         false},
        {"all desktops, no placement", {PositionName::def, {}, desktops::all}, QRect(), -2, true},
        {"a desktop beyond the count: placed, left on its desktop",
         {PositionName::leftHalf, {}, 9},
         leftHalf,
         0,
         true},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        Fixture f;
        f.windows.desktops = 4;
        f.workAreas.more = {
            {QRect(1440, 0, 800, 600), QRect(1440, 0, 800, 600), QStringLiteral("Side")}};
        const RunningApplication app = f.launch();
        f.start(app, row.target);
        const WindowId id = f.windows.appear(windowOf(appPid)).id;
        const PlacementResult result = f.waitForEnd();
        EXPECT_TRUE(result.placed);
        EXPECT_EQ(f.windows.desktopOf(id), row.desktop);
        QStringList expected;
        if (row.sentFirst)
            expected << QStringLiteral("desktop %1 %2").arg(id).arg(row.target.desktop);
        if (!row.frame.isNull()) {
            expected << QStringLiteral("frame %1").arg(id);
            EXPECT_EQ(f.windows.frame(id), row.frame);
        }
        EXPECT_EQ(f.windows.calls(), expected);
    }
}

// No window within the limit is the X11 test's (a windowless process).
TEST(Placers, EndWithoutTouchingAWindowWhenThereIsNothingToDo) {
    const struct {
        const char* name;
        PositionName position;
        bool noScreen;
    } rows[] = {
        {"default placement", PositionName::def, false},
        {"no screen", PositionName::leftHalf, true},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        Fixture f({20, std::chrono::milliseconds(300), std::chrono::milliseconds(300)});
        if (row.noScreen)
            f.workAreas.monitor.reset();
        const WindowId other = f.windows.appear(windowOf(999)).id;
        f.start(f.launch(), {row.position});
        if (row.noScreen) // ends and says so
            EXPECT_FALSE(f.waitForEnd().placed);
        EXPECT_TRUE(waitUntil([&] { return f.placers->activeCount() == 0; }));
        EXPECT_EQ(f.windows.setFrameCalls(), 0);
        EXPECT_EQ(f.windows.frame(other), QRect(10, 10, 300, 200));
    }
}

TEST(Placers, TheMainThreadNeverWaitsAndStoppingEndsEveryPlacement) {
    Fixture f; // 3 s to wait for a window that never comes
    const auto result = f.placers->placeAppWindow(f.launch(), PositionName::leftHalf);
    EXPECT_EQ(result.attempts, 0);
    EXPECT_EQ(f.placers->activeCount(), 1) << "handed over instead of waited for";
    f.start(f.launch());
    f.placers->stop(); // at once, not after the limit
    EXPECT_EQ(f.placers->activeCount(), 0);
    EXPECT_TRUE(f.ended());
    f.placers->startPlacingAppWindow(f.launch(), PositionName::leftHalf);
    EXPECT_EQ(f.placers->activeCount(), 0) << "stopped placers start nothing";
}

} // namespace
