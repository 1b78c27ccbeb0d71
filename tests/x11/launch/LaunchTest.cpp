// Launching real X clients from desktop entries in a private XDG desktop, and
// ending what was launched: politely, by force, and not at all for a process
// that is not the application's.
#include "platform/linux/GioWorkspaceServices.h"
#include "support/DesktopPlatform.h"
#include "support/ProcessChecks.h"
#include "support/QtPrinters.h"
#include "support/Wait.h"
#include "support/X11Probe.h"
#include "support/XdgSandbox.h"

#include <QProcess>
#include <algorithm>
#include <future>
#include <gtest/gtest.h>

namespace dexaro::test {
namespace {

const QString stubbornProgram =
    QStringLiteral(DEXARO_BINARY_DIR "/bin/tests/dexaro-test-StubbornWindow");
const QString xclock = QStringLiteral("/usr/bin/xclock");

// The desktop every test launches in; what it launches carries the marker.
struct Session {
    XdgSandbox xdg;
    ProcessProbe marker;
    QString entry(const char* id, const QStringList& lines) {
        return xdg.writeEntry(QLatin1String(id) + ".desktop", lines);
    }
    QString clock = entry(
        "clock", {"Type=Application", "Name=Test Clock", "Exec=xclock", "StartupWMClass=XClock"});
    QString terminal = entry("terminal", {"Type=Application", "Name=Test Terminal", "Exec=xterm",
                                          "StartupWMClass=XTerm"});
    QString stubborn =
        entry("stubborn", {"Type=Application", "Name=Stubborn", "Exec=" + stubbornProgram});
    QString link = entry("link", {"Type=Link", "Name=Web", "URL=https://example.org/"});
    QString noProgram =
        entry("noprogram", {"Type=Application", "Name=Ghost", "Exec=dexaro-no-such-program"});
};

// Made before main(): GLib reads the XDG variables once, at first use.
Session& session() {
    static Session s;
    return s;
}
const bool sessionReady = (session().marker.markThisProcess(), true);

struct Opened {
    std::optional<RunningApplication> app;
    QString error;
    int completions = 0;
};

class Launch : public testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(probe.ok()); }

    void TearDown() override {
        endStarted();
        for (const QString& program : {xclock, QStringLiteral("/usr/bin/xterm"), stubbornProgram})
            EXPECT_TRUE(session().marker.running(program).isEmpty()) << qPrintable(program);
    }

    // Opens from a worker thread, as the workspace opening does.
    Opened open(const QString& entry, OpenConfiguration configuration = {}) {
        auto pending = std::async(std::launch::async, [&] {
            Opened opened;
            services.openApplication(entry, configuration,
                                     [&](std::optional<RunningApplication> app, const QString& e) {
                                         opened.app = std::move(app);
                                         opened.error = e;
                                         ++opened.completions;
                                     });
            return opened;
        });
        waitUntil(
            [&] { return pending.wait_for(std::chrono::seconds(0)) == std::future_status::ready; });
        Opened opened = pending.get();
        if (opened.app && opened.app->pid > 0 && !started.contains(*opened.app))
            started.append(*opened.app);
        return opened;
    }

    // Ends what the test started, by force, and waits until the processes are
    // reaped and the window manager has let go of their windows. A client is
    // only ended once its window is shown: openbox keeps listing the window of
    // a client killed while it was being managed, and then misses the next
    // client that the X server gives the same window id.
    void endStarted() {
        for (const RunningApplication& app : started) {
            if (processLives(app.pid))
                shownWindowOf(app.pid, std::nullopt);
            services.forceTerminate(app);
            EXPECT_TRUE(waitUntil([&] { return processGone(app.pid); })) << app.pid;
        }
        EXPECT_TRUE(waitUntil([&] {
            const auto windows = probe.clientWindows();
            return std::all_of(windows.begin(), windows.end(),
                               [&](xcb_window_t w) { return probe.clientRect(w).has_value(); });
        })) << "the window manager lists windows that are gone";
        started.clear();
    }

    // The process's first managed window, waited for: mapped, or iconified
    // when asked (or either, with nothing asked).
    xcb_window_t shownWindowOf(qint64 pid, std::optional<bool> iconified) {
        xcb_window_t found = XCB_NONE;
        waitUntil([&] {
            for (xcb_window_t w : probe.clientWindows()) {
                const auto state = probe.cardinals(w, "WM_STATE");
                const bool hidden = !state.empty() && state[0] == 3;
                if (probe.pid(w) == uint32_t(pid) && found == XCB_NONE &&
                    (probe.isViewable(w) || hidden) && (!iconified || *iconified == hidden))
                    found = w;
            }
            return found != XCB_NONE;
        });
        return found;
    }

    GioWorkspaceServices services{test::desktop().windows()};
    X11Probe probe;
    QList<RunningApplication> started;
};

TEST_F(Launch, ClientsStartFromTheirEntriesAndEndWhenAskedOrOnlyByForce) {
    // A process whose pid is recorded for the clock's entry, but which runs
    // something else: what a pid reused after the application quit looks like.
    // (A clock's polite end is the authoring session's.)
    QProcess stranger;
    stranger.start(QStringLiteral("sleep"), {QStringLiteral("60")});
    ASSERT_TRUE(stranger.waitForStarted());
    const RunningApplication strangerRecord{
        stranger.processId(), "Test Clock", "XClock", session().clock, {}, "clock", "xclock"};
    const struct {
        QString entry, name, wmClass;
        bool terminal, refuses;
    } cases[] = {
        {session().terminal, "Test Terminal", "XTerm", true, false},
        {session().stubborn, "Stubborn", "", false, true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(qPrintable(c.name));
        const Opened opened = open(c.entry);
        ASSERT_TRUE(opened.app) << qPrintable(opened.error);
        const RunningApplication app = *opened.app;
        EXPECT_EQ(std::tuple(app.localizedName, app.wmClass, app.entry, app.handedBack,
                             opened.error, opened.completions),
                  std::tuple(c.name, c.wmClass, c.entry, false, "", 1));
        EXPECT_TRUE(app.startupId.startsWith("dexaro-")) << qPrintable(app.startupId);
        const xcb_window_t window = shownWindowOf(app.pid, false);
        ASSERT_NE(window, XCB_NONE);
        // A terminal closes by a hang-up, which it ignores until its shell runs.
        if (c.terminal) {
            ASSERT_TRUE(waitUntil([&] { return shellStarted(app.pid); }));
        }

        services.terminate(app);
        if (c.refuses) {
            // The close request reached the client, which said no.
            const std::vector<uint32_t> oneRequest{1};
            ASSERT_TRUE(waitUntil(
                [&] { return probe.cardinals(window, "_DEXARO_CLOSE_REQUESTS") == oneRequest; }));
            EXPECT_FALSE(services.isTerminated(app));
            // Signals to the stranger would have ended it by the time this one ends.
            services.forceTerminate(strangerRecord);
            services.terminate(strangerRecord);
            services.forceTerminate(app);
        }
        EXPECT_TRUE(waitUntil([&] { return processGone(app.pid); })) << "not ended and reaped";
    }
    EXPECT_TRUE(processLives(stranger.processId())) << "a process not the application's ended";
    stranger.kill();
    stranger.waitForFinished();
}

TEST_F(Launch, ASecondOpenHandsBackTheRunningProcessUnlessANewHiddenInstanceIsAsked) {
    // The second open follows at once: the first clock may not even have
    // become xclock yet.
    const Opened first = open(session().clock, {false, true});
    ASSERT_TRUE(first.app) << qPrintable(first.error);
    const Opened again = open(session().clock);
    ASSERT_TRUE(again.app) << qPrintable(again.error);
    EXPECT_EQ(std::tuple(again.app->pid, again.app->handedBack), std::tuple(first.app->pid, true));
    EXPECT_TRUE(waitUntil([&] { return session().marker.running(xclock).size() == 1; }));

    const Opened hidden = open(session().clock, {true, true});
    ASSERT_TRUE(hidden.app) << qPrintable(hidden.error);
    EXPECT_NE(hidden.app->pid, first.app->pid);
    EXPECT_NE(shownWindowOf(hidden.app->pid, true), XCB_NONE) << "not iconified as it appeared";
    EXPECT_EQ(session().marker.running(xclock).size(), 2);
}

// An entry that cannot be launched answers once, with its reason: the
// workspace that asked goes on and says why.
TEST_F(Launch, EntriesThatCannotBeLaunchedAnswerOnceWithTheirReason) {
    const std::pair<QString, QString> cases[] = {
        {session().link, "not an application but an entry of Type Link"},
        {session().noProgram, "its program \u201cdexaro-no-such-program\u201d"},
    };
    for (const auto& [entry, reason] : cases) {
        const Opened opened = open(entry);
        EXPECT_EQ(std::tuple(opened.app.has_value(), opened.completions), std::tuple(false, 1));
        EXPECT_TRUE(opened.error.contains(reason)) << qPrintable(opened.error);
    }
}

} // namespace
} // namespace dexaro::test
