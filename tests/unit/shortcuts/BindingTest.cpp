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
    QCoreApplication::processEvents();
    EXPECT_EQ(fired, 1);

    monitor.unregisterShortcut(shortcut);
    // Without a key its event-manager key code is 0, the A key: never grabbed.
    EXPECT_FALSE(monitor.registerShortcut(MASShortcut(MASShortcut::NSNotFound, Control), [] {}));
    EXPECT_FALSE(monitor.registerShortcut(MASShortcut(0x100000028ull, Control), [] {}));
    EXPECT_TRUE(hotKeys.registered.isEmpty());
}

TEST_F(Binding, TheStoredValueDrivesRegistrationAndEqualShortcutsDoNotUnbindEachOther) {
    int oldAction = 0, other = 0;
    store("-42", MASShortcut(keys::K, Control | Option));
    ASSERT_TRUE(binder.bindShortcut(QStringLiteral("-42"), [&] { ++oldAction; }));
    // Bound again (the popover rebuilt its row): one hot key, the new action.
    ASSERT_TRUE(binder.bindShortcut(QStringLiteral("-42"), [&] { ++fired; }));
    store("-42", MASShortcut(keys::J, Control));
    EXPECT_EQ(hotKeys.countFor(keys::K, carbonControlOption), 0);
    EXPECT_EQ(hotKeys.countFor(keys::J, carbonControl), 1);
    press(keys::J, carbonControl);
    EXPECT_EQ(std::pair(fired, oldAction), std::pair(1, 0));

    // A second key takes the same shortcut over; moving the first key away
    // leaves the second one's hot key working.
    store("7", MASShortcut(keys::J, Control));
    binder.bindShortcut(QStringLiteral("7"), [&] { ++other; });
    store("-42", MASShortcut(keys::L, Control));
    press(keys::J, carbonControl);
    EXPECT_EQ(std::pair(fired, other), std::pair(1, 1));

    ASSERT_TRUE(defaults.removeValue(QStringLiteral("-42")));
    binder.breakBinding(QStringLiteral("7"));
    store("7", MASShortcut(keys::K, Control));
    EXPECT_TRUE(hotKeys.registered.isEmpty());
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
                  QStringLiteral("The key combination Ctrl+Alt+K cannot be used"));
        EXPECT_TRUE(defaults.value(QStringLiteral("9"))) << "the stored value stays";
    }
}

// Damaged stored values are MASShortcutTest's (StoredFormReadsBackAndRefusesDamage).
TEST_F(Binding, KeysThatCannotNameAStoredValueBindNothing) {
    for (const char* key : {"a.b", "a b", "", "a/b"}) {
        EXPECT_FALSE(binder.bindShortcut(QString::fromUtf8(key), [] {})) << key;
        EXPECT_FALSE(binder.isRegisteredAction(QString::fromUtf8(key))) << key;
    }
}

// The stored form on disk, one group per key as other versions read it, and a
// file that cannot be written: the value it refused is not read back either.
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
    EXPECT_FALSE(error.isEmpty() || notified);
    EXPECT_FALSE(blocked.value(QStringLiteral("1")).has_value());
}

} // namespace
