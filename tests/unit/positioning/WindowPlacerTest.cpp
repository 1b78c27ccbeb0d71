// The placer's attempts against a fake window manager, and the element layer's
// read and error rules.
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
    enum Setup { plain, windowLate, noWindow, untrusted, inPlace, moveRefused, wmAdjusts };
    const struct {
        const char* name;
        Setup setup;
        bool placed;
        int attempts, positionWrites, sizeWrites;
        QRectF end; // where the window ends
    } rows[] = {
        {"first window at the first attempt", plain, true, 1, 1, 1, {0, 0, 720, 846}},
        {"window appears at the fifth read", windowLate, true, 5, 1, 1, {0, 0, 720, 846}},
        {"no window ever: gives up", noWindow, false, 20, 0, 0, {10, 10, 300, 200}},
        {"no permission: every read fails", untrusted, false, 20, 0, 0, {10, 10, 300, 200}},
        {"already in place: no set call", inPlace, true, 1, 0, 0, {0, 0, 720, 846}},
        {"move refused: resized once, retried", moveRefused, false, 20, 20, 1, {10, 10, 720, 846}},
        // Kept below the panel, and a terminal rounding its size to character cells.
        {"adjustments become the target", wmAdjusts, true, 1, 1, 1, {0, 30, 720, 845}},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        FakeWindows windows;
        windows.windowAppearsOnRead = row.setup == noWindow     ? 1000
                                      : row.setup == windowLate ? 5
                                                                : 1;
        windows.trusted = row.setup != untrusted;
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
        FrameCalculator frames([&] { return screenMetrics(workAreas); });
        const auto result =
            WindowPlacer(windows, frames, quick).place(FakeWindows::appPid, PositionName::leftHalf);
        EXPECT_EQ(result.placed, row.placed);
        EXPECT_EQ(result.attempts, row.attempts);
        EXPECT_EQ(windows.positionWrites, row.positionWrites);
        EXPECT_EQ(windows.sizeWrites, row.sizeWrites);
        EXPECT_EQ(QRectF(windows.position, windows.size), row.end);
    }
}

TEST(Placer, NeverTouchesWindowsForDefaultANoScreenOrAnEndedProcess) {
    const struct {
        const char* name;
        PositionName position;
        bool screen, running;
        int attempts;
    } rows[] = {
        {"default placement", PositionName::def, true, true, 0},
        {"no screen", PositionName::leftHalf, false, true, 0},
        {"process not running", PositionName::leftHalf, true, false, 20},
    };
    for (const auto& row : rows) {
        FakeWindows windows;
        windows.running = row.running;
        FakeWorkAreas workAreas;
        if (!row.screen)
            workAreas.monitor.reset();
        FrameCalculator frames([&] { return screenMetrics(workAreas); });
        const auto result =
            WindowPlacer(windows, frames, quick).place(FakeWindows::appPid, row.position);
        if (row.position != PositionName::def) {
            EXPECT_FALSE(result.placed) << row.name;
        }
        EXPECT_EQ(result.attempts, row.attempts) << row.name;
        EXPECT_EQ(windows.calls, 0) << row.name;
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

TEST(Elements, ReadRuleGivesValuesOfTheAskedKindOnly) {
    FakeWindows windows;
    const auto app = Application::make(FakeWindows::appPid, {}, windows);
    ASSERT_TRUE(app.has_value());
    const auto list = app->windowList();
    ASSERT_TRUE(list.has_value());
    ASSERT_EQ(list->size(), 1);
    const UIElement& window = list->first();
    EXPECT_EQ(window.readAttribute<QPointF>(Attribute::position), QPointF(10, 10));
    EXPECT_FALSE(window.readAttribute<QSizeF>(Attribute::position).has_value());
    EXPECT_EQ(window.readAttribute<QVariant>(Attribute::role),
              QVariant(QStringLiteral("AXWindow")));
    // Unsupported on the application element: nothing, no error.
    EXPECT_FALSE(app->readAttribute<QPointF>(Attribute::position).has_value());
}

TEST(Elements, FailuresAreThrownWithTheirCode) {
    FakeWindows windows;
    windows.trusted = false;
    const auto app = Application::make(FakeWindows::appPid, {}, windows);
    ASSERT_TRUE(app.has_value());
    try {
        app->windowList();
        FAIL() << "no error";
    } catch (const AXException& e) {
        EXPECT_EQ(e.code(), AXError::apiDisabled);
    }
    const UIElement window(ElementRef{ElementRef::Kind::window, -1, {}, 7}, windows);
    windows.positionWriteError = AXError::cannotComplete;
    EXPECT_THROW(window.writeAttribute(Attribute::position, QPointF(1, 1)), AXException);
}

TEST(Elements, NoApplicationForAnEndedProcessOrANegativePid) {
    FakeWindows windows;
    EXPECT_FALSE(Application::make(-1, {}, windows).has_value());
    windows.running = false;
    EXPECT_FALSE(Application::make(FakeWindows::appPid, {}, windows).has_value());
    // An application started over D-Bus is known by its window class alone.
    EXPECT_TRUE(Application::make(-1, QStringLiteral("gedit"), windows).has_value());
}

} // namespace
