// Which windows a launch produced: the rules against a window manager in
// memory (processes of a real sandbox and real clients are the X11 test's).
#include "platform/LaunchWindows.h"
#include "support/FakeWindows.h"

#include <gtest/gtest.h>

using namespace dexaro;
using namespace dexaro::test;

namespace {

TEST(LaunchWindows, AWindowIsTheLaunchsByStartupIdProcessOrNameAndNeverFromBefore) {
    FakeWindows windows;
    windows.setParent(51, 50); // 51 is a child of the launched 50
    RunningApplication app;
    app.pid = 50;
    app.startupId = QStringLiteral("dexaro-1-7");
    app.desktopId = QStringLiteral("org.example.Notes");
    app.wmClass = QStringLiteral("NotesWM");
    app.program = QStringLiteral("notes-bin");
    app.windowsSince = 10;
    const struct {
        const char* name;
        WindowInfo window;
        bool handedBack;
        LaunchMatch match;
    } rows[] = {
        {"startup id",
         {.pid = 900, .startupId = "dexaro-1-7", .appearance = 11},
         false,
         LaunchMatch::byStartupId},
        {"another launch's startup id, no other sign",
         {.pid = 900, .startupId = "dexaro-1-8", .appearance = 11},
         false,
         LaunchMatch::none},
        {"the launched process", {.pid = 50, .appearance = 11}, false, LaunchMatch::byProcess},
        {"a descendant", {.pid = 51, .appearance = 11}, false, LaunchMatch::byProcess},
        {"application id = desktop-file id",
         {.pid = 900, .applicationId = "org.example.notes", .appearance = 11},
         false,
         LaunchMatch::byClass},
        {"WM_CLASS class = StartupWMClass",
         {.pid = 900, .className = "noteswm", .appearance = 11},
         false,
         LaunchMatch::byClass},
        {"WM_CLASS instance = Exec program",
         {.pid = 900, .instanceName = "notes-bin", .appearance = 11},
         false,
         LaunchMatch::byClass},
        {"another program",
         {.pid = 900, .className = "Other", .appearance = 11},
         false,
         LaunchMatch::none},
        {"same class, from before the launch",
         {.pid = 900, .className = "NotesWM", .appearance = 9},
         false,
         LaunchMatch::none},
        {"own pid, from before the launch",
         {.pid = 50, .appearance = 10},
         false,
         LaunchMatch::none},
        {"handed back: its own window from before",
         {.pid = 51, .appearance = 3},
         true,
         LaunchMatch::byProcess},
        {"handed back: a same-class window from before",
         {.pid = 900, .className = "NotesWM", .appearance = 3},
         true,
         LaunchMatch::none},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        RunningApplication launch = app;
        launch.handedBack = row.handedBack;
        EXPECT_EQ(launchMatch(row.window, launch, windows), row.match);
    }
}

} // namespace
