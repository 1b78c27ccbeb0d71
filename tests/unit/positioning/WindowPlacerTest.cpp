// The placer's attempts against a fake window manager; its reads and writes go
// through the element layer, whose errors the rows provoke. A late window and
// a process without one are placed, or given up on, under a real one (X11 test).
#include "positioning/WindowPlacer.h"
#include "platform/WindowAccess.h"
#include "platform/WorkAreas.h"
#include "support/QtPrinters.h"

#include <gtest/gtest.h>

using namespace dexaro;

namespace {

// One application with one window. Counts the calls.
struct FakeWindows : AccessibilityBackend {
    static constexpr qint64 appPid = 4242;

    bool trusted = true;
    QPointF position{10, 10};
    QSizeF size{300, 200};
    AXError positionWriteError = AXError::success;
    int calls = 0, positionWrites = 0, sizeWrites = 0;

    bool isProcessTrusted(bool) override { return trusted; }
    bool isProcessRunning(qint64 pid) override { return pid == appPid; }

    AXError copyAttributeValue(const ElementRef& element, const QString& name,
                               AXValue* value) override {
        ++calls;
        if (element.kind == ElementRef::Kind::application && name == QLatin1String("AXWindows")) {
            if (!trusted)
                return AXError::apiDisabled;
            *value = QList<ElementRef>{{ElementRef::Kind::window, -1, {}, 7}};
        } else if (name == QLatin1String("AXPosition")) {
            *value = position;
        } else if (name == QLatin1String("AXSize")) {
            *value = size;
        } else {
            return AXError::attributeUnsupported;
        }
        return AXError::success;
    }

    AXError setAttributeValue(const ElementRef&, const QString& name,
                              const AXValue& value) override {
        ++calls;
        if (name == QLatin1String("AXPosition")) {
            ++positionWrites;
            if (positionWriteError == AXError::success)
                position = std::get<QPointF>(value);
            return positionWriteError;
        }
        ++sizeWrites;
        size = std::get<QSizeF>(value);
        return AXError::success;
    }
};

// One monitor, 30 px panel at the top and 24 px at the bottom.
struct OneMonitor : WorkAreas {
    std::optional<Monitor> monitor = Monitor{QRect(0, 0, 1440, 900), QRect(0, 30, 1440, 846)};
    std::optional<Monitor> primary() override { return monitor; }
    std::optional<Monitor> monitorAt(const QPoint&) override { return monitor; }
};

// Places leftHalf (720x846 at the monitor's top left; the window manager keeps
// it below the panel) against a window manager set up by the row.
TEST(Placer, AttemptsUntilTheWindowIsWhereItWasAskedToBe) {
    using Setup = void (*)(FakeWindows&, OneMonitor&);
    const QRectF untouched(10, 10, 300, 200), half(0, 0, 720, 846), resized(10, 10, 720, 846);
    const struct {
        const char* name;
        Setup setup;
        bool placed;
        int attempts, positionWrites, sizeWrites;
        QRectF end; // where the window ends
        PositionName position = PositionName::leftHalf;
        qint64 pid = FakeWindows::appPid;
    } rows[] = {
        {"first window at the first attempt", [](auto&, auto&) {}, true, 1, 1, 1, half},
        {"no permission: every read fails", [](auto& w, auto&) { w.trusted = false; }, false, 20, 0,
         0, untouched},
        {"move refused: resized once, retried",
         [](auto& w, auto&) { w.positionWriteError = AXError::cannotComplete; }, false, 20, 20, 1,
         resized},
        // These never touch a window.
        {"no screen", [](auto&, auto& a) { a.monitor.reset(); }, false, 0, 0, 0, untouched},
        {"default placement", [](auto&, auto&) {}, false, 0, 0, 0, untouched, PositionName::def},
        {"process already gone", [](auto&, auto&) {}, false, 0, 0, 0, untouched,
         PositionName::leftHalf, -7},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        FakeWindows windows;
        OneMonitor workAreas;
        row.setup(windows, workAreas);
        FrameCalculator frames([&] { return screenMetrics(workAreas); });
        const auto result = WindowPlacer(windows, frames, {20, std::chrono::milliseconds(1)})
                                .place(row.pid, row.position);
        EXPECT_EQ(result.placed, row.placed);
        EXPECT_EQ(result.attempts, row.attempts);
        EXPECT_EQ(windows.positionWrites, row.positionWrites);
        EXPECT_EQ(windows.sizeWrites, row.sizeWrites);
        EXPECT_EQ(QRectF(windows.position, windows.size), row.end);
        EXPECT_EQ(windows.calls == 0, row.attempts == 0);
    }
}

TEST(Placers, TheMainThreadNeverWaitsAndQuittingEndsEveryPlacement) {
    FakeWindows windows;
    windows.trusted = false; // the window is never found
    OneMonitor workAreas;
    FrameCalculator frames([&] { return screenMetrics(workAreas); });
    WindowPlacers placers(windows, frames); // 20 attempts, a second apart
    placers.placeAppWindow(FakeWindows::appPid, PositionName::leftHalf);
    placers.placeAppWindow(FakeWindows::appPid, PositionName::def);
    EXPECT_EQ(placers.activeCount(), 1) << "a default placement starts no placer";
    placers.stop(); // wakes the waiting placer at once
    EXPECT_EQ(placers.activeCount(), 0);
}

} // namespace
