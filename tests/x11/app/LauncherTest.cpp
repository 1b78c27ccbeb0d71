// dexaro-launcher in a real session: it starts Dexaro once and goes when told,
// leaves a running Dexaro alone, and says why it cannot start it.
#include "support/ProcessChecks.h"
#include "support/Wait.h"

#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QProcess>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace dexaro::test {
namespace {

const QString mainName = QStringLiteral("org.dexaro.Dexaro");
const QString launcherName = QStringLiteral("org.dexaro.Dexarolauncher");
const QString builtLauncher = QStringLiteral(DEXARO_BINARY_DIR "/libexec/dexaro/dexaro-launcher");
const QString builtDexaro = QStringLiteral(DEXARO_BINARY_DIR "/bin/dexaro");

bool nameOwned(const QString& name) {
    return QDBusConnection::sessionBus().interface()->isServiceRegistered(name);
}

// Under AddressSanitizer a start takes seconds: the deadline is generous, a
// launcher that hangs still fails.
bool finishes(QProcess& process, int status = 0) {
    return waitUntil([&] { return process.state() == QProcess::NotRunning; }, 30000) &&
           process.exitStatus() == QProcess::NormalExit && process.exitCode() == status;
}

class LauncherTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(QDBusConnection::sessionBus().isConnected());
        ASSERT_TRUE(home.isValid());
        env.insert(QStringLiteral("XDG_CONFIG_HOME"), home.filePath(QStringLiteral("config")));
        env.insert(QStringLiteral("XDG_DATA_HOME"), home.filePath(QStringLiteral("data")));
        launcher.setProcessEnvironment(env);
        // The launcher's output goes to a file, not a pipe: the program it
        // starts inherits it, and a write into a pipe whose reader has gone
        // would kill that program with SIGPIPE once the launcher is gone.
        launcher.setProcessChannelMode(QProcess::MergedChannels);
        launcher.setStandardOutputFile(home.filePath(QStringLiteral("launcher.log")));
    }
    void TearDown() override {
        launcher.kill();
        launcher.waitForFinished(30000);
        processes.terminateAll(builtDexaro);
        EXPECT_TRUE(waitUntil([&] { return processes.running(builtDexaro).isEmpty(); }, 30000))
            << "Dexaro did not end";
    }
    QByteArray launcherLog() const {
        QFile log(home.filePath(QStringLiteral("launcher.log")));
        return log.open(QIODevice::ReadOnly) ? log.readAll() : QByteArray();
    }

    QTemporaryDir home;
    ProcessProbe processes;
    QProcessEnvironment env = processes.environment(QProcessEnvironment::systemEnvironment());
    QProcess launcher;
};

TEST_F(LauncherTest, StartsExactlyOneDexaroAndQuitsWhenDexaroTellsItTo) {
    ASSERT_FALSE(nameOwned(mainName)) << "a Dexaro from elsewhere owns the name";
    launcher.start(builtLauncher, {});
    // Dexaro comes up, finds the launcher and tells it to go.
    ASSERT_TRUE(finishes(launcher)) << launcherLog().toStdString();
    EXPECT_EQ(processes.running(builtDexaro).size(), 1);
    EXPECT_TRUE(waitUntil([] { return nameOwned(mainName); }));
    EXPECT_FALSE(nameOwned(launcherName));

    // Started again while Dexaro runs: it goes at once and starts nothing.
    QProcess again;
    again.setProcessEnvironment(env);
    again.start(builtLauncher, {});
    EXPECT_TRUE(finishes(again));
    EXPECT_EQ(processes.running(builtDexaro).size(), 1);
}

TEST_F(LauncherTest, SaysWhyAndFailsWhenItCannotStartDexaro) {
    // A copy of the launcher under a prefix of its own, without bin/dexaro.
    const QString copy = home.filePath(QStringLiteral("prefix/libexec/dexaro/dexaro-launcher"));
    ASSERT_TRUE(QDir().mkpath(QFileInfo(copy).path()) && QFile::copy(builtLauncher, copy));
    const struct {
        const char* name;
        bool bus;
        const char* says;
    } rows[] = {
        {"no session bus", false, "no D-Bus session bus"},
        {"no program at the path", true, "is missing or not executable"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        QProcess run; // starts nothing: its output may stay in pipes
        QProcessEnvironment runEnv = env;
        if (!row.bus)
            runEnv.insert(QStringLiteral("DBUS_SESSION_BUS_ADDRESS"),
                          QStringLiteral("unix:path=") + home.filePath(QStringLiteral("no-bus")));
        run.setProcessEnvironment(runEnv);
        run.start(copy, {});
        EXPECT_TRUE(finishes(run, 1));
        EXPECT_TRUE(run.readAllStandardError().contains(row.says));
        EXPECT_FALSE(nameOwned(launcherName));
    }
}

} // namespace
} // namespace dexaro::test
