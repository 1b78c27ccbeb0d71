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

class Placer : public testing::Test {
protected:
    FakeWindows windows;
    FakeWorkAreas workAreas;
    FrameCalculator frames{[this] {
        return screenMetrics(workAreas);
    }};
    WindowPlacer placer{windows, frames, quick};
    // leftHalf on a 1440x846 work area under a 30 px panel.
    const QPointF leftHalfOrigin{0, 0};
    const QSizeF leftHalfSize{720, 846};
};

TEST_F(Placer, DefaultReturnsAtOnceWithoutTouchingWindows) {
    const auto result = placer.place(FakeWindows::appPid, PositionName::def);
    EXPECT_EQ(result.attempts, 0);
    EXPECT_EQ(windows.calls, 0);
}

TEST_F(Placer, PlacesTheFirstWindowOnTheFirstAttempt) {
    const auto result = placer.place(FakeWindows::appPid, PositionName::leftHalf);
    EXPECT_TRUE(result.placed);
    EXPECT_EQ(result.attempts, 1);
    EXPECT_EQ(windows.position, leftHalfOrigin);
    EXPECT_EQ(windows.size, leftHalfSize);
}

TEST_F(Placer, AWindowThatAppearsLateIsPlacedOnALaterAttempt) {
    windows.windowAppearsOnRead = 5;
    const auto result = placer.place(FakeWindows::appPid, PositionName::rightThird);
    EXPECT_TRUE(result.placed);
    EXPECT_EQ(result.attempts, 5);
    EXPECT_EQ(windows.position, QPointF(960, 0));
}

TEST_F(Placer, GivesUpAfterItsAttemptsWhenNoWindowComes) {
    windows.windowAppearsOnRead = 1000;
    const auto result = placer.place(FakeWindows::appPid, PositionName::leftHalf);
    EXPECT_FALSE(result.placed);
    EXPECT_EQ(result.attempts, 20);
    EXPECT_EQ(windows.windowReads, 20);
    EXPECT_EQ(windows.positionWrites + windows.sizeWrites, 0);
}

TEST_F(Placer, WithoutPermissionEveryAttemptFailsAtTheWindowRead) {
    windows.trusted = false;
    const auto result = placer.place(FakeWindows::appPid, PositionName::leftHalf);
    EXPECT_FALSE(result.placed);
    EXPECT_EQ(result.attempts, 20);
    EXPECT_EQ(windows.positionWrites + windows.sizeWrites, 0);
}

TEST_F(Placer, AProcessThatIsNotRunningIsNeverAsked) {
    windows.running = false;
    const auto result = placer.place(FakeWindows::appPid, PositionName::leftHalf);
    EXPECT_FALSE(result.placed);
    EXPECT_EQ(result.attempts, 20);
    EXPECT_EQ(windows.calls, 0);
}

TEST_F(Placer, AWindowAlreadyInPlaceGetsNoSetCall) {
    windows.position = leftHalfOrigin;
    windows.size = leftHalfSize;
    const auto result = placer.place(FakeWindows::appPid, PositionName::leftHalf);
    EXPECT_TRUE(result.placed);
    EXPECT_EQ(result.attempts, 1);
    EXPECT_EQ(windows.positionWrites + windows.sizeWrites, 0);
}

TEST_F(Placer, ARefusedMoveStillResizesAndRetries) {
    windows.positionWriteError = AXError::cannotComplete;
    const auto result = placer.place(FakeWindows::appPid, PositionName::leftHalf);
    EXPECT_FALSE(result.placed);
    EXPECT_EQ(result.attempts, 20);
    EXPECT_EQ(windows.positionWrites, 20);
    EXPECT_EQ(windows.size, leftHalfSize);
    EXPECT_EQ(windows.sizeWrites, 1); // later attempts find the size in place
}

TEST_F(Placer, AdjustmentsOfTheWindowManagerBecomeTheTarget) {
    // Kept below the panel, and a terminal rounding its size to character cells.
    windows.adjustPosition = [](QPointF p) {
        return QPointF(p.x(), std::max(p.y(), 30.0));
    };
    windows.adjustSize = [](QSizeF s) {
        return QSizeF(int(s.width()) / 6 * 6, int(s.height()) / 13 * 13);
    };
    const auto result = placer.place(FakeWindows::appPid, PositionName::leftHalf);
    EXPECT_TRUE(result.placed);
    EXPECT_EQ(result.attempts, 1);
    EXPECT_EQ(windows.position, QPointF(0, 30));
    EXPECT_EQ(windows.size, QSizeF(720, 845));
    EXPECT_EQ(windows.positionWrites, 1);
    EXPECT_EQ(windows.sizeWrites, 1);
}

TEST_F(Placer, NoScreenLeavesTheWindowAlone) {
    workAreas.monitor.reset();
    const auto result = placer.place(FakeWindows::appPid, PositionName::leftHalf);
    EXPECT_EQ(result.attempts, 0);
    EXPECT_EQ(windows.calls, 0);
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
    EXPECT_EQ(window.messagingTimeout, 0.0f);
    EXPECT_EQ(window.readAttribute<QPointF>(Attribute::position), QPointF(10, 10));
    EXPECT_FALSE(window.readAttribute<QSizeF>(Attribute::position).has_value());
    EXPECT_EQ(window.readAttribute<QVariant>(Attribute::role),
              QVariant(QStringLiteral("AXWindow")));
    // Unsupported on the application element: nothing, no error.
    EXPECT_FALSE(app->readAttribute<QPointF>(Attribute::position).has_value());
    EXPECT_EQ(attributeName(Attribute::windows), QStringLiteral("AXWindows"));
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
        EXPECT_EQ(int(e.code()), -25211);
    }
    const UIElement window(ElementRef{ElementRef::Kind::window, -1, {}, 7}, windows);
    windows.positionWriteError = AXError::cannotComplete;
    EXPECT_THROW(window.writeAttribute(Attribute::position, QPointF(1, 1)), AXException);
    EXPECT_EQ(int(AXError::noValue), -25212);
    EXPECT_EQ(int(AXError::attributeUnsupported), -25205);
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
