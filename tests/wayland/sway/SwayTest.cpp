// Dexaro in a headless sway session (scripts/sway-session.sh): the window
// layer the platform chose there, native Wayland clients placed and closed
// through sway's IPC while windows from before stay where they are, and hot
// keys bound in sway and pressed with wtype.
#include "platform/HotKeys.h"
#include "platform/KeyCodes.h"
#include "platform/Windows.h"
#include "platform/linux/GioWorkspaceServices.h"
#include "positioning/WindowPlacer.h"
#include "support/DesktopPlatform.h"
#include "support/QtPrinters.h"
#include "support/Wait.h"
#include "support/XdgSandbox.h"

#include <QElapsedTimer>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QSignalSpy>
#include <future>
#include <gtest/gtest.h>
#include <mutex>

namespace dexaro::test {
namespace {

const QString windowProgram =
    QStringLiteral(DEXARO_BINARY_DIR "/bin/tests/dexaro-test-WaylandWindow");

// Made before main(): GLib reads the XDG variables once.
XdgSandbox& sandbox() {
    static XdgSandbox s;
    return s;
}
const bool sandboxReady = (sandbox(), true);

// What swaymsg says of the tree, read apart from Dexaro's own connection.
QJsonObject swayNode(qint64 conId) {
    QProcess swaymsg;
    swaymsg.start(QStringLiteral("swaymsg"), {"-r", "-t", "get_tree"});
    swaymsg.waitForFinished(5000);
    QList<QJsonObject> pending{QJsonDocument::fromJson(swaymsg.readAllStandardOutput()).object()};
    while (!pending.isEmpty()) {
        const QJsonObject node = pending.takeLast();
        if (node.value("id").toInteger() == conId)
            return node;
        for (const char* key : {"nodes", "floating_nodes"})
            for (const QJsonValue& child : node.value(QLatin1String(key)).toArray())
                pending.append(child.toObject());
    }
    return {};
}

// The visible frame: rect and the title bar above it.
QRect frameOf(const QJsonObject& node) {
    const QJsonObject r = node.value("rect").toObject();
    const int titleBar = node.value("deco_rect").toObject().value("height").toInt();
    return {r.value("x").toInt(), r.value("y").toInt() - titleBar, r.value("width").toInt(),
            r.value("height").toInt() + titleBar};
}

// A native Wayland client of the test's own, ended when the test ends.
struct Client {
    explicit Client(const QString& appId, int count = 1) {
        process.setProcessChannelMode(QProcess::ForwardedChannels);
        process.start(windowProgram, {"--app-id", appId, "--count", QString::number(count)});
        process.waitForStarted(5000);
    }
    ~Client() {
        if (process.state() != QProcess::NotRunning) {
            process.kill();
            process.waitForFinished(5000);
        }
    }
    qint64 pid() const { return process.processId(); }
    QProcess process;
};

class Sway : public testing::Test {
protected:
    void SetUp() override {
        ASSERT_FALSE(qEnvironmentVariableIsEmpty("SWAYSOCK")) << "run in scripts/sway-session.sh";
        ASSERT_TRUE(windows.isAvailable(false));
        ASSERT_TRUE(windows.placementLimit().isEmpty()) << qPrintable(windows.placementLimit());
        subscription = windows.subscribe([this](const WindowEvent& event) {
            std::lock_guard lock(mutex);
            events.append({event, clock.nsecsElapsed()});
        });
        clock.start();
    }

    // The first window of pid that appeared, once it has.
    std::optional<WindowInfo> appeared(qint64 pid) {
        std::optional<WindowInfo> found;
        waitUntil([&] {
            std::lock_guard lock(mutex);
            for (const auto& [event, at] : events)
                if (event.type == WindowEvent::Type::appeared && event.window.pid == pid)
                    found = event.window;
            return found.has_value();
        });
        return found;
    }
    bool sawGone(WindowId id) {
        std::lock_guard lock(mutex);
        return std::any_of(events.begin(), events.end(), [&](const auto& entry) {
            return entry.first.type == WindowEvent::Type::gone && entry.first.window.id == id;
        });
    }

    Windows& windows = desktop().windows();
    std::mutex mutex;
    QList<std::pair<WindowEvent, qint64>> events; // with the time heard, ns
    QElapsedTimer clock;
    std::unique_ptr<WindowSubscription> subscription;
};

TEST_F(Sway, ANativeWindowIsSeenWithItsProcessPlacedFloatingAndClosed) {
    const quint64 mark = windows.appearanceMark();
    Client client(QStringLiteral("org.dexaro.SwayOne"));
    const auto window = appeared(client.pid());
    ASSERT_TRUE(window);
    EXPECT_GT(window->appearance, mark);
    EXPECT_EQ(window->className, QStringLiteral("org.dexaro.SwayOne"));
    EXPECT_EQ(window->applicationId, QStringLiteral("org.dexaro.SwayOne"));
    EXPECT_EQ(window->kind, WindowKind::normal);
    EXPECT_TRUE(windows.isOfProcessTree(window->pid, client.pid()));
    EXPECT_EQ(windows.windows().value(0).id, window->id) << "the newest window is in front";

    const QRect wanted(120, 90, 600, 400);
    const auto placed = windows.setFrame(window->id, wanted);
    EXPECT_EQ(placed, wanted);
    const QJsonObject node = swayNode(window->id);
    EXPECT_EQ(node.value("type").toString(), QStringLiteral("floating_con"));
    EXPECT_EQ(frameOf(node), wanted);
    EXPECT_EQ(windows.frame(window->id), wanted);
    EXPECT_TRUE(waitUntil([&] {
        std::lock_guard lock(mutex);
        return std::any_of(events.begin(), events.end(), [&](const auto& entry) {
            return entry.first.type == WindowEvent::Type::moved && entry.first.frame == wanted;
        });
    })) << "the frame set is told as a move";

    ASSERT_TRUE(windows.close(window->id));
    EXPECT_TRUE(waitUntil([&] { return sawGone(window->id); }));
    EXPECT_TRUE(waitUntil([&] { return client.process.state() == QProcess::NotRunning; }))
        << "asked to close, the client ends";
    EXPECT_EQ(windows.window(window->id), std::nullopt);
    EXPECT_EQ(windows.frame(window->id), std::nullopt);
    EXPECT_EQ(windows.setFrame(window->id, wanted), std::nullopt) << "gone: nothing to place";
}

TEST_F(Sway, ALaunchedWindowIsPlacedAtOnceAndClosedAtSwitchOffWhileOneFromBeforeStays) {
    // The user's own window of the same application, there before the launch.
    Client own(QStringLiteral("org.dexaro.SwayApp"));
    const auto ownWindow = appeared(own.pid());
    ASSERT_TRUE(ownWindow);

    const QString entry =
        sandbox().writeEntry(QStringLiteral("org.dexaro.SwayApp.desktop"),
                             {"Type=Application", "Name=Sway App",
                              "Exec=" + windowProgram + " --app-id org.dexaro.SwayApp"});
    GioWorkspaceServices services{windows};
    FrameCalculator frames{[] {
        return screenMetrics(desktop().workAreas());
    }};
    WindowPlacers placers{windows, frames};
    auto launch = std::async(std::launch::async, [&] {
        std::optional<RunningApplication> opened;
        services.openApplication(
            entry, {false, true},
            [&](std::optional<RunningApplication> app, const QString&) { opened = app; });
        return opened;
    });
    ASSERT_TRUE(waitUntil(
        [&] { return launch.wait_for(std::chrono::seconds(0)) == std::future_status::ready; }));
    const std::optional<RunningApplication> app = launch.get();
    ASSERT_TRUE(app && app->pid > 0);
    std::optional<PlacementResult> result;
    placers.startPlacingAppWindow(app.value(), PositionName::leftHalf,
                                  [&](const PlacementResult& r) {
                                      std::lock_guard lock(mutex);
                                      result = r;
                                  });
    ASSERT_TRUE(waitUntil(
        [&] {
            std::lock_guard lock(mutex);
            return result.has_value();
        },
        30000));
    ASSERT_TRUE(result->placed);
    const WindowId placed = result->window;
    EXPECT_NE(placed, ownWindow->id);
    const QRect wanted = frames.frame(PositionName::leftHalf).value_or(QRectF()).toRect();
    EXPECT_EQ(frameOf(swayNode(placed)), wanted);
    // Left tiled where sway put it: never made to float (sway's tiling alone
    // sizes it as others come and go).
    EXPECT_EQ(swayNode(ownWindow->id).value("type").toString(), QStringLiteral("con"))
        << "the window from before stays";

    // From map to placed: the window's appearance to the move that put it there.
    {
        std::lock_guard lock(mutex);
        qint64 mapped = -1, moved = -1;
        for (const auto& [event, at] : events) {
            if (event.window.id != placed)
                continue;
            if (event.type == WindowEvent::Type::appeared && mapped < 0)
                mapped = at;
            if (event.type == WindowEvent::Type::moved && event.frame == wanted && moved < 0)
                moved = at;
        }
        if (mapped >= 0 && moved >= 0)
            std::printf("sway: map to placed %.1f ms\n", double(moved - mapped) / 1e6);
    }

    services.terminate(app.value());
    EXPECT_TRUE(waitUntil([&] { return sawGone(placed); })) << "switched off, not closed";
    EXPECT_TRUE(waitUntil([&] { return services.isTerminated(app.value()); }));
    EXPECT_TRUE(windows.window(ownWindow->id)) << "the window from before is not closed";
    EXPECT_EQ(own.process.state(), QProcess::Running);
}

TEST_F(Sway, AHotKeyIsBoundInSwayPressedWithWtypeAndLetGo) {
    HotKeys& hotKeys = desktop().hotKeys();
    ASSERT_TRUE(hotKeys.isAvailable());
    QSignalSpy pressed(&hotKeys, &HotKeys::pressed);
    QString error;
    const quint32 mods = HotKeys::CarbonControl | HotKeys::CarbonOption;
    ASSERT_TRUE(hotKeys.registerHotKey(keys::K, mods, 0x44584157, 7, &error)) << qPrintable(error);
    // The same combination for a second identifier: one press reports both.
    ASSERT_TRUE(hotKeys.registerHotKey(keys::K, mods, 0x44584157, 8, &error)) << qPrintable(error);
    ASSERT_TRUE(hotKeys.registerHotKey(keys::J, mods, 0x44584157, 10, &error)) << qPrintable(error);

    // What sway's configuration binds (scripts/session/sway.config) is the user's.
    EXPECT_TRUE(hotKeys.isTakenByOthers(keys::Y, HotKeys::CarbonCommand | HotKeys::CarbonShift));
    EXPECT_FALSE(hotKeys.registerHotKey(keys::Y, HotKeys::CarbonCommand | HotKeys::CarbonShift,
                                        0x44584157, 9, &error));
    EXPECT_FALSE(error.isEmpty());
    EXPECT_FALSE(hotKeys.isTakenByOthers(keys::K, mods)) << "Dexaro's own are not others'";

    const auto type = [](const char* key) {
        return QProcess::execute(QStringLiteral("wtype"),
                                 {"-M", "ctrl", "-M", "alt", key, "-m", "alt", "-m", "ctrl"});
    };
    ASSERT_EQ(type("k"), 0);
    ASSERT_TRUE(waitUntil([&] { return pressed.size() >= 2; }, 5000));
    QSet<quint32> ids;
    for (const QList<QVariant>& press : pressed)
        ids.insert(press.value(1).toUInt());
    EXPECT_EQ(ids, (QSet<quint32>{7, 8}));

    // Let go, K reports nothing: a press of another combination after it
    // arrives alone (sway handles keys in order).
    hotKeys.unregisterHotKey(0x44584157, 7);
    hotKeys.unregisterHotKey(0x44584157, 8);
    pressed.clear();
    ASSERT_EQ(type("k"), 0);
    ASSERT_EQ(type("j"), 0);
    ASSERT_TRUE(waitUntil([&] { return !pressed.isEmpty(); }, 5000));
    EXPECT_EQ(pressed.size(), 1);
    EXPECT_EQ(pressed.value(0).value(1).toUInt(), 10u);
    hotKeys.unregisterHotKey(0x44584157, 10);
}

} // namespace
} // namespace dexaro::test
