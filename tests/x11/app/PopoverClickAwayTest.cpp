// The popover closes on a press anywhere outside Dexaro, also where the press
// takes no keyboard focus away from it: the bare desktop and a window that
// never takes the focus. Presses inside the popover leave it open.
#include "DexaroProcess.h"

#include <QProcess>
#include <gtest/gtest.h>
#include <optional>
#include <xcb/xcb.h>

using namespace dexaro::test;

namespace {

// A point of the screen where no window is: away from the panels, the popover
// under the icon and the clock placed further left.
const QPoint bareDesktop(700, 600);

class PopoverClickAway : public DexaroSession {
protected:
    void TearDown() override {
        if (xclock.state() != QProcess::NotRunning) {
            xclock.kill();
            xclock.waitForFinished(5000);
        }
        DexaroSession::TearDown();
    }

    void startWithPopoverOpen() {
        startDexaro();
        ASSERT_TRUE(waitUntil([&] { return trayIcon() != XCB_NONE; }, 20000))
            << "no icon of Dexaro's in tint2's tray";
        ASSERT_TRUE(waitUntil([&] { return visiblePopover() != XCB_NONE; }))
            << "the popover is not open after start";
    }

    void reopenFromIcon() {
        const auto icon = probe.clientRect(trayIcon());
        ASSERT_TRUE(icon);
        xdotoolClick(icon->center());
        ASSERT_TRUE(waitUntil([&] { return visiblePopover() != XCB_NONE; }))
            << "a click on the icon did not open the popover again";
    }

    // The window right under the pointer: a child of the root, or none.
    xcb_window_t topWindowUnderPointer() {
        xcb_query_pointer_reply_t* reply = xcb_query_pointer_reply(
            probe.connection(), xcb_query_pointer(probe.connection(), probe.root()), nullptr);
        const xcb_window_t child = reply ? reply->child : xcb_window_t(XCB_NONE);
        free(reply);
        return child;
    }

    void press(const QPoint& at, int button) {
        runTool(QStringLiteral("xdotool"),
                {QStringLiteral("mousemove"), QString::number(at.x()), QString::number(at.y()),
                 QStringLiteral("click"), QString::number(button)});
    }

    xcb_window_t xclockWindow() {
        for (xcb_window_t window : probe.clientWindows())
            if (probe.wmClass(window).contains(QStringLiteral("XClock")) &&
                probe.isViewable(window))
                return window;
        return XCB_NONE;
    }

    // tint2's panel along the bottom edge of the screen.
    std::optional<QRect> bottomPanelRect() {
        std::vector<xcb_window_t> all;
        collect(probe, probe.root(), all);
        const QRect screen = probe.clientRect(probe.root()).value_or(QRect());
        for (xcb_window_t window : all) {
            if (!probe.wmClass(window).contains(QStringLiteral("tint2"), Qt::CaseInsensitive) ||
                !probe.isViewable(window))
                continue;
            const auto rect = probe.clientRect(window);
            if (rect && rect->bottom() == screen.bottom() && rect->height() < 100)
                return rect;
        }
        return std::nullopt;
    }

    QProcess xclock;
};

} // namespace

TEST_F(PopoverClickAway, APressOnTheBareDesktopClosesIt) {
    startWithPopoverOpen();
    runTool(QStringLiteral("xdotool"),
            {QStringLiteral("mousemove"), QString::number(bareDesktop.x()),
             QString::number(bareDesktop.y())});
    ASSERT_TRUE(waitUntil([&] { return topWindowUnderPointer() == XCB_NONE; }))
        << "a window covers the spot meant to be bare desktop";

    press(bareDesktop, 1);
    EXPECT_TRUE(waitUntil([&] { return visiblePopover() == XCB_NONE; }))
        << "a click on the desktop left the popover open";

    // Each opening watches again.
    reopenFromIcon();
    press(bareDesktop, 1);
    EXPECT_TRUE(waitUntil([&] { return visiblePopover() == XCB_NONE; }))
        << "a click on the desktop left the reopened popover open";
}

TEST_F(PopoverClickAway, PressesInWindowsThatTakeNoFocusCloseIt) {
    xclock.start(QStringLiteral("xclock"),
                 {QStringLiteral("-geometry"), QStringLiteral("160x160+100+500")});
    ASSERT_TRUE(xclock.waitForStarted(10000));
    ASSERT_TRUE(waitUntil([&] { return xclockWindow() != XCB_NONE; }));
    const auto clockRect = probe.clientRect(xclockWindow());
    ASSERT_TRUE(clockRect);

    startWithPopoverOpen();
    press(clockRect->center(), 1);
    EXPECT_TRUE(waitUntil([&] { return visiblePopover() == XCB_NONE; }))
        << "a left click in xclock left the popover open";

    // The right button counts too; the bottom panel shows only a clock, and
    // its left end is empty.
    const auto panel = bottomPanelRect();
    ASSERT_TRUE(panel) << "no bottom panel";
    reopenFromIcon();
    press(QPoint(panel->left() + 40, panel->center().y()), 3);
    EXPECT_TRUE(waitUntil([&] { return visiblePopover() == XCB_NONE; }))
        << "a right click on the panel left the popover open";
}

TEST_F(PopoverClickAway, PressesInsideThePopoverLeaveItOpen) {
    startWithPopoverOpen();
    const xcb_window_t popover = visiblePopover();
    const auto popoverRect = probe.clientRect(popover);
    ASSERT_TRUE(popoverRect);

    press(popoverRect->center(), 1);
    press(popoverRect->center() + QPoint(0, 40), 3);
    // Nothing to wait for when nothing happens: give a close the time it would
    // take, then check the popover is the same window, still shown.
    EXPECT_FALSE(waitUntil([&] { return visiblePopover() != popover; }, 1500))
        << "a press inside the popover closed it";

    // Still watching: a press outside closes it.
    press(bareDesktop, 1);
    EXPECT_TRUE(waitUntil([&] { return visiblePopover() == XCB_NONE; }));
}
