// "From open windows" over real clients: three windows of installed entries
// (two by their class, one by its program) placed where three placements put
// them, and one window of no entry.
#include "authoring/WindowCapture.h"
#include "platform/Windows.h"
#include "platform/WorkAreas.h"
#include "positioning/NearestPlacement.h"
#include "support/DesktopPlatform.h"
#include "support/QtPrinters.h"
#include "support/XClient.h"
#include "support/XdgSandbox.h"

#include <QCoreApplication>
#include <QTemporaryDir>
#include <QUrl>
#include <gtest/gtest.h>

namespace dexaro::test {
namespace {

TEST(Capture, ThreeOpenClientsGiveTheirEntriesWithTheirNearestPlacementsAndTheRestIsListed) {
    X11Probe probe;
    ASSERT_TRUE(probe.ok());
    Windows& windows = desktop().windows();
    ASSERT_TRUE(windows.isAvailable(false));
    QTemporaryDir dir;
    const auto entry = [&](const char* file, const char* text) {
        const QString path = dir.filePath(QLatin1String(file));
        XdgSandbox::writeText(path, QByteArray("[Desktop Entry]\nType=Application\n") + text);
        return QUrl::fromLocalFile(path).toString();
    };
    const QList<AppListModel> installed{
        {QStringLiteral("Clock"), entry("clock.desktop", "Name=Clock\nExec=xclock\n"), {}},
        {QStringLiteral("Logo"),
         entry("logo.desktop", "Name=Logo\nExec=xlogo -fg red\nStartupWMClass=XLogo\n"),
         {}},
        {QStringLiteral("Terminal"), entry("term.desktop", "Name=Terminal\nExec=xterm\n"), {}},
        {QStringLiteral("Never open"), entry("never.desktop", "Name=Never\nExec=xcalc\n"), {}},
    };
    const auto monitor = desktop().workAreas().primary();
    ASSERT_TRUE(monitor);

    XClient clock(QStringLiteral("xclock"));
    XClient logo(QStringLiteral("xlogo"));
    XClient terminal(QStringLiteral("xterm"));
    XClient eyes(QStringLiteral("xeyes"));
    // xlogo and xeyes write no _NET_WM_PID: found by their class.
    const auto byClass = [&](const char* className) {
        xcb_window_t found = XCB_NONE;
        waitUntil(
            [&] {
                for (xcb_window_t w : probe.clientWindows())
                    if (probe.wmClass(w).value(1) == QLatin1String(className))
                        found = w;
                return found != XCB_NONE;
            },
            30000);
        return found;
    };
    const struct {
        xcb_window_t window;
        PositionName position;
    } placed[] = {{clock.window(probe), PositionName::leftHalf},
                  {byClass("XLogo"), PositionName::topRight},
                  {terminal.window(probe), PositionName::bottomRight}};
    for (const auto& p : placed) {
        const xcb_window_t window = p.window;
        ASSERT_NE(window, XCB_NONE);
        ASSERT_TRUE(waitUntil([&] { return windows.window(window).has_value(); }));
        // Where the placement puts it, within what the window manager rounds.
        ASSERT_TRUE(windows.setFrame(window, placementFrameOn(p.position, *monitor)));
    }
    ASSERT_NE(byClass("XEyes"), XCB_NONE);
    ASSERT_TRUE(waitUntil([&] { return windows.windows().size() >= 4; }));

    const WindowCapture capture =
        captureOpenWindows(windows, desktop().workAreas(), desktop().workspace(), installed,
                           QCoreApplication::applicationPid());
    QList<std::pair<QString, PositionName>> found;
    for (const CapturedApp& app : capture.apps) {
        found << std::pair(app.appName, app.position);
        EXPECT_TRUE(app.target.isDefault()) << "the primary monitor and the current desktop";
    }
    std::sort(found.begin(), found.end());
    EXPECT_EQ(found, (QList<std::pair<QString, PositionName>>{
                         {QStringLiteral("Clock"), PositionName::leftHalf},
                         {QStringLiteral("Logo"), PositionName::topRight},
                         {QStringLiteral("Terminal"), PositionName::bottomRight}}));
    EXPECT_TRUE(capture.unmatched.contains(QStringLiteral("XEyes")))
        << capture.unmatched.join(',').toStdString();
    EXPECT_TRUE(capture.notes.isEmpty()) << capture.notes.join('\n').toStdString();
}

} // namespace
} // namespace dexaro::test
