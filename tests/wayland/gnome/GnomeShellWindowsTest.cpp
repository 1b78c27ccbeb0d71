// The window layer under a real headless GNOME Shell 43 with Dexaro's
// extension (scripts/gnome-session.sh), driving native Wayland clients (foot).
#include "platform/linux/GnomeShellWindows.h"
#include "platform/linux/GnomeShellExtension.h"
#include "platform/linux/ProcFs.h"
#include "positioning/WindowPlacer.h"
#include "support/PlacedFrame.h"
#include "support/QtPrinters.h"
#include "support/RecordingAlerts.h"
#include "support/Wait.h"

// GIO names a struct member "signals", which Qt defines as a keyword.
#pragma push_macro("signals")
#undef signals
#include <gio/gio.h>
#pragma pop_macro("signals")

#include <QDBusConnection>
#include <QDBusMessage>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QScopeGuard>
#include <QTemporaryDir>
#include <QUuid>
#include <future>
#include <gtest/gtest.h>
#include <mutex>

namespace dexaro::test {
namespace {

// A foot terminal, a native Wayland client, with an app_id of its own.
struct Foot {
    explicit Foot(const QString& name) : appId(QStringLiteral("dexaro-test-") + name) {
        process.setProgram(QStringLiteral("foot"));
        // cat ends when the terminal hangs up, whatever signals it inherited.
        process.setArguments({QStringLiteral("--app-id=") + appId, QStringLiteral("cat")});
        process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        process.setStandardOutputFile(QProcess::nullDevice());
        process.start();
        process.waitForStarted();
    }
    ~Foot() {
        if (process.state() != QProcess::NotRunning) {
            process.kill();
            process.waitForFinished(5000);
        }
    }
    qint64 pid() const { return process.processId(); }
    QString appId;
    QProcess process;
};

std::optional<WindowInfo> windowOf(Windows& windows, const QString& appId) {
    for (const WindowInfo& w : windows.windows())
        if (w.className == appId)
            return w;
    return std::nullopt;
}

// What the layer told, in order.
struct Heard {
    std::mutex mutex;
    QList<WindowEvent> events;
    QList<qint64> atMs; // when each event was heard
    QHash<WindowId, qint64> appearedAtMs;
    QElapsedTimer clock;

    Heard() { clock.start(); }
    Windows::Listener listener() {
        return [this](const WindowEvent& e) {
            std::lock_guard lock(mutex);
            events.append(e);
            atMs.append(clock.elapsed());
            if (e.type == WindowEvent::Type::appeared)
                appearedAtMs.insert(e.window.id, clock.elapsed());
        };
    }
    bool has(WindowEvent::Type type, const QString& appId) {
        std::lock_guard lock(mutex);
        for (const WindowEvent& e : events)
            if (e.type == type && e.window.className == appId)
                return true;
        return false;
    }
};

class GnomeShell : public testing::Test {
protected:
    void SetUp() override {
        if (qEnvironmentVariableIsEmpty("DEXARO_GNOME_HOME"))
            GTEST_SKIP() << "needs the GNOME Shell session of scripts/gnome-session.sh";
    }
    RecordingAlerts alerts;
};

TEST_F(GnomeShell, TheExtensionRunsInTheVersionDexaroShips) {
    const gnomeshell::Status status = gnomeshell::status();
    EXPECT_EQ(int(status.state), int(gnomeshell::State::running)) << qPrintable(status.error);
    EXPECT_EQ(status.runningVersion, gnomeshell::shippedVersion());
    EXPECT_GT(gnomeshell::shippedVersion(), 0);
}

TEST_F(GnomeShell, ANewWindowIsPlacedAndClosedAndOneThatWasThereIsLeftAlone) {
    Foot before(QStringLiteral("before-") + QUuid::createUuid().toString(QUuid::Id128));
    {
        // Seen once on screen, by a layer of its own.
        const auto first = makeGnomeShellWindows(alerts);
        ASSERT_TRUE(first && first->isAvailable(false));
        ASSERT_TRUE(waitUntil([&] { return windowOf(*first, before.appId).has_value(); }));
    }
    const auto windows = makeGnomeShellWindows(alerts);
    ASSERT_TRUE(windows && windows->isAvailable(false));
    // Known before the constructor returned, with the client's own pid.
    const auto old = windowOf(*windows, before.appId);
    ASSERT_TRUE(old.has_value());
    EXPECT_EQ(old->pid, before.pid());
    EXPECT_EQ(old->kind, WindowKind::normal);
    EXPECT_TRUE(windows->isOfProcessTree(old->pid, before.pid()));
    const QRect oldFrame = windows->frame(old->id).value_or(QRect());
    ASSERT_TRUE(oldFrame.isValid());
    const quint64 mark = windows->appearanceMark();
    EXPECT_GE(mark, old->appearance);

    Heard heard;
    const auto subscription = windows->subscribe(heard.listener());
    Foot launched(QStringLiteral("new-") + QUuid::createUuid().toString(QUuid::Id128));
    RunningApplication app;
    app.pid = launched.pid();
    // Through Dexaro's placer, as a workspace switched on places its
    // application's window.
    const QRect area(0, 0, 1440, 900);
    FrameCalculator frames{[&] {
        return std::optional<ScreenMetrics>(ScreenMetrics{1440, 900, 0, {}});
    }};
    WindowPlacers placers(*windows, frames,
                          {20, std::chrono::milliseconds(20000), std::chrono::milliseconds(300)});
    auto result = std::async(
        std::launch::async, [&] { return placers.placeAppWindow(app, PositionName::bottomRight); });
    ASSERT_TRUE(waitUntil(
        [&] { return result.wait_for(std::chrono::seconds(0)) == std::future_status::ready; },
        30000));
    const PlacementResult placed = result.get();
    ASSERT_TRUE(placed.placed);
    const auto window = windows->window(placed.window);
    ASSERT_TRUE(window.has_value());
    EXPECT_EQ(window->className, launched.appId);
    EXPECT_EQ(window->pid, launched.pid());
    EXPECT_GT(window->appearance, mark);
    EXPECT_TRUE(window->applicationId.isEmpty() && window->instanceName == launched.appId);
    EXPECT_TRUE(heard.has(WindowEvent::Type::appeared, launched.appId));
    EXPECT_FALSE(heard.has(WindowEvent::Type::appeared, before.appId));
    const QRect target = placedFrame(PositionName::bottomRight, area);
    EXPECT_TRUE(framedAt(windows->frame(placed.window).value_or(QRect()), target))
        << testing::PrintToString(windows->frame(placed.window)) << " "
        << testing::PrintToString(target);
    // The time from the window's appearance to its frame, for the record.
    {
        std::lock_guard lock(heard.mutex);
        for (qsizetype i = 0; i < heard.events.size(); ++i) {
            const WindowEvent& e = heard.events[i];
            if (e.type == WindowEvent::Type::moved && e.window.id == placed.window &&
                framedAt(e.frame, target)) {
                std::printf("map to placed: %lld ms\n",
                            static_cast<long long>(heard.atMs[i] -
                                                   heard.appearedAtMs.value(placed.window)));
                break;
            }
        }
    }
    EXPECT_EQ(windows->frame(old->id), oldFrame);

    // Iconified and switched off: the client is asked to close and goes.
    EXPECT_TRUE(windows->iconify(old->id));
    EXPECT_TRUE(waitUntil([&] { return windows->window(old->id).value_or(WindowInfo{}).iconic; }));
    EXPECT_TRUE(windows->close(placed.window));
    EXPECT_TRUE(waitUntil([&] { return heard.has(WindowEvent::Type::gone, launched.appId); }));
    EXPECT_FALSE(windows->window(placed.window).has_value());
    // Dexaro's own child reaper may collect it before QProcess does.
    EXPECT_TRUE(waitUntil([&] { return !procfs::isAlive(launched.pid()); }));
    // A window that is gone takes no requests.
    EXPECT_FALSE(windows->setFrame(placed.window, target).has_value());
    EXPECT_FALSE(windows->close(placed.window));
}

bool callExtensions(const QString& method) {
    QDBusMessage call = QDBusMessage::createMethodCall(
        QStringLiteral("org.gnome.Shell"), QStringLiteral("/org/gnome/Shell"),
        QStringLiteral("org.gnome.Shell.Extensions"), method);
    call << gnomeshell::extensionUuid;
    return QDBusConnection::sessionBus().call(call, QDBus::Block, 5000).type() ==
           QDBusMessage::ReplyMessage;
}

TEST_F(GnomeShell, ASwitchedOffExtensionGivesAReasonAndTheLayerTakesItUpOnceItRunsAgain) {
    // The shell takes a request through its settings, a moment later, and may
    // miss one that comes right after another: asked until it is done.
    const auto put = [](const char* method, gnomeshell::State state) {
        return [=] {
            callExtensions(QString::fromLatin1(method));
            return waitUntil([&] { return gnomeshell::status().state == state; }, 1000);
        };
    };
    const auto enabled = put("EnableExtension", gnomeshell::State::running);
    const auto restore = qScopeGuard([&] { waitUntil(enabled); });
    ASSERT_TRUE(waitUntil(put("DisableExtension", gnomeshell::State::disabled)));
    EXPECT_TRUE(gnomeshell::explain(gnomeshell::status()).contains(QLatin1String("switched off")));

    const auto windows = makeGnomeShellWindows(alerts);
    ASSERT_TRUE(windows);
    EXPECT_FALSE(windows->isAvailable(true));
    EXPECT_TRUE(windows->placementLimit().contains(QLatin1String("switched off")))
        << qPrintable(windows->placementLimit());
    EXPECT_TRUE(windows->windows().isEmpty());
    EXPECT_FALSE(windows->setFrame(1, QRect(0, 0, 100, 100)).has_value());
    EXPECT_FALSE(windows->close(1));

    ASSERT_TRUE(waitUntil(enabled));
    EXPECT_TRUE(waitUntil([&] { return windows->isAvailable(false); }));
    EXPECT_TRUE(windows->placementLimit().isEmpty());
}

QStringList strvOf(const char* key) {
    GSettings* settings = g_settings_new("org.gnome.shell");
    gchar** values = g_settings_get_strv(settings, key);
    QStringList list;
    for (gchar** v = values; *v; ++v)
        list << QString::fromUtf8(*v);
    g_strfreev(values);
    g_object_unref(settings);
    return list;
}

void setStrv(const char* key, const QStringList& values) {
    GSettings* settings = g_settings_new("org.gnome.shell");
    QList<QByteArray> bytes;
    std::vector<const gchar*> pointers;
    for (const QString& v : values)
        bytes << v.toUtf8();
    for (const QByteArray& b : bytes)
        pointers.push_back(b.constData());
    pointers.push_back(nullptr);
    g_settings_set_strv(settings, key, pointers.data());
    g_object_unref(settings);
}

TEST_F(GnomeShell, TheOfferInstallsTheExtensionAndSwitchesItOnForTheNextLogin) {
    // The user's data folder of this test alone, and GNOME's settings in the
    // test's memory (scripts/gnome-session.sh), where the extension was
    // switched off before.
    ASSERT_EQ(qgetenv("GSETTINGS_BACKEND"), "memory");
    setStrv("enabled-extensions", {});
    setStrv("disabled-extensions",
            {gnomeshell::extensionUuid, QStringLiteral("other@example.org")});
    QTemporaryDir data;
    const QByteArray saved = qgetenv("XDG_DATA_HOME");
    qputenv("XDG_DATA_HOME", QFile::encodeName(data.path()));
    const auto restore = qScopeGuard([&] { qputenv("XDG_DATA_HOME", saved); });
    offerGnomeShellExtension(alerts);
    ASSERT_EQ(alerts.shown.size(), 1);
    EXPECT_TRUE(alerts.shown[0].success) << qPrintable(alerts.shown[0].informative);
    EXPECT_TRUE(alerts.shown[0].informative.contains(QLatin1String("log out and in")));
    const QString folder =
        data.path() + QStringLiteral("/gnome-shell/extensions/") + gnomeshell::extensionUuid;
    EXPECT_TRUE(QFileInfo(folder + QStringLiteral("/extension.js")).isFile());
    EXPECT_EQ(strvOf("enabled-extensions"), QStringList{gnomeshell::extensionUuid});
    EXPECT_EQ(strvOf("disabled-extensions"), QStringList{QStringLiteral("other@example.org")});
}

} // namespace
} // namespace dexaro::test
