// Hot-key registration and its binding to stored shortcuts, over a recording
// hot-key service and user defaults in a temporary folder. Real grabs, lock
// masks and presses are x11_shortcuts'.
#include "platform/KeyCodes.h"
#include "platform/UserDefaults.h"
#include "shortcuts/MASShortcutBinder.h"
#include "shortcuts/MASShortcutMonitor.h"
#include "support/FakeHotKeys.h"
#include "support/RecordingAlerts.h"

#include <QCoreApplication>
#include <QFile>
#include <QSettings>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace dexaro;
using dexaro::test::FakeHotKeys;

namespace {

constexpr quint64 Control = MASShortcut::ControlFlag;
constexpr quint64 Option = MASShortcut::OptionFlag;
// The event-manager form of the modifiers.
constexpr quint32 carbonControl = 0x1000, carbonControlOption = 0x1800;

class Binding : public ::testing::Test {
protected:
    QString path() const { return dir.filePath(QStringLiteral("Dexaro/Dexaro.conf")); }
    void store(const char* key, const MASShortcut& shortcut) {
        ASSERT_TRUE(defaults.setValue(QString::fromLatin1(key), shortcut.encode()));
    }
    // Presses the combination and runs what the press queued.
    void press(quint32 keyCode, quint32 modifiers) {
        hotKeys.press(keyCode, modifiers);
        settle();
    }
    static void settle() {
        QCoreApplication::processEvents();
        QCoreApplication::processEvents();
    }

    QTemporaryDir dir;
    UserDefaults defaults{path()};
    FakeHotKeys hotKeys;
    MASShortcutMonitor monitor{hotKeys};
    MASShortcutBinder binder{monitor, defaults};
    int fired = 0;
};

TEST_F(Binding, MonitorRunsTheActionLaterOnlyForItsOwnHotKeysAndNeverGrabsWithoutAKey) {
    const MASShortcut shortcut(keys::K, Control | Option);
    ASSERT_TRUE(monitor.registerShortcut(shortcut, [&] { ++fired; }));
    ASSERT_TRUE(hotKeys.press(keys::K, carbonControlOption));
    EXPECT_EQ(fired, 0) << "the action must not run inside the press handler";
    emit hotKeys.pressed(0x41424344, hotKeys.registered[0].id); // someone else's signature
    settle();
    EXPECT_EQ(fired, 1);

    monitor.unregisterShortcut(shortcut);
    EXPECT_TRUE(hotKeys.registered.isEmpty());
    // Without a key its event-manager key code is 0, the A key: never grabbed.
    EXPECT_FALSE(monitor.registerShortcut(MASShortcut(MASShortcut::NSNotFound, Control), [] {}));
    EXPECT_FALSE(monitor.registerShortcut(MASShortcut(0x100000028ull, Control), [] {}));
    EXPECT_TRUE(hotKeys.registered.isEmpty());
}

TEST_F(Binding, StoredValueDrivesRegistration) {
    int oldAction = 0;
    store("-42", MASShortcut(keys::K, Control | Option));
    ASSERT_TRUE(binder.bindShortcut(QStringLiteral("-42"), [&] { ++oldAction; }));
    // Bound again (the popover rebuilt its row): one hot key, the new action.
    ASSERT_TRUE(binder.bindShortcut(QStringLiteral("-42"), [&] { ++fired; }));
    store("-42", MASShortcut(keys::J, Control));
    EXPECT_EQ(hotKeys.countFor(keys::K, carbonControlOption), 0);
    EXPECT_EQ(hotKeys.countFor(keys::J, carbonControl), 1);
    press(keys::J, carbonControl);
    EXPECT_EQ(std::pair(fired, oldAction), std::pair(1, 0));

    ASSERT_TRUE(defaults.removeValue(QStringLiteral("-42")));
    EXPECT_TRUE(hotKeys.registered.isEmpty());
    store("-42", MASShortcut(keys::K, Control));
    binder.breakBinding(QStringLiteral("-42"));
    store("-42", MASShortcut(keys::L, Control));
    EXPECT_TRUE(hotKeys.registered.isEmpty());
}

TEST_F(Binding, TwoKeysWithEqualShortcuts) {
    int first = 0;
    store("1", MASShortcut(keys::K, Control));
    store("2", MASShortcut(keys::K, Control));
    binder.bindShortcut(QStringLiteral("1"), [&] { ++first; });
    binder.bindShortcut(QStringLiteral("2"), [&] { ++fired; });
    EXPECT_EQ(hotKeys.registered.size(), 1); // the later one replaced the earlier
    // Moving the first key elsewhere leaves the second one's hot key working.
    store("1", MASShortcut(keys::L, Control));
    press(keys::K, carbonControl);
    press(keys::L, carbonControl);
    EXPECT_EQ(std::pair(fired, first), std::pair(1, 1));
}

TEST_F(Binding, RefusedRegistrationIsReportedOnceAndKept) {
    for (const bool available : {true, false}) {
        SCOPED_TRACE(available ? "taken by another application, bound twice"
                               : "session without hot keys, two shortcuts");
        FakeHotKeys refusing;
        refusing.available = available;
        refusing.takenByOthers.insert({keys::K, carbonControlOption});
        MASShortcutMonitor refusingMonitor(refusing);
        MASShortcutBinder refused(refusingMonitor, defaults);
        test::RecordingAlerts alerts;
        refused.setAlerts(&alerts);
        store("9", MASShortcut(keys::K, Control | Option));
        store("10", MASShortcut(keys::L, Control));
        refused.bindShortcut(QStringLiteral("9"), [] {});
        refused.bindShortcut(available ? QStringLiteral("9") : QStringLiteral("10"), [] {});
        EXPECT_TRUE(refusing.registered.isEmpty());
        ASSERT_EQ(alerts.shown.size(), 1);
        EXPECT_EQ(alerts.shown[0].message,
                  QStringLiteral("The key combination ⌃⌥K cannot be used"));
        EXPECT_TRUE(defaults.value(QStringLiteral("9")).has_value()) << "the stored value stays";
    }
}

TEST_F(Binding, KeysAndStoredValuesThatCannotBeUsedBindNothing) {
    for (const char* key : {"a.b", "a b", "", "a/b"}) {
        EXPECT_FALSE(binder.bindShortcut(QString::fromUtf8(key), [] {})) << key;
        EXPECT_FALSE(binder.isRegisteredAction(QString::fromUtf8(key))) << key;
    }
    {
        QSettings ini(path(), QSettings::IniFormat);
        ini.setValue(QStringLiteral("5/KeyCode"), QStringLiteral("K"));
        ini.setValue(QStringLiteral("5/ModifierFlags"), 262144);
        ini.setValue(QStringLiteral("6/ModifierFlags"), 262144);
    }
    UserDefaults damaged(path());
    MASShortcutBinder other(monitor, damaged);
    EXPECT_TRUE(other.bindShortcut(QStringLiteral("5"), [] {}));
    EXPECT_TRUE(other.bindShortcut(QStringLiteral("6"), [] {}));
    EXPECT_TRUE(hotKeys.registered.isEmpty());
    EXPECT_FALSE(other.shortcut(QStringLiteral("5")));
}

// The stored form on disk, one group per key as other versions read it, and a
// file that cannot be written.
TEST(UserDefaultsFile, ShortcutIsAnIniGroupAndAFailedWriteIsReported) {
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("Dexaro/Dexaro.conf"));
    ASSERT_TRUE(UserDefaults(path).setValue(
        QStringLiteral("-1234"), MASShortcut(MASShortcut::NSNotFound, Control).encode()));
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_EQ(file.readAll(), QByteArray("[-1234]\nKeyCode=-1\nModifierFlags=262144\n"));

    QFile blocker(dir.filePath(QStringLiteral("Blocked"))); // a plain file where the folder goes
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
    UserDefaults blocked(dir.filePath(QStringLiteral("Blocked/Dexaro.conf")));
    bool notified = false;
    QObject::connect(&blocked, &UserDefaults::changed, [&] { notified = true; });
    QString error;
    EXPECT_FALSE(
        blocked.setValue(QStringLiteral("1"), MASShortcut(keys::K, Control).encode(), &error));
    EXPECT_FALSE(error.isEmpty());
    EXPECT_FALSE(notified);
}

} // namespace
