// The placer's attempts against a fake window manager; its reads and writes go
// through the element layer, whose errors the rows provoke.
#include "positioning/WindowPlacer.h"
#include "FakeWindows.h"
#include "support/FakeWorkAreas.h"

#include <QThreadPool>
#include <gtest/gtest.h>

using namespace dexaro;
using dexaro::test::FakeWindows;
using dexaro::test::FakeWorkAreas;

namespace {

constexpr PlacerTuning quick{20, std::chrono::milliseconds(1)};

// Places leftHalf (720x846 at the origin of a 1440x846 work area under a 30 px
// panel) against a window manager set up by the row.
TEST(Placer, AttemptsUntilTheWindowIsWhereItWasAskedToBe) {
    enum Setup {
        // clang-format off
        plain, windowLate, noWindow, untrusted, inPlace, moveRefused, wmAdjusts, noScreen, ended,
        defaultPlacement
        // clang-format on
    };
    const QRectF untouched(10, 10, 300, 200);
    const struct {
        const char* name;
        Setup setup;
        bool placed;
        int attempts, positionWrites, sizeWrites;
        QRectF end; // where the window ends
    } rows[] = {
        {"first window at the first attempt", plain, true, 1, 1, 1, {0, 0, 720, 846}},
        {"window appears at the fifth read", windowLate, true, 5, 1, 1, {0, 0, 720, 846}},
        {"no window ever: gives up", noWindow, false, 20, 0, 0, untouched},
        {"no permission: every read fails", untrusted, false, 20, 0, 0, untouched},
        {"already in place: no set call", inPlace, true, 1, 0, 0, {0, 0, 720, 846}},
        {"move refused: resized once, retried", moveRefused, false, 20, 20, 1, {10, 10, 720, 846}},
        // Kept below the panel, and a terminal rounding its size to character cells.
        {"adjustments become the target", wmAdjusts, true, 1, 1, 1, {0, 30, 720, 845}},
        // These never touch a window.
        {"no screen", noScreen, false, 0, 0, 0, untouched},
        {"process ended", ended, false, 20, 0, 0, untouched},
        {"default placement", defaultPlacement, false, 0, 0, 0, untouched},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        FakeWindows windows;
        windows.windowAppearsOnRead = row.setup == noWindow     ? 1000
                                      : row.setup == windowLate ? 5
                                                                : 1;
        windows.trusted = row.setup != untrusted;
        windows.running = row.setup != ended;
        if (row.setup == inPlace) {
            windows.position = {0, 0};
            windows.size = {720, 846};
        }
        if (row.setup == moveRefused)
            windows.positionWriteError = AXError::cannotComplete;
        if (row.setup == wmAdjusts) {
            windows.adjustPosition = [](QPointF p) {
                return QPointF(p.x(), std::max(p.y(), 30.0));
            };
            windows.adjustSize = [](QSizeF s) {
                return QSizeF(int(s.width()) / 6 * 6, int(s.height()) / 13 * 13);
            };
        }
        FakeWorkAreas workAreas;
        if (row.setup == noScreen)
            workAreas.monitor.reset();
        FrameCalculator frames([&] { return screenMetrics(workAreas); });
        const auto result =
            WindowPlacer(windows, frames, quick)
                .place(FakeWindows::appPid,
                       row.setup == defaultPlacement ? PositionName::def : PositionName::leftHalf);
        if (row.setup != defaultPlacement) {
            EXPECT_EQ(result.placed, row.placed);
        }
        EXPECT_EQ(result.attempts, row.attempts);
        EXPECT_EQ(windows.positionWrites, row.positionWrites);
        EXPECT_EQ(windows.sizeWrites, row.sizeWrites);
        EXPECT_EQ(QRectF(windows.position, windows.size), row.end);
        if (row.setup >= noScreen) {
            EXPECT_EQ(windows.calls, 0);
        }
    }
}

TEST(Placers, TheMainThreadNeverWaitsAndQuittingEndsEveryPlacement) {
    FakeWindows windows;
    FakeWorkAreas workAreas;
    FrameCalculator frames([&] { return screenMetrics(workAreas); });
    WindowPlacers placers(windows, frames); // 20 attempts, a second apart
    placers.placeAppWindow(-7, PositionName::leftHalf);
    EXPECT_EQ(placers.activeCount(), 1);
    placers.placeAppWindow(-7, PositionName::def);
    EXPECT_EQ(placers.activeCount(), 1);
    placers.stop(); // wakes the waiting placer at once
    EXPECT_EQ(placers.activeCount(), 0);
}

} // namespace
