// Dexaro started for real in the test session (Xvfb, openbox, tint2 with its
// tray, a D-Bus session bus): its tray icon, the popover's opening and closing
// by real clicks, the quit path on SIGTERM and the store's durability.
#include "DexaroProcess.h"
#include "platform/ObjectStore.h"
#include "platform/linux/DBusSessionBus.h"
#include "support/ChildHelper.h"
#include "support/QtPrinters.h"
#include "support/Wait.h"
#include "support/X11Probe.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QThread>
#include <csignal>
#include <gtest/gtest.h>
#include <xcb/xcb.h>

using namespace dexaro;
using namespace dexaro::test;

namespace {

const char saveLoopVariable[] = "DEXARO_TEST_SAVE_LOOP_STORE";

QString sqlite(const QString& store, const QString& sql) {
    return runTool(QStringLiteral("sqlite3"), {store, sql});
}

} // namespace

TEST_F(DexaroSession, IconSitsInTheTrayAndClicksToggleThePopover) {
    startDexaro();
    ASSERT_TRUE(waitUntil([&] { return trayIcon() != XCB_NONE; }, 20000))
        << "no icon of Dexaro's in tint2's tray";
    ASSERT_TRUE(waitUntil([&] { return visiblePopover() != XCB_NONE; }))
        << "the popover is not open after start";

    const xcb_window_t icon = trayIcon();
    const auto iconRect = probe.clientRect(icon);
    ASSERT_TRUE(iconRect);
    const auto popoverRect = probe.clientRect(visiblePopover());
    ASSERT_TRUE(popoverRect);
    EXPECT_TRUE(probe.workArea().contains(*popoverRect)) << "inside the work area";
    EXPECT_LE(popoverRect->left(), iconRect->center().x()) << "under the icon";
    EXPECT_GE(popoverRect->right(), iconRect->center().x()) << "under the icon";
    EXPECT_LE(popoverRect->top() - probe.workArea().top(), 8) << "just below the top panel";

    xdotoolClick(iconRect->center());
    EXPECT_TRUE(waitUntil([&] { return visiblePopover() == XCB_NONE; }))
        << "a click on the icon closes the popover";
    xdotoolClick(iconRect->center());
    EXPECT_TRUE(waitUntil([&] { return visiblePopover() != XCB_NONE; }))
        << "another click opens it again";
}

TEST_F(DexaroSession, AClickInAnotherApplicationClosesThePopover) {
    QProcess xterm;
    xterm.start(QStringLiteral("xterm"),
                {QStringLiteral("-geometry"), QStringLiteral("60x15+300+500")});
    ASSERT_TRUE(xterm.waitForStarted(10000));
    auto xtermWindow = [&]() -> xcb_window_t {
        for (xcb_window_t window : probe.clientWindows())
            if (probe.pid(window) == uint32_t(xterm.processId()) && probe.isViewable(window))
                return window;
        return XCB_NONE;
    };
    ASSERT_TRUE(waitUntil([&] { return xtermWindow() != XCB_NONE; }));
    const auto xtermRect = probe.clientRect(xtermWindow());
    ASSERT_TRUE(xtermRect);

    startDexaro();
    ASSERT_TRUE(waitUntil([&] { return visiblePopover() != XCB_NONE; }, 20000));
    xdotoolClick(xtermRect->center());
    EXPECT_TRUE(waitUntil([&] { return visiblePopover() == XCB_NONE; }))
        << "the popover stayed open after a click in xterm";

    // Opened again from the icon, it closes again on the next click elsewhere.
    ASSERT_TRUE(waitUntil([&] { return trayIcon() != XCB_NONE; }));
    const auto iconRect = probe.clientRect(trayIcon());
    ASSERT_TRUE(iconRect);
    xdotoolClick(iconRect->center());
    ASSERT_TRUE(waitUntil([&] { return visiblePopover() != XCB_NONE; }));
    xdotoolClick(xtermRect->center());
    EXPECT_TRUE(waitUntil([&] { return visiblePopover() == XCB_NONE; }))
        << "a reopened popover stayed open after a click in xterm";

    xterm.kill();
    xterm.waitForFinished(5000);
}

TEST_F(DexaroSession, TheIconsMenuQuitsDexaro) {
    startDexaro();
    ASSERT_TRUE(waitUntil([&] { return trayIcon() != XCB_NONE; }, 20000));
    ASSERT_TRUE(waitUntil([&] { return visiblePopover() != XCB_NONE; }));
    const auto iconRect = probe.clientRect(trayIcon());
    ASSERT_TRUE(iconRect);
    // A mapped window of Dexaro's that is neither the popover nor the icon.
    auto menuShown = [&] {
        for (xcb_window_t window : probe.children(probe.root()))
            if (probe.pid(window) == uint32_t(dexaro.processId()) && probe.isViewable(window) &&
                window != visiblePopover())
                return true;
        return false;
    };
    runTool(QStringLiteral("xdotool"),
            {QStringLiteral("mousemove"), QString::number(iconRect->center().x()),
             QString::number(iconRect->center().y()), QStringLiteral("click"),
             QStringLiteral("3")});
    ASSERT_TRUE(waitUntil(menuShown)) << "no menu on a right click";
    // The last command of the menu is "Quit Dexaro".
    runTool(QStringLiteral("xdotool"),
            {QStringLiteral("key"), QStringLiteral("Up"), QStringLiteral("Return")});
    ASSERT_TRUE(dexaro.waitForFinished(15000)) << "Dexaro did not quit";
    EXPECT_EQ(dexaro.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(dexaro.exitCode(), 0);
}

TEST_F(DexaroSession, SwitchingToAnotherDesktopClosesThePopover) {
    startDexaro();
    ASSERT_TRUE(waitUntil([&] { return visiblePopover() != XCB_NONE; }, 20000));
    runTool(QStringLiteral("xdotool"), {QStringLiteral("set_desktop"), QStringLiteral("1")});
    EXPECT_TRUE(waitUntil([&] { return visiblePopover() == XCB_NONE; }));
    runTool(QStringLiteral("xdotool"), {QStringLiteral("set_desktop"), QStringLiteral("0")});
    EXPECT_TRUE(waitUntil([&] {
        return probe.cardinals(probe.root(), "_NET_CURRENT_DESKTOP") == std::vector<uint32_t>{0};
    }));
}

TEST_F(DexaroSession, SigtermQuitsWithStatusZeroAndAnIntactStore) {
    startDexaro();
    ASSERT_TRUE(waitUntil([&] { return visiblePopover() != XCB_NONE; }, 20000));
    ::kill(pid_t(dexaro.processId()), SIGTERM);
    ASSERT_TRUE(dexaro.waitForFinished(15000));
    EXPECT_EQ(dexaro.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(dexaro.exitCode(), 0);

    EXPECT_EQ(sqlite(storePath, QStringLiteral("PRAGMA integrity_check;")), QStringLiteral("ok"));
    EXPECT_EQ(sqlite(storePath,
                     QStringLiteral("SELECT value FROM Settings WHERE name = 'runWSAtLogin';")),
              QStringLiteral("1"));
    // The first start registered the launcher as login item.
    const QString entry =
        home.filePath(QStringLiteral("config/autostart/org.dexaro.Dexarolauncher.desktop"));
    QFile file(entry);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly)) << entry.toStdString();
    EXPECT_TRUE(file.readAll().contains(
        QByteArray("\nExec=" DEXARO_BINARY_DIR "/libexec/dexaro/dexaro-launcher\n")));
}

TEST_F(DexaroSession, TellsARunningLauncherToQuitAndStaysTheOnlyDexaro) {
    // This test stands in for a running launcher: it listens first, then takes its name.
    DBusSessionBus bus;
    ASSERT_TRUE(bus.subscribe(QStringLiteral("killLauncher")));
    QSignalSpy spy(&bus, &SessionBus::notificationReceived);
    QString error;
    ASSERT_TRUE(bus.registerName(QStringLiteral("org.dexaro.Dexarolauncher"), &error))
        << error.toStdString();

    startDexaro();
    ASSERT_TRUE(waitUntil([&] { return spy.count() >= 1; }, 20000)) << "no killLauncher";
    EXPECT_EQ(spy.at(0).at(0).toString(), QStringLiteral("killLauncher"));
    EXPECT_EQ(spy.at(0).at(1).toString(), QStringLiteral("org.dexaro.Dexaro"));
    EXPECT_TRUE(bus.isNameOwned(QStringLiteral("org.dexaro.Dexaro")));

    // A second Dexaro in the same session leaves at once, the first stays and
    // opens its popover.
    ASSERT_TRUE(waitUntil([&] { return visiblePopover() != XCB_NONE; }, 20000));
    runTool(QStringLiteral("xdotool"), {QStringLiteral("key"), QStringLiteral("Escape")});
    ASSERT_TRUE(waitUntil([&] { return visiblePopover() == XCB_NONE; }))
        << "Escape did not close the popover";
    QProcess second;
    second.setProcessEnvironment(environment());
    second.start(dexaroProgram, {});
    ASSERT_TRUE(second.waitForFinished(20000));
    EXPECT_EQ(second.exitCode(), 0);
    EXPECT_EQ(dexaro.state(), QProcess::Running);
    EXPECT_TRUE(waitUntil([&] { return visiblePopover() != XCB_NONE; }))
        << "the running Dexaro did not open its popover";
    QCoreApplication::processEvents();
    EXPECT_EQ(spy.count(), 1) << "killLauncher is posted once per start of the first Dexaro";
}

TEST_F(DexaroSession, WithoutASessionBusASecondDexaroStillLeaves) {
    QProcessEnvironment noBus = environment();
    noBus.insert(QStringLiteral("DBUS_SESSION_BUS_ADDRESS"),
                 QStringLiteral("unix:path=/nonexistent/dexaro-test-bus"));
    dexaro.setProcessEnvironment(noBus);
    dexaro.start(dexaroProgram, {});
    ASSERT_TRUE(dexaro.waitForStarted(10000));
    ASSERT_TRUE(waitUntil([&] { return visiblePopover() != XCB_NONE; }, 20000));

    QProcess second;
    second.setProcessEnvironment(noBus);
    second.start(dexaroProgram, {});
    ASSERT_TRUE(second.waitForFinished(20000));
    EXPECT_EQ(second.exitCode(), 0);
    EXPECT_TRUE(second.readAllStandardError().contains("already running"));
    EXPECT_EQ(dexaro.state(), QProcess::Running);
}

TEST_F(DexaroSession, AnUnreadableStoreStopsStartUpWithoutTouchingIt) {
    QDir().mkpath(QFileInfo(storePath).absolutePath());
    QByteArray garbage(4096, '\x5a');
    {
        QFile file(storePath);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(garbage);
    }
    QProcess run;
    run.setProcessEnvironment(environment());
    run.start(dexaroProgram, {});
    ASSERT_TRUE(run.waitForStarted(10000));
    // The reason comes in an alert too; the user closes it with Return.
    xcb_window_t alert = XCB_NONE;
    ASSERT_TRUE(waitUntil([&] {
        for (xcb_window_t window : probe.clientWindows())
            if (probe.pid(window) == uint32_t(run.processId()) && probe.isViewable(window))
                alert = window;
        return alert != XCB_NONE;
    }));
    EXPECT_EQ(probe.name(alert), QStringLiteral("Dexaro"));
    runTool(QStringLiteral("xdotool"),
            {QStringLiteral("windowactivate"), QStringLiteral("--sync"), QString::number(alert),
             QStringLiteral("key"), QStringLiteral("Return")});
    ASSERT_TRUE(run.waitForFinished(20000));
    EXPECT_EQ(run.exitCode(), 1);
    const QByteArray errors = run.readAllStandardError();
    EXPECT_TRUE(errors.startsWith("Unresolved error ") || errors.contains("\nUnresolved error "))
        << errors.toStdString();
    QFile file(storePath);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_EQ(file.readAll(), garbage);
    EXPECT_FALSE(QFile::exists(storePath + QStringLiteral("-wal")));
}

// Saves a counter in a loop and prints each value once its save returned; the
// next test runs it in a child process.
DEXARO_CHILD_HELPER(SaveLoop) {
    QString error;
    auto store = ObjectStore::open(
        qEnvironmentVariable(saveLoopVariable),
        {{QStringLiteral("Settings"), {QStringLiteral("name"), QStringLiteral("value")}}}, &error);
    if (!store) {
        std::fprintf(stderr, "%s\n", qPrintable(error));
        return 1;
    }
    const ObjectStore::ObjectId record = store->insert(QStringLiteral("Settings"));
    store->setValue(record, QStringLiteral("name"), QStringLiteral("counter"));
    for (qint64 n = 1;; ++n) {
        store->setValue(record, QStringLiteral("value"), QString::number(n));
        if (!store->save(&error)) {
            std::fprintf(stderr, "%s\n", qPrintable(error));
            return 1;
        }
        std::printf("%lld\n", static_cast<long long>(n));
        std::fflush(stdout);
    }
}

TEST_F(DexaroSession, KillDuringABurstOfSavesLeavesTheLastCommittedState) {
    QProcess helper;
    QProcessEnvironment env = environment();
    env.insert(QString::fromLatin1(saveLoopVariable), storePath);
    helper.setProcessEnvironment(env);
    helper.start(QCoreApplication::applicationFilePath(), {test::childHelperArgument("SaveLoop")});
    ASSERT_TRUE(helper.waitForStarted(10000));
    QByteArray output;
    auto printed = [&] {
        const QList<QByteArray> lines = output.trimmed().split('\n');
        return lines.isEmpty() ? 0LL : lines.last().trimmed().toLongLong();
    };
    ASSERT_TRUE(waitUntil(
        [&] {
            output += helper.readAllStandardOutput();
            return printed() >= 200;
        },
        30000))
        << "the helper saved too slowly: " << output.right(200).toStdString();
    ::kill(pid_t(helper.processId()), SIGKILL);
    ASSERT_TRUE(helper.waitForFinished(10000));
    output += helper.readAllStandardOutput();
    // Only whole lines count as reported.
    if (!output.endsWith('\n'))
        output.truncate(output.lastIndexOf('\n') + 1);
    const qint64 lastReported = printed();

    EXPECT_EQ(sqlite(storePath, QStringLiteral("PRAGMA integrity_check;")), QStringLiteral("ok"));
    const qint64 stored =
        sqlite(storePath, QStringLiteral("SELECT value FROM Settings WHERE name = 'counter';"))
            .toLongLong();
    // Saved and reported, or saved just before the kill and not reported yet.
    EXPECT_TRUE(stored == lastReported || stored == lastReported + 1)
        << "stored " << stored << ", last reported " << lastReported;
}
