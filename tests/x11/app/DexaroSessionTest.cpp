// Dexaro started for real in the test session (Xvfb, openbox, tint2 with its
// tray, a D-Bus session bus): its tray icon, the popover's opening and closing
// by real clicks, the quit paths, a second start, a damaged store and the
// store's durability.
#include "DexaroProcess.h"
#include "platform/ObjectStore.h"
#include "support/ChildHelper.h"
#include "support/QtPrinters.h"

#include <QDir>
#include <QFile>
#include <QProcess>
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

TEST_F(DexaroSession, IconSitsInTheTrayClicksToggleThePopoverAndItsMenuQuits) {
    ASSERT_NO_FATAL_FAILURE(startWithPopoverOpen());
    const auto iconRect = probe.clientRect(trayIcon());
    ASSERT_TRUE(iconRect);
    const auto popoverRect = probe.clientRect(visiblePopover());
    ASSERT_TRUE(popoverRect);
    EXPECT_TRUE(probe.workArea().contains(*popoverRect)) << "inside the work area";
    EXPECT_LE(popoverRect->left(), iconRect->center().x()) << "under the icon";
    EXPECT_GE(popoverRect->right(), iconRect->center().x()) << "under the icon";
    EXPECT_LE(popoverRect->top() - probe.workArea().top(), 8) << "just below the top panel";

    XdoTool::click(iconRect->center());
    EXPECT_TRUE(popoverClosed()) << "a click on the icon closes the popover";
    XdoTool::click(iconRect->center());
    EXPECT_TRUE(popoverOpened()) << "another click opens it again";

    // Switching to another desktop closes it.
    XdoTool::run({QStringLiteral("set_desktop"), QStringLiteral("1")});
    EXPECT_TRUE(popoverClosed()) << "still open on another desktop";
    XdoTool::run({QStringLiteral("set_desktop"), QStringLiteral("0")});
    ASSERT_TRUE(waitUntil([&] {
        return probe.cardinals(probe.root(), "_NET_CURRENT_DESKTOP") == std::vector<uint32_t>{0};
    }));

    // A right click opens the icon's menu: a mapped window of Dexaro's that is
    // not the popover. Its last command is "Quit".
    XdoTool::click(iconRect->center(), 3);
    ASSERT_TRUE(waitUntil([&] { return menuShown(); })) << "no menu on a right click";
    XdoTool::key(QStringLiteral("Up Return"));
    ASSERT_TRUE(waitUntil([&] { return dexaro.state() == QProcess::NotRunning; }, 30000))
        << "Dexaro did not quit";
    EXPECT_EQ(dexaro.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(dexaro.exitCode(), 0);
}

TEST_F(DexaroSession, TheTrayMenuOpensTheMainWindowShownAndActive) {
    ASSERT_NO_FATAL_FAILURE(startWithPopoverOpen());
    const auto iconRect = probe.clientRect(trayIcon());
    ASSERT_TRUE(iconRect);
    XdoTool::click(iconRect->center(), 3);
    ASSERT_TRUE(waitUntil([&] { return menuShown(); })) << "no menu on a right click";
    // "Show Workspaces", then "Add \u2022 Edit \u2022 Settings".
    XdoTool::key(QStringLiteral("Down Down Return"));
    // The main window: Dexaro's, wider than the popover and the about window,
    // and the window manager's active window.
    const auto activeMainWindow = [&]() -> xcb_window_t {
        const std::vector<uint32_t> active = probe.cardinals(probe.root(), "_NET_ACTIVE_WINDOW");
        if (active.empty() || active[0] == XCB_NONE)
            return XCB_NONE;
        const auto rect = probe.clientRect(active[0]);
        return probe.pid(active[0]) == uint32_t(dexaro.processId()) &&
                       probe.isViewable(active[0]) && rect && rect->width() > 400
                   ? active[0]
                   : XCB_NONE;
    };
    EXPECT_TRUE(waitUntil([&] { return activeMainWindow() != XCB_NONE; }, 30000))
        << "the main window is not shown and active";
    EXPECT_EQ(visiblePopover(), XCB_NONE);
}

TEST_F(DexaroSession, SigtermQuitsWithStatusZeroAndAnIntactStore) {
    ASSERT_NO_FATAL_FAILURE(startWithPopoverOpen());
    ::kill(pid_t(dexaro.processId()), SIGTERM);
    ASSERT_TRUE(waitUntil([&] { return dexaro.state() == QProcess::NotRunning; }, 30000));
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

TEST_F(DexaroSession, ASecondDexaroLeavesAndTheFirstOpensItsPopover) {
    ASSERT_NO_FATAL_FAILURE(startWithPopoverOpen());
    XdoTool::key(QStringLiteral("Escape"));
    ASSERT_TRUE(popoverClosed()) << "Escape did not close the popover";
    QProcess second;
    second.setProcessEnvironment(environment());
    second.start(dexaroProgram, {});
    ASSERT_TRUE(waitUntil([&] { return second.state() == QProcess::NotRunning; }, 30000));
    EXPECT_EQ(second.exitCode(), 0);
    EXPECT_EQ(dexaro.state(), QProcess::Running);
    EXPECT_TRUE(popoverOpened()) << "the running Dexaro did not open its popover";
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
    ASSERT_TRUE(run.waitForStarted(30000));
    // The reason comes in an alert too; the user closes it with Return.
    ASSERT_TRUE(waitUntil([&] { return clientWindowOf(run.processId()) != XCB_NONE; }, 30000));
    const xcb_window_t alert = clientWindowOf(run.processId());
    EXPECT_EQ(probe.name(alert), QStringLiteral("Dexaro"));
    XdoTool::run({QStringLiteral("windowactivate"), QStringLiteral("--sync"),
                  QString::number(alert), QStringLiteral("key"), QStringLiteral("Return")});
    ASSERT_TRUE(waitUntil([&] { return run.state() == QProcess::NotRunning; }, 30000));
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
    ASSERT_TRUE(helper.waitForStarted(30000));
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
    ASSERT_TRUE(helper.waitForFinished(30000));
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
