// Launching real X clients from desktop entries in a private XDG desktop,
// opening files and links with its default handlers, and ending what was
// launched: politely, by force, and not at all for a process that is not the
// application's.
#include "platform/linux/GioWorkspaceServices.h"
#include "support/DesktopPlatform.h"
#include "support/ProcessChecks.h"
#include "support/QtPrinters.h"
#include "support/Wait.h"
#include "support/X11Probe.h"
#include "support/XdgSandbox.h"
#include "x11/app/ProcessProbe.h"

#include <QProcess>
#include <QThread>
#include <algorithm>
#include <atomic>
#include <future>
#include <gtest/gtest.h>

using namespace dexaro;
using namespace dexaro::test;

namespace {

const QString stubbornProgram =
    QStringLiteral(DEXARO_BINARY_DIR "/bin/tests/dexaro-test-StubbornWindow");

// Everything the tests launch carries the probe's marker, so that leftovers of
// this run are found and nothing else is touched.
struct Session {
    XdgSandbox xdg;
    ProcessProbe marker;
    QString clock, terminal, stubborn, link, noProgram, broken, copier;

    Session() {
        const QProcessEnvironment env = marker.environment(QProcessEnvironment());
        for (const QString& key : env.keys())
            qputenv(key.toUtf8().constData(), env.value(key).toUtf8());

        clock = xdg.writeEntry(QStringLiteral("dexaro-test-clock.desktop"),
                               {"Type=Application", "Name=Test Clock", "Name[de]=Testuhr",
                                "Exec=xclock", "StartupWMClass=XClock"});
        terminal = xdg.writeEntry(
            QStringLiteral("dexaro-test-terminal.desktop"),
            {"Type=Application", "Name=Test Terminal", "Exec=xterm", "StartupWMClass=XTerm"});
        stubborn = xdg.writeEntry(QStringLiteral("dexaro-test-stubborn.desktop"),
                                  {"Type=Application", "Name=Stubborn", "Exec=" + stubbornProgram});
        link = xdg.writeEntry(QStringLiteral("dexaro-test-link.desktop"),
                              {"Type=Link", "Name=Web", "URL=https://example.org/"});
        noProgram =
            xdg.writeEntry(QStringLiteral("dexaro-test-noprogram.desktop"),
                           {"Type=Application", "Name=Ghost", "Exec=dexaro-no-such-program %f"});
        const QString brokenFile = xdg.path(QStringLiteral("data/applications/broken.desktop"));
        XdgSandbox::writeText(brokenFile, QByteArray("this is [not a key file\n\x01\x02"));
        broken = QUrl::fromLocalFile(brokenFile).toString();
        // An entry that leaves a trace when launched: it copies a file.
        XdgSandbox::writeText(xdg.files() + "/source", QByteArray("launched"));
        copier =
            xdg.writeEntry(QStringLiteral("dexaro-test-copier.desktop"),
                           {"Type=Application", "Name=Copier",
                            "Exec=cp " + xdg.files() + "/source " + xdg.files() + "/launched"});
        // Default handlers: a text file is copied to files/received; the
        // dexaro-test: scheme is taken by a program that does nothing.
        xdg.writeEntry(QStringLiteral("dexaro-test-opener.desktop"),
                       {"Type=Application", "Name=Opener", "NoDisplay=true", "MimeType=text/plain;",
                        "Exec=cp %f " + xdg.files() + "/received"});
        xdg.writeEntry(QStringLiteral("dexaro-test-url.desktop"),
                       {"Type=Application", "Name=Links", "NoDisplay=true",
                        "MimeType=x-scheme-handler/dexaro-test;", "Exec=true %u"});
        xdg.setDefaults({{"text/plain", "dexaro-test-opener.desktop"},
                         {"x-scheme-handler/dexaro-test", "dexaro-test-url.desktop"}});
    }
};

// Made before main(): GLib reads the XDG variables once, at first use.
Session& session() {
    static Session s;
    return s;
}
const bool sessionReady = (session(), true);

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
        EXPECT_TRUE(waitUntil([] { return zombieChildren().isEmpty(); }));
        for (const QString& program :
             {QStringLiteral("/usr/bin/xclock"), QStringLiteral("/usr/bin/xterm"), stubbornProgram})
            EXPECT_TRUE(session().marker.running(program).isEmpty()) << qPrintable(program);
    }

    // Opens from a worker thread, as the workspace opening does.
    Opened open(const QString& entry, OpenConfiguration configuration = {}) {
        auto pending = std::async(std::launch::async, [&] {
            Opened opened;
            services.openApplication(
                entry, configuration,
                [&](std::optional<RunningApplication> app, const QString& error) {
                    opened.app = std::move(app);
                    opened.error = error;
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
                windowOf(app.pid, Shown::either);
            services.forceTerminate(app);
            EXPECT_TRUE(waitUntil([&] { return processGone(app.pid); })) << app.pid;
        }
        EXPECT_TRUE(waitUntil([&] { return windowManagerCaughtUp(); }));
        started.clear();
    }

    enum class Shown { viewable, iconified, either };

    // The process's first managed window that is shown as asked.
    xcb_window_t windowOf(qint64 pid, Shown shown = Shown::viewable) {
        const auto matches = [&](xcb_window_t w) {
            switch (shown) {
            case Shown::viewable:
                return probe.isViewable(w);
            case Shown::iconified:
                return isIconified(w);
            case Shown::either:
                return probe.isViewable(w) || isIconified(w);
            }
            return false;
        };
        xcb_window_t found = XCB_NONE;
        waitUntil([&] {
            for (xcb_window_t w : probe.clientWindows())
                if (probe.pid(w) == uint32_t(pid) && found == XCB_NONE && matches(w))
                    found = w;
            return found != XCB_NONE;
        });
        return found;
    }

    // The window manager lists no window that is gone. The X server hands the
    // ids of a client that ended to the next one: a window manager still
    // busy with the old window would miss the new one.
    bool windowManagerCaughtUp() {
        for (xcb_window_t w : probe.clientWindows()) {
            auto* attributes = xcb_get_window_attributes_reply(
                probe.connection(), xcb_get_window_attributes(probe.connection(), w), nullptr);
            std::free(attributes);
            if (!attributes)
                return false;
        }
        return true;
    }

    bool isIconified(xcb_window_t window) {
        const auto state = probe.cardinals(window, "_NET_WM_STATE");
        const auto wmState = probe.cardinals(window, "WM_STATE");
        return std::count(state.begin(), state.end(), probe.atom("_NET_WM_STATE_HIDDEN")) ||
               (!wmState.empty() && wmState[0] == 3);
    }

    GioWorkspaceServices services{test::desktop().windows()};
    X11Probe probe;
    QList<RunningApplication> started;
};

TEST_F(Launch, ClientsStartFromTheirEntriesAndEndWhenAskedToQuit) {
    struct Case {
        QString entry, name, wmClass;
        bool terminal;
    };
    const Case cases[] = {
        {session().clock, "Test Clock", "XClock", false},
        {session().terminal, "Test Terminal", "XTerm", true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(qPrintable(c.name));
        const Opened opened = open(c.entry);
        ASSERT_TRUE(opened.app) << qPrintable(opened.error);
        EXPECT_EQ(opened.completions, 1);
        EXPECT_TRUE(opened.error.isEmpty());
        const RunningApplication& app = *opened.app;
        EXPECT_EQ(app.localizedName, c.name);
        EXPECT_EQ(app.wmClass, c.wmClass);
        EXPECT_EQ(app.entry, c.entry);
        ASSERT_GT(app.pid, 0);
        EXPECT_TRUE(processLives(app.pid));
        ASSERT_NE(windowOf(app.pid), XCB_NONE);
        EXPECT_FALSE(services.isTerminated(app));
        if (c.terminal) {
            ASSERT_TRUE(waitUntil([&] { return shellStarted(app.pid); }));
        }

        services.terminate(app);
        EXPECT_TRUE(waitUntil([&] { return services.isTerminated(app); }));
        EXPECT_TRUE(waitUntil([&] { return processGone(app.pid); })) << "not reaped";
    }
}

TEST_F(Launch, AClientThatRefusesToCloseEndsOnlyByForce) {
    const Opened opened = open(session().stubborn);
    ASSERT_TRUE(opened.app) << qPrintable(opened.error);
    const RunningApplication app = *opened.app;
    const xcb_window_t window = windowOf(app.pid);
    ASSERT_NE(window, XCB_NONE);

    services.terminate(app);
    // The close request reached the client, which said no.
    ASSERT_TRUE(waitUntil([&] {
        const auto requests = probe.cardinals(window, "_DEXARO_CLOSE_REQUESTS");
        return !requests.empty() && requests[0] >= 1;
    }));
    EXPECT_TRUE(processLives(app.pid));
    EXPECT_FALSE(services.isTerminated(app));

    services.forceTerminate(app);
    EXPECT_TRUE(waitUntil([&] { return services.isTerminated(app); }));
    EXPECT_TRUE(waitUntil([&] { return processGone(app.pid); })) << "not reaped";
}

TEST_F(Launch, ASecondOpenHandsBackTheRunningProcessUnlessANewInstanceIsAsked) {
    struct Case {
        const char* name;
        bool newInstance;
        bool samePid;
    };
    for (const Case c :
         {Case{"running one handed back", false, true}, Case{"new instance", true, false}}) {
        SCOPED_TRACE(c.name);
        // The second open follows at once: the first clock may not even have
        // become xclock yet.
        const Opened first = open(session().clock, {false, true});
        ASSERT_TRUE(first.app) << qPrintable(first.error);

        const Opened second = open(session().clock, {false, c.newInstance});
        ASSERT_TRUE(second.app) << qPrintable(second.error);
        EXPECT_EQ(second.app->pid == first.app->pid, c.samePid);
        EXPECT_EQ(second.app->localizedName, QStringLiteral("Test Clock"));
        const qsizetype clocks = c.samePid ? 1 : 2;
        EXPECT_TRUE(waitUntil([&] {
            return session().marker.running(QStringLiteral("/usr/bin/xclock")).size() == clocks;
        }));
        endStarted();
    }
}

TEST_F(Launch, AHiddenLaunchIconifiesTheWindowAsItAppears) {
    const Opened opened = open(session().clock, {true, true});
    ASSERT_TRUE(opened.app) << qPrintable(opened.error);
    EXPECT_NE(windowOf(opened.app->pid, Shown::iconified), XCB_NONE);
}

TEST_F(Launch, EntriesThatCannotBeLaunchedGiveAReadableError) {
    const QString missing =
        QUrl::fromLocalFile(session().xdg.path(QStringLiteral("data/applications/none.desktop")))
            .toString();
    struct Case {
        const char* name;
        QString entry;
        QString says;
    };
    const Case cases[] = {
        {"not a URL", "xclock", "is not the file:// address of an application entry"},
        {"web address", "https://example.org/clock.desktop", "is not the file:// address"},
        {"missing entry", missing, "There is no application entry at"},
        {"broken entry", session().broken, "is not a readable desktop entry"},
        {"link entry", session().link, "not an application but an entry of Type Link"},
        {"program not found", session().noProgram,
         "its program \u201cdexaro-no-such-program\u201d"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const Opened opened = open(c.entry);
        EXPECT_FALSE(opened.app);
        EXPECT_EQ(opened.completions, 1);
        EXPECT_TRUE(opened.error.contains(c.says)) << qPrintable(opened.error);
    }
}

TEST_F(Launch, FilesAndLinksOpenWithTheirDefaultHandlers) {
    const QString files = session().xdg.files();
    const QString text = files + QStringLiteral("/Wochenplan für März – Entwurf 2.txt");
    XdgSandbox::writeText(text, QStringLiteral("Montag: Übersicht\n"));
    const QString blob = files + QStringLiteral("/data.dexaroblob");
    XdgSandbox::writeText(blob, QByteArray("\x00\x01\x02\x03\xff\xfe", 6));

    struct Case {
        const char* name;
        QString path;
        bool opens;
        QString trace; // a file the handler writes
        QByteArray traceContent;
    };
    const Case cases[] = {
        {"missing path", files + "/nothing here.txt", false, {}, {}},
        {"spaces and non-ASCII", text, true, files + "/received",
         "Montag: \xc3\x9c"
         "bersicht\n"},
        {"no handler for the type", blob, false, {}, {}},
        {"desktop entry launched", QUrl(session().copier).toLocalFile(), true, files + "/launched",
         "launched"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(services.openFile(c.path), c.opens);
        if (c.trace.isEmpty())
            continue;
        QFile trace(c.trace);
        EXPECT_TRUE(waitUntil([&] { return trace.exists() && trace.size() > 0; }));
        ASSERT_TRUE(trace.open(QIODevice::ReadOnly));
        EXPECT_EQ(trace.readAll(), c.traceContent);
    }

    EXPECT_TRUE(services.openURL(QUrl(QStringLiteral("dexaro-test:hello"))));
    EXPECT_FALSE(services.openURL(QUrl(QStringLiteral("dexaro-unhandled:hello"))));
    EXPECT_FALSE(services.openURL(QUrl()));
}

TEST_F(Launch, ForceTerminateLeavesAProcessThatIsNotTheApplications) {
    // A process whose pid is recorded for the clock's entry, but which runs
    // something else: what a pid reused after the application quit looks like.
    QProcess stranger;
    stranger.start(QStringLiteral("sleep"), {QStringLiteral("60")});
    ASSERT_TRUE(stranger.waitForStarted());
    const RunningApplication recorded{stranger.processId(), "Test Clock", "XClock",
                                      session().clock};
    services.forceTerminate(recorded);
    services.terminate(recorded);

    // A signal sent before this one would have ended it by the time this ends.
    const Opened stubborn = open(session().stubborn);
    ASSERT_TRUE(stubborn.app) << qPrintable(stubborn.error);
    ASSERT_NE(windowOf(stubborn.app->pid), XCB_NONE);
    services.forceTerminate(*stubborn.app);
    EXPECT_TRUE(waitUntil([&] { return processGone(stubborn.app->pid); }));
    EXPECT_TRUE(processLives(stranger.processId()));
    stranger.kill();
    stranger.waitForFinished();
}

} // namespace
