// The KWin backend in a real headless KWin (scripts/kwin-session.sh) with
// native Wayland clients: what it reports of each window, the requests it
// makes, and a workspace's launch placed, then closed, while the user's own
// window of the same program is left where it was.
#include "platform/linux/KWinWindows.h"
#include "platform/linux/GioWorkspaceServices.h"
#include "positioning/WindowPlacer.h"
#include "support/FakeWorkAreas.h"
#include "support/PlacedFrame.h"
#include "support/ProcessChecks.h"
#include "support/QtPrinters.h"
#include "support/RecordingAlerts.h"
#include "support/Wait.h"
#include "support/XdgSandbox.h"

#include <QCoreApplication>
#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QElapsedTimer>
#include <QProcess>
#include <QProcessEnvironment>
#include <QTemporaryDir>
#include <chrono>
#include <future>
#include <gtest/gtest.h>
#include <mutex>
#include <sys/stat.h>

namespace dexaro::test {
namespace {

const QString windowProgram =
    QStringLiteral(DEXARO_BINARY_DIR "/bin/tests/dexaro-test-WaylandWindow");
// The session's one output (scripts/kwin-session.sh), without panels.
const QRect screen(0, 0, 1280, 800);

// A Wayland client of the test's; killed when the test ends.
class Client {
public:
    explicit Client(const QStringList& args, const QString& display = {}) {
        if (!display.isEmpty()) {
            QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
            env.insert(QStringLiteral("WAYLAND_DISPLAY"), display);
            m_process.setProcessEnvironment(env);
        }
        m_process.setProgram(windowProgram);
        m_process.setArguments(args);
        m_process.setProcessChannelMode(QProcess::ForwardedChannels);
        m_process.start();
        m_process.waitForStarted();
    }
    ~Client() {
        m_process.kill();
        m_process.waitForFinished();
    }
    qint64 pid() const { return m_process.processId(); }

private:
    QProcess m_process;
};

struct Backend {
    RecordingAlerts alerts;
    std::unique_ptr<Windows> windows = makeKWinWindows(alerts);
};

// One backend for the whole suite: KWin runs the script once.
Backend& backend() {
    static Backend b;
    return b;
}

class KWinWindowsTest : public testing::Test {
protected:
    void SetUp() override {
        ASSERT_NE(backend().windows, nullptr) << "no KWin on the session bus";
        ASSERT_TRUE(windows().isAvailable(false));
    }
    static Windows& windows() { return *backend().windows; }

    static std::optional<WindowInfo> windowOf(qint64 pid, WindowKind kind = WindowKind::normal) {
        for (const WindowInfo& w : windows().windows())
            if (w.pid == pid && w.kind == kind)
                return w;
        return std::nullopt;
    }
    static std::optional<WindowInfo> waitForWindow(qint64 pid,
                                                   WindowKind kind = WindowKind::normal) {
        std::optional<WindowInfo> found;
        waitUntil([&] { return (found = windowOf(pid, kind)).has_value(); });
        return found;
    }
};

TEST_F(KWinWindowsTest, ReportsWhatIdentifiesEachWindowAndCarriesOutRequests) {
    const quint64 mark = windows().appearanceMark();
    Client client({"--app-id", "org.dexaro.Reported", "--size", "300,200", "--dialog"});
    const auto main = waitForWindow(client.pid());
    const auto dialog = waitForWindow(client.pid(), WindowKind::dialog);
    ASSERT_TRUE(main && dialog);

    const struct {
        const char* name;
        WindowInfo window;
        WindowId transientFor;
    } rows[] = {{"main window", *main, 0}, {"dialog", *dialog, main->id}};
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        EXPECT_EQ(row.window.className, "org.dexaro.Reported");
        EXPECT_EQ(row.window.applicationId, "org.dexaro.Reported");
        EXPECT_EQ(row.window.transientFor, row.transientFor);
        EXPECT_GT(row.window.appearance, mark);
        EXPECT_TRUE(windows().isOfProcessTree(row.window.pid, client.pid()));
        EXPECT_FALSE(windows().isOfProcessTree(row.window.pid, client.pid() + 100000));
    }
    EXPECT_GE(windows().appearanceMark(), std::max(main->appearance, dialog->appearance));
    EXPECT_EQ(windows().frame(main->id).value_or(QRect()).size(), QSize(300, 200));

    // A frame asked for is answered with the frame KWin gave the window.
    const QRect target(40, 30, 500, 400);
    EXPECT_EQ(windows().setFrame(main->id, target), target);
    EXPECT_EQ(windows().frame(main->id), target);

    EXPECT_TRUE(windows().iconify(main->id));
    EXPECT_TRUE(
        waitUntil([&] { return windows().window(main->id).value_or(WindowInfo{}).iconic; }));
    EXPECT_TRUE(windows().activate(main->id));
    EXPECT_TRUE(
        waitUntil([&] { return !windows().window(main->id).value_or(WindowInfo{}).iconic; }));

    // The dialog closes on request; its main window stays.
    EXPECT_TRUE(windows().close(dialog->id));
    EXPECT_TRUE(waitUntil([&] { return !windows().window(dialog->id); }));
    EXPECT_TRUE(windows().window(main->id).has_value());
    EXPECT_FALSE(windows().setFrame(dialog->id, target).has_value());
    EXPECT_FALSE(windows().close(dialog->id));
}

TEST_F(KWinWindowsTest, NotifiesAppearedMovedAndGoneInOrder) {
    std::mutex mutex;
    QList<std::pair<WindowEvent::Type, WindowId>> events;
    const auto subscription = windows().subscribe([&](const WindowEvent& event) {
        std::lock_guard lock(mutex);
        events.append({event.type, event.window.id});
    });
    WindowId id = 0;
    {
        Client client({"--app-id", "org.dexaro.Watched"});
        const auto window = waitForWindow(client.pid());
        ASSERT_TRUE(window);
        id = window->id;
        ASSERT_TRUE(windows().setFrame(id, QRect(100, 100, 400, 300)).has_value());
    }
    ASSERT_TRUE(waitUntil([&] { return !windows().window(id); }));
    std::lock_guard lock(mutex);
    QList<WindowEvent::Type> mine;
    for (const auto& [type, window] : events)
        if (window == id && (mine.isEmpty() || mine.last() != type))
            mine.append(type);
    EXPECT_EQ(mine, (QList<WindowEvent::Type>{WindowEvent::Type::appeared, WindowEvent::Type::moved,
                                              WindowEvent::Type::gone}));
}

TEST_F(KWinWindowsTest, AWorkspacesLaunchIsPlacedThenClosedAndTheUsersOwnWindowIsLeftAlone) {
    XdgSandbox xdg;
    const QString entry = xdg.writeEntry(
        "org.dexaro.Launched.desktop", {"Type=Application", "Name=Launched",
                                        "Exec=" + windowProgram + " --app-id org.dexaro.Launched"});
    // The user's own window of the same program, there before the workspace.
    Client own({"--app-id", "org.dexaro.Launched"});
    const auto ownWindow = waitForWindow(own.pid());
    ASSERT_TRUE(ownWindow);
    const QRect ownFrame = windows().frame(ownWindow->id).value_or(QRect());

    FakeWorkAreas areas(WorkAreas::Monitor{screen, screen});
    FrameCalculator frames([&] { return screenMetrics(areas); });
    WindowPlacers placers(windows(), frames);
    GioWorkspaceServices services(windows());

    // Time from the window's appearance to the frame KWin reports as placed.
    std::mutex mutex;
    std::optional<QElapsedTimer> mappedAt;
    std::optional<qint64> placedAfterMs;
    const QRect target = placedFrame(PositionName::leftHalf, screen);
    const auto subscription = windows().subscribe([&](const WindowEvent& event) {
        if (event.window.className != "org.dexaro.Launched" || event.window.id == ownWindow->id)
            return;
        std::lock_guard lock(mutex);
        if (event.type == WindowEvent::Type::appeared && !mappedAt)
            mappedAt.emplace().start();
        else if (event.type == WindowEvent::Type::moved && mappedAt && !placedAfterMs &&
                 framedAt(event.frame, target))
            placedAfterMs = mappedAt->elapsed();
    });

    auto opening = std::async(std::launch::async, [&] {
        std::optional<RunningApplication> opened;
        services.openApplication(entry, {false, true},
                                 [&](std::optional<RunningApplication> app, const QString& error) {
                                     opened = app;
                                     EXPECT_TRUE(error.isEmpty()) << qPrintable(error);
                                 });
        return opened;
    });
    ASSERT_TRUE(waitUntil(
        [&] { return opening.wait_for(std::chrono::seconds(0)) == std::future_status::ready; }));
    const RunningApplication app = opening.get().value_or(RunningApplication{});
    ASSERT_GT(app.pid, 0);

    std::optional<PlacementResult> result;
    placers.startPlacingAppWindow(app, PositionName::leftHalf, [&](const PlacementResult& r) {
        std::lock_guard lock(mutex);
        result = r;
    });
    ASSERT_TRUE(waitUntil(
        [&] {
            std::lock_guard lock(mutex);
            return result.has_value();
        },
        30000));
    const PlacementResult placed = *result;
    ASSERT_TRUE(placed.placed);
    EXPECT_NE(placed.window, ownWindow->id);
    EXPECT_TRUE(framedAt(windows().frame(placed.window).value_or(QRect()), target))
        << testing::PrintToString(windows().frame(placed.window));
    {
        std::lock_guard lock(mutex);
        ASSERT_TRUE(placedAfterMs.has_value());
        std::printf("KWin: a window mapped was placed %lld ms later\n",
                    static_cast<long long>(*placedAfterMs));
    }

    services.terminate(app);
    EXPECT_TRUE(waitUntil([&] { return !windows().window(placed.window); })) << "not closed";
    EXPECT_TRUE(waitUntil([&] { return processGone(app.pid); })) << "did not end";
    EXPECT_EQ(windows().frame(ownWindow->id), ownFrame) << "the user's own window was touched";
    EXPECT_TRUE(processLives(own.pid()));
}

TEST_F(KWinWindowsTest, RefusesReportsThatDoNotComeFromKWin) {
    // Another program on the session bus calls Dexaro's bridge with a window.
    QDBusConnection bus = QDBusConnection::sessionBus();
    const QStringList names = bus.interface()->registeredServiceNames().value();
    // The test program's own platform runs a bridge too: every bridge refuses.
    int bridges = 0;
    int accepted = 0;
    for (const QString& name : names) {
        if (!name.startsWith(u':'))
            continue;
        QDBusMessage call = QDBusMessage::createMethodCall(
            name, QStringLiteral("/org/dexaro/KWinBridge"), QStringLiteral("org.dexaro.KWinBridge"),
            QStringLiteral("report"));
        call << QStringLiteral(
            R"({"type":"appeared","window":{"id":"{forged}","pid":1,)"
            R"("resourceClass":"forged","kind":"normal","width":9,"height":9}})");
        const QDBusMessage reply = bus.call(call, QDBus::Block, 2000);
        if (reply.errorName() == QLatin1String("org.freedesktop.DBus.Error.AccessDenied"))
            ++bridges;
        else if (reply.type() == QDBusMessage::ReplyMessage)
            ++accepted;
    }
    EXPECT_GE(bridges, 1);
    EXPECT_EQ(accepted, 0);
    windows().appearanceMark(); // the forged report would be in by now
    for (const WindowInfo& w : windows().windows())
        EXPECT_NE(w.className, "forged");
}

TEST_F(KWinWindowsTest, LoadsNoScriptFromAFolderOthersCouldWrite) {
    const QByteArray runtime = qgetenv("XDG_RUNTIME_DIR");
    const struct {
        const char* name;
        std::function<void(const QString& folder)> make;
    } rows[] = {
        {"readable by others",
         [](const QString& f) {
             ::mkdir(QFile::encodeName(f), 0755);
         }},
        {"a link to another folder",
         [](const QString& f) {
             QFile::link(QStringLiteral("/tmp"), f);
         }},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        QTemporaryDir dir;
        ::chmod(QFile::encodeName(dir.path()), 0700);
        row.make(dir.filePath(QStringLiteral("dexaro")));
        qputenv("XDG_RUNTIME_DIR", QFile::encodeName(dir.path()));
        RecordingAlerts alerts;
        const auto refused = makeKWinWindows(alerts);
        ASSERT_NE(refused, nullptr);
        EXPECT_FALSE(refused->isAvailable(true));
        EXPECT_FALSE(refused->isAvailable(true));
        ASSERT_EQ(alerts.shown.size(), 1) << "explained once";
        EXPECT_TRUE(refused->placementLimit().contains(QStringLiteral("only you can write")));
        EXPECT_TRUE(alerts.shown[0].informative.contains(QStringLiteral("only you can write")))
            << qPrintable(alerts.shown[0].informative);
        EXPECT_TRUE(refused->windows().isEmpty());
    }
    qputenv("XDG_RUNTIME_DIR", runtime);
    // The refused ones left the script of the suite's backend running.
    Client client({"--app-id", "org.dexaro.StillSeen"});
    EXPECT_TRUE(waitForWindow(client.pid()).has_value());
}

// A KWin of the test's own on a bus of its own, restarted while the backend
// runs: its windows go with it, and the script runs again in the new one.
class PrivateKWin {
public:
    PrivateKWin() {
        m_bus.setProgram(QStringLiteral("dbus-daemon"));
        m_bus.setArguments({"--session", "--nofork", "--print-address=1"});
        m_bus.start();
        m_bus.waitForReadyRead(5000);
        address = QString::fromUtf8(m_bus.readLine().trimmed());
    }
    ~PrivateKWin() {
        stop();
        m_bus.terminate();
        m_bus.waitForFinished();
    }
    bool start() {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("DBUS_SESSION_BUS_ADDRESS"), address);
        m_kwin.setProcessEnvironment(env);
        m_kwin.setProgram(qEnvironmentVariable("DEXARO_KWIN_PROGRAM"));
        m_kwin.setArguments(
            {"--virtual", "--width", "800", "--height", "600", "--socket", display});
        m_kwin.setStandardOutputFile(QProcess::nullDevice());
        m_kwin.setStandardErrorFile(QProcess::nullDevice());
        m_kwin.start();
        QDBusConnection bus = QDBusConnection::connectToBus(address, QStringLiteral("probe"));
        return m_kwin.waitForStarted() && waitUntil([&] {
                   return bus.interface()->isServiceRegistered(QStringLiteral("org.kde.KWin"));
               });
    }
    void stop() {
        m_kwin.terminate();
        m_kwin.waitForFinished();
    }

    QString address;
    const QString display =
        QStringLiteral("dexaro-restarted-%1").arg(QCoreApplication::applicationPid());

private:
    QProcess m_bus, m_kwin;
};

TEST(KWinRestart, TheWindowsGoWithKWinAndTheScriptRunsAgainInTheNextOne) {
    PrivateKWin kwin;
    ASSERT_FALSE(kwin.address.isEmpty());
    ASSERT_TRUE(kwin.start());
    RecordingAlerts alerts;
    const auto windows = makeKWinWindows(alerts, kwin.address);
    ASSERT_NE(windows, nullptr);
    ASSERT_TRUE(windows->isAvailable(false));
    const auto windowOf = [&](qint64 pid) {
        for (const WindowInfo& w : windows->windows())
            if (w.pid == pid)
                return std::optional(w);
        return std::optional<WindowInfo>();
    };
    std::mutex mutex;
    QList<WindowEvent::Type> events;
    const auto subscription = windows->subscribe([&](const WindowEvent& event) {
        std::lock_guard lock(mutex);
        events.append(event.type);
    });

    Client before({"--app-id", "org.dexaro.BeforeRestart"}, kwin.display);
    ASSERT_TRUE(waitUntil([&] { return windowOf(before.pid()).has_value(); }));
    kwin.stop();
    EXPECT_TRUE(waitUntil([&] { return windows->windows().isEmpty(); }));
    EXPECT_FALSE(windows->isAvailable(false));
    {
        std::lock_guard lock(mutex);
        EXPECT_TRUE(events.contains(WindowEvent::Type::gone));
    }

    ASSERT_TRUE(kwin.start());
    EXPECT_TRUE(waitUntil([&] { return windows->isAvailable(false); }));
    Client after({"--app-id", "org.dexaro.AfterRestart"}, kwin.display);
    const bool seen = waitUntil([&] { return windowOf(after.pid()).has_value(); });
    ASSERT_TRUE(seen);
    const auto placed = windows->setFrame(windowOf(after.pid())->id, QRect(10, 20, 300, 200));
    EXPECT_EQ(placed, QRect(10, 20, 300, 200));
    EXPECT_TRUE(alerts.shown.isEmpty());
}

} // namespace
} // namespace dexaro::test
