// "From open windows" against a window manager in memory: the nearest
// placement of a frame, and what a capture makes of several windows of one
// application, Dexaro's own, one gone meanwhile, one on another monitor or
// desktop, and windows of no installed application. Real clients are the
// X11 test's.
#include "authoring/WindowCapture.h"
#include "positioning/NearestPlacement.h"
#include "support/FakeWindows.h"
#include "support/QtPrinters.h"
#include "support/RecordingWorkspaceServices.h"

#include <gtest/gtest.h>

using namespace dexaro;
using namespace dexaro::test;

namespace {

const WorkAreas::Monitor primary{QRect(0, 0, 1440, 900), QRect(0, 30, 1440, 846), "A"};
const WorkAreas::Monitor side{QRect(1440, 0, 800, 600), QRect(1440, 0, 800, 600), "B"};

struct Monitors : WorkAreas {
    std::optional<Monitor> primary() override { return ::primary; }
    std::optional<Monitor> monitorAt(const QPoint&) override { return ::primary; }
    QList<Monitor> monitors() override { return {::primary, side}; }
};

// Owns a window by its class: "Clock" is clock.desktop's, and so on.
struct ByClass : RecordingWorkspaceServices {
    QStringList entriesOfWindows(const QList<WindowInfo>& windows,
                                 const QStringList& entries) override {
        QStringList found;
        for (const WindowInfo& w : windows) {
            const QString entry = QStringLiteral("file:///%1.desktop").arg(w.className.toLower());
            found << (entries.contains(entry) ? entry : QString());
        }
        return found;
    }
};

WindowInfo ofClass(const char* className, qint64 pid = 77) {
    WindowInfo info;
    info.className = QString::fromLatin1(className);
    info.pid = pid;
    return info;
}

} // namespace

TEST(Capture, TheNearestPlacementSharesMostOfTheFrameAndNothingCloseIsDefault) {
    const struct {
        const char* name;
        QRect frame;
        WorkAreas::Monitor monitor;
        PositionName expected;
    } rows[] = {
        {"exactly the left half", QRect(0, 30, 720, 846), primary, PositionName::leftHalf},
        {"a little off the left half", QRect(12, 40, 690, 800), primary, PositionName::leftHalf},
        {"the bottom right quarter", QRect(720, 453, 720, 423), primary, PositionName::bottomRight},
        {"the whole work area", QRect(0, 30, 1440, 846), primary, PositionName::centerFull},
        {"the middle third", QRect(480, 30, 480, 846), primary, PositionName::centerThird},
        {"a small window in the middle", QRect(600, 400, 200, 150), primary, PositionName::def},
        {"the right half of the side monitor", QRect(1840, 0, 400, 600), side,
         PositionName::rightHalf},
        {"an empty frame", QRect(), primary, PositionName::def},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        EXPECT_EQ(nearestPlacement(row.frame, row.monitor), row.expected);
    }
}

TEST(Capture, OneEntryPerApplicationWithItsMonitorAndDesktopTheRestListedOrNoted) {
    FakeWindows windows;
    windows.desktops = 4;
    Monitors monitors;
    ByClass services;
    const QList<AppListModel> installed{{"Clock", "file:///clock.desktop", {}},
                                        {"Mail", "file:///mail.desktop", {}},
                                        {"Notes", "file:///notes.desktop", {}},
                                        {"Gone", "file:///gone.desktop", {}}};
    // Back to front: windows() lists the newest first.
    const WindowId olderClock = windows.appear(ofClass("Clock"), QRect(720, 30, 720, 846)).id;
    windows.appear(ofClass("Eyes"));
    windows.appear(ofClass("Dexaro", 4242), QRect(0, 30, 720, 846));
    const WindowId notes = windows.appear(ofClass("Notes"), QRect(1440, 0, 400, 600)).id;
    windows.setDesktop(notes, -2);
    const WindowId mail = windows.appear(ofClass("Mail"), QRect(0, 30, 720, 423)).id;
    windows.setDesktop(mail, 2);
    WindowInfo dialog = ofClass("Mail");
    dialog.kind = WindowKind::dialog;
    windows.appear(dialog);
    windows.appear(ofClass("Clock"), QRect(0, 30, 720, 846));
    windows.appear(ofClass("Xterm"));
    Q_UNUSED(olderClock);

    const WindowCapture capture = captureOpenWindows(windows, monitors, services, installed, 4242);
    EXPECT_EQ(capture.apps,
              (QList<CapturedApp>{
                  {"file:///clock.desktop", "Clock", PositionName::leftHalf, {}},
                  {"file:///mail.desktop", "Mail", PositionName::topLeft, {{}, 2}},
                  {"file:///notes.desktop", "Notes", PositionName::leftHalf, {"B", desktops::all}},
              }))
        << "the front clock, not the older one; Dexaro's own window left out";
    EXPECT_EQ(capture.unmatched, (QStringList{"Xterm", "Eyes"}));
    EXPECT_EQ(capture.notes,
              QStringList{"Clock has 2 windows open; the front one gives its placement."});
}
