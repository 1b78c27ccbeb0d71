// The popover closes on a press anywhere outside Dexaro, also where the press
// takes no keyboard focus away from it (the bare desktop, a window that never
// takes the focus, a panel), and at every opening. Presses inside leave it open.
#include "DexaroProcess.h"

#include <QProcess>
#include <gtest/gtest.h>
#include <xcb/xcb.h>

using namespace dexaro::test;

namespace {

// A point of the screen where no window is: away from the panels, the popover
// under the icon and the clients placed further left.
const QPoint bareDesktop(700, 600);

class PopoverClickAway : public DexaroSession {
protected:
    void TearDown() override {
        for (QProcess* client : {&xterm, &xclock}) {
            client->kill();
            client->waitForFinished(10000);
        }
        DexaroSession::TearDown();
    }
    // The client's window, once mapped.
    std::optional<QRect> startClient(QProcess& client, const char* program, const char* geometry) {
        client.start(QString::fromLatin1(program),
                     {QStringLiteral("-geometry"), QString::fromLatin1(geometry)});
        if (!waitUntil([&] { return clientWindowOf(client.processId()) != XCB_NONE; }, 30000))
            return std::nullopt;
        return probe.clientRect(clientWindowOf(client.processId()));
    }
    // tint2's panel along the bottom edge of the screen.
    std::optional<QRect> bottomPanelRect() {
        const QRect screen = probe.clientRect(probe.root()).value_or(QRect());
        for (xcb_window_t window : probe.descendants(probe.root())) {
            const auto rect = probe.clientRect(window);
            if (probe.wmClass(window).contains(QStringLiteral("tint2"), Qt::CaseInsensitive) &&
                probe.isViewable(window) && rect && rect->bottom() == screen.bottom() &&
                rect->height() < 100)
                return rect;
        }
        return std::nullopt;
    }

    QProcess xterm, xclock;
};

} // namespace

TEST_F(PopoverClickAway, PressesOutsideCloseItAtEveryOpeningAndPressesInsideDoNot) {
    const auto xtermRect = startClient(xterm, "xterm", "60x15+300+500");
    ASSERT_TRUE(xtermRect) << "no xterm window";
    const auto clockRect = startClient(xclock, "xclock", "160x160+100+500");
    ASSERT_TRUE(clockRect) << "no xclock window";
    const auto panel = bottomPanelRect();
    ASSERT_TRUE(panel) << "no bottom panel";
    XdoTool::mouseMove(bareDesktop);
    ASSERT_TRUE(waitUntil([&] { return probe.pointer().child == XCB_NONE; }))
        << "a window covers the spot meant to be bare desktop";

    ASSERT_NO_FATAL_FAILURE(startWithPopoverOpen());
    const xcb_window_t popover = visiblePopover();
    const auto popoverRect = probe.clientRect(popover);
    ASSERT_TRUE(popoverRect);
    XdoTool::click(popoverRect->center());
    XdoTool::click(popoverRect->center() + QPoint(0, 40), 3);
    // Nothing to wait for when nothing happens: give a close the time it would
    // take, then check the popover is the same window, still shown.
    EXPECT_FALSE(waitUntil([&] { return visiblePopover() != popover; }, 3000))
        << "a press inside the popover closed it";

    const struct {
        const char* name;
        QPoint at;
        int button;
    } presses[] = {
        {"left press on the bare desktop", bareDesktop, 1},
        {"left press in xterm, which takes the focus", xtermRect->center(), 1},
        {"left press in xclock, which takes no focus", clockRect->center(), 1},
        // The bottom panel shows only a clock, and its left end is empty.
        {"right press on the panel", QPoint(panel->left() + 40, panel->center().y()), 3},
        {"left press on the bare desktop again", bareDesktop, 1},
    };
    const auto iconRect = probe.clientRect(trayIcon());
    ASSERT_TRUE(iconRect);
    for (const auto& press : presses) {
        SCOPED_TRACE(press.name);
        if (visiblePopover() == XCB_NONE) {
            XdoTool::click(iconRect->center());
            ASSERT_TRUE(popoverOpened()) << "a click on the icon did not open the popover";
        }
        XdoTool::click(press.at, press.button);
        EXPECT_TRUE(popoverClosed()) << "the popover stayed open";
    }
}
