// The XInput2 press watcher against the real X server, with presses made by
// xdotool (XTEST): which presses count, and that a watcher can go away from
// inside its own handler. Presses reach a watcher in the order the server made
// them, so a counted press also tells that every earlier one was read.
#include "platform/linux/XInputPressWatcher.h"
#include "support/Wait.h"
#include "support/XdoTool.h"

#include <QMouseEvent>
#include <QWidget>
#include <QWindow>
#include <gtest/gtest.h>

namespace dexaro::test {
namespace {

// Away from the panels at the top and bottom of the test session's screen.
// Only the left button goes there: the window manager opens its menus on the
// others.
const QPoint bareDesktop(700, 600);
// The empty left end of the bottom panel, which shows only a clock and does
// nothing on any button.
const QPoint bottomPanel(40, 890);

// A window of this process at a fixed place that counts its presses.
class CountingWindow : public QWidget {
public:
    CountingWindow()
        : QWidget(nullptr, Qt::Tool | Qt::FramelessWindowHint | Qt::X11BypassWindowManagerHint) {
        setGeometry(900, 300, 200, 150);
    }
    int presses = 0;

protected:
    void mousePressEvent(QMouseEvent*) override { ++presses; }
};

class XInputPressWatcherTest : public ::testing::Test {
protected:
    void SetUp() override {
        watcher = XInputPressWatcher::create([this] { ++count; });
        ASSERT_TRUE(watcher) << "no XInput2 on the test display";
    }

    int count = 0;
    std::unique_ptr<XInputPressWatcher> watcher;
};

TEST_F(XInputPressWatcherTest, CountsLeftAndRightPressesOutsideAndNoOthers) {
    XdoTool::click(bareDesktop, 1);
    ASSERT_TRUE(waitUntil([&] { return count == 1; })) << "a left press was not seen";
    XdoTool::click(bottomPanel, 3);
    ASSERT_TRUE(waitUntil([&] { return count == 2; })) << "a right press was not seen";

    // Middle button and wheel: not watched. The left press after them shows
    // they were read.
    XdoTool::click(bottomPanel, 2);
    XdoTool::click(bottomPanel, 4);
    XdoTool::click(bottomPanel, 1);
    ASSERT_TRUE(waitUntil([&] { return count >= 3; }));
    EXPECT_EQ(count, 3);
}

TEST_F(XInputPressWatcherTest, IgnoresPressesInThisProgramsWindows) {
    CountingWindow window;
    window.show();
    ASSERT_TRUE(
        waitUntil([&] { return window.windowHandle() && window.windowHandle()->isExposed(); }));

    const QPoint inside = window.geometry().center();
    XdoTool::click(inside, 1);
    XdoTool::click(inside, 3);
    ASSERT_TRUE(waitUntil([&] { return window.presses == 2; })) << "the presses missed the window";
    XdoTool::click(bareDesktop, 1);
    ASSERT_TRUE(waitUntil([&] { return count >= 1; }));
    EXPECT_EQ(count, 1) << "presses in our own window counted";
}

TEST_F(XInputPressWatcherTest, AHandlerMayDestroyItsWatcher) {
    // The first press ends the second watcher from inside its handler; the
    // first watcher shows when the later presses have been read.
    int secondCount = 0;
    std::unique_ptr<XInputPressWatcher> second;
    second = XInputPressWatcher::create([&] {
        ++secondCount;
        second.reset();
    });
    ASSERT_TRUE(second);

    XdoTool::click(bareDesktop, 1);
    ASSERT_TRUE(waitUntil([&] { return count == 1; }));
    XdoTool::click(bareDesktop, 1);
    XdoTool::click(bottomPanel, 3);
    ASSERT_TRUE(waitUntil([&] { return count == 3; }));
    EXPECT_FALSE(second);
    EXPECT_EQ(secondCount, 1);
}

} // namespace
} // namespace dexaro::test
