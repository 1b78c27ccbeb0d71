// Hot-key registration and its binding to stored shortcuts, over a recording
// hot-key service and user defaults in a temporary folder.
#include "platform/UserDefaults.h"
#include "shortcuts/MASHotKey.h"
#include "shortcuts/MASShortcutBinder.h"
#include "shortcuts/MASShortcutMonitor.h"
#include "support/FakeHotKeys.h"
#include "support/RecordingAlerts.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QSettings>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace dexaro;
using dexaro::test::FakeHotKeys;

namespace {

constexpr quint64 Control = MASShortcut::ControlFlag;
constexpr quint64 Option = MASShortcut::OptionFlag;
constexpr quint32 CarbonControlOption = 0x1800;

void drainEvents() {
    QCoreApplication::processEvents();
    QCoreApplication::processEvents();
}

class Binding : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(dir.isValid()); }
    QString path() const { return dir.filePath(QStringLiteral("Dexaro/Dexaro.conf")); }
    void store(const QString& key, const MASShortcut& shortcut) {
        ASSERT_TRUE(defaults.setValue(key, shortcut.encode()));
    }

    QTemporaryDir dir;
    UserDefaults defaults{dir.filePath(QStringLiteral("Dexaro/Dexaro.conf"))};
    FakeHotKeys hotKeys;
    MASShortcutMonitor monitor{hotKeys};
    MASShortcutBinder binder{monitor, defaults};
};

TEST_F(Binding, MonitorRunsTheActionLaterOnPress) {
    int fired = 0;
    ASSERT_TRUE(monitor.registerShortcut(MASShortcut(40, Control | Option), [&] { ++fired; }));
    ASSERT_EQ(hotKeys.registered.size(), 1);
    EXPECT_EQ(hotKeys.registered[0].signature, MASHotKey::signature);
    EXPECT_EQ(hotKeys.registered[0].keyCode, 40u);
    EXPECT_EQ(hotKeys.registered[0].modifiers, CarbonControlOption);

    ASSERT_TRUE(hotKeys.press(40, CarbonControlOption));
    EXPECT_EQ(fired, 0) << "the action must not run inside the press handler";
    drainEvents();
    EXPECT_EQ(fired, 1);

    // Another signature is someone else's hot key.
    emit hotKeys.pressed(0x41424344, hotKeys.registered[0].id);
    drainEvents();
    EXPECT_EQ(fired, 1);

    monitor.unregisterShortcut(MASShortcut(40, Control | Option));
    EXPECT_TRUE(hotKeys.registered.isEmpty());
    EXPECT_FALSE(hotKeys.press(40, CarbonControlOption));
}

TEST_F(Binding, MonitorKeepsOneHotKeyPerShortcut) {
    int first = 0, second = 0;
    ASSERT_TRUE(monitor.registerShortcut(MASShortcut(40, Control), [&] { ++first; }));
    const quint32 firstId = hotKeys.registered[0].id;
    ASSERT_TRUE(monitor.registerShortcut(MASShortcut(40, Control), [&] { ++second; }));
    ASSERT_EQ(hotKeys.registered.size(), 1);
    EXPECT_GT(hotKeys.registered[0].id, firstId);
    hotKeys.press(40, 0x1000);
    drainEvents();
    EXPECT_EQ(first, 0);
    EXPECT_EQ(second, 1);
    monitor.unregisterAllShortcuts();
    EXPECT_TRUE(hotKeys.registered.isEmpty());
}

TEST_F(Binding, ShortcutWithoutKeyIsNeverRegistered) {
    // Its event-manager key code is 0, the A key: registering it would grab A.
    QString error;
    EXPECT_FALSE(monitor.registerShortcut(
        MASShortcut(MASShortcut::NSNotFound, Control), [] {}, &error));
    EXPECT_FALSE(error.isEmpty());
    EXPECT_FALSE(monitor.registerShortcut(MASShortcut(0x100000028ull, Control), [] {}));
    EXPECT_TRUE(hotKeys.registered.isEmpty());
}

TEST_F(Binding, StoredValueDrivesRegistration) {
    int fired = 0;
    store(QStringLiteral("-42"), MASShortcut(40, Control | Option));
    ASSERT_TRUE(binder.bindShortcut(QStringLiteral("-42"), [&] { ++fired; }));
    EXPECT_TRUE(binder.isRegisteredAction(QStringLiteral("-42")));
    EXPECT_EQ(hotKeys.countFor(40, CarbonControlOption), 1);

    store(QStringLiteral("-42"), MASShortcut(38, Control));
    EXPECT_EQ(hotKeys.countFor(40, CarbonControlOption), 0);
    EXPECT_EQ(hotKeys.countFor(38, 0x1000), 1);
    EXPECT_EQ(binder.shortcut(QStringLiteral("-42")), MASShortcut(38, Control));
    hotKeys.press(38, 0x1000);
    drainEvents();
    EXPECT_EQ(fired, 1);

    ASSERT_TRUE(defaults.removeValue(QStringLiteral("-42")));
    EXPECT_TRUE(hotKeys.registered.isEmpty());
    EXPECT_FALSE(binder.shortcut(QStringLiteral("-42")));

    store(QStringLiteral("-42"), MASShortcut(40, Control));
    binder.breakBinding(QStringLiteral("-42"));
    EXPECT_TRUE(hotKeys.registered.isEmpty());
    EXPECT_FALSE(binder.isRegisteredAction(QStringLiteral("-42")));
    store(QStringLiteral("-42"), MASShortcut(41, Control));
    EXPECT_TRUE(hotKeys.registered.isEmpty());
}

TEST_F(Binding, RebindingKeepsOneRegistrationWithTheNewAction) {
    int oldRow = 0, newRow = 0;
    store(QStringLiteral("7"), MASShortcut(40, Control));
    binder.bindShortcut(QStringLiteral("7"), [&] { ++oldRow; });
    binder.bindShortcut(QStringLiteral("7"), [&] { ++newRow; });
    EXPECT_EQ(hotKeys.registered.size(), 1);
    hotKeys.press(40, 0x1000);
    drainEvents();
    EXPECT_EQ(oldRow, 0);
    EXPECT_EQ(newRow, 1);
}

TEST_F(Binding, TwoKeysWithEqualShortcuts) {
    int a = 0, b = 0;
    store(QStringLiteral("1"), MASShortcut(40, Control));
    store(QStringLiteral("2"), MASShortcut(40, Control));
    binder.bindShortcut(QStringLiteral("1"), [&] { ++a; });
    binder.bindShortcut(QStringLiteral("2"), [&] { ++b; });
    EXPECT_EQ(hotKeys.registered.size(), 1); // the later one replaced the earlier
    hotKeys.press(40, 0x1000);
    drainEvents();
    EXPECT_EQ(b, 1);

    // Moving the first key elsewhere leaves the second one's hot key working.
    store(QStringLiteral("1"), MASShortcut(41, Control));
    EXPECT_EQ(hotKeys.countFor(40, 0x1000), 1);
    hotKeys.press(40, 0x1000);
    hotKeys.press(41, 0x1000);
    drainEvents();
    EXPECT_EQ(b, 2);
    EXPECT_EQ(a, 1);
}

TEST_F(Binding, RefusedRegistrationIsReportedOnceAndKept) {
    test::RecordingAlerts alerts;
    binder.setAlerts(&alerts);
    hotKeys.takenByOthers.insert({40, CarbonControlOption});
    store(QStringLiteral("9"), MASShortcut(40, Control | Option));
    binder.bindShortcut(QStringLiteral("9"), [] {});
    binder.bindShortcut(QStringLiteral("9"), [] {}); // the popover rebuilt its row
    EXPECT_TRUE(hotKeys.registered.isEmpty());
    EXPECT_EQ(binder.shortcut(QStringLiteral("9")), MASShortcut(40, Control | Option));
    ASSERT_EQ(alerts.shown.size(), 1);
    EXPECT_EQ(alerts.shown[0].message, QStringLiteral("The key combination ⌃⌥K cannot be used"));
    EXPECT_FALSE(alerts.shown[0].informative.isEmpty());
    // The stored value is untouched.
    EXPECT_TRUE(defaults.value(QStringLiteral("9")).has_value());
}

TEST_F(Binding, SessionWithoutHotKeysIsReportedOnce) {
    test::RecordingAlerts alerts;
    binder.setAlerts(&alerts);
    hotKeys.available = false;
    store(QStringLiteral("1"), MASShortcut(40, Control));
    store(QStringLiteral("2"), MASShortcut(41, Control));
    binder.bindShortcut(QStringLiteral("1"), [] {});
    binder.bindShortcut(QStringLiteral("2"), [] {});
    EXPECT_EQ(alerts.shown.size(), 1);
    EXPECT_EQ(binder.shortcut(QStringLiteral("2")), MASShortcut(41, Control));
}

TEST_F(Binding, KeysThatCannotNameAStoredValueAreRefused) {
    for (const char* key : {"a.b", "a b", "", "a/b"}) {
        SCOPED_TRACE(key);
        EXPECT_FALSE(binder.bindShortcut(QString::fromUtf8(key), [] {}));
        EXPECT_FALSE(binder.isRegisteredAction(QString::fromUtf8(key)));
    }
}

TEST_F(Binding, DamagedStoredValueBindsNothing) {
    {
        QSettings ini(path(), QSettings::IniFormat);
        ini.setValue(QStringLiteral("5/KeyCode"), QStringLiteral("K"));
        ini.setValue(QStringLiteral("5/ModifierFlags"), 262144);
        ini.setValue(QStringLiteral("6/ModifierFlags"), 262144);
    }
    UserDefaults fresh(path());
    MASShortcutBinder other(monitor, fresh);
    EXPECT_TRUE(other.bindShortcut(QStringLiteral("5"), [] {}));
    EXPECT_TRUE(other.bindShortcut(QStringLiteral("6"), [] {}));
    EXPECT_TRUE(hotKeys.registered.isEmpty());
    EXPECT_FALSE(other.shortcut(QStringLiteral("5")));
}

TEST_F(Binding, DefaultShortcutsApplyUntilOneIsStored) {
    binder.registerDefaultShortcuts({{QStringLiteral("3"), MASShortcut(40, Control)}});
    binder.bindShortcut(QStringLiteral("3"), [] {});
    EXPECT_EQ(hotKeys.countFor(40, 0x1000), 1);
    store(QStringLiteral("3"), MASShortcut(41, Control));
    EXPECT_EQ(hotKeys.countFor(40, 0x1000), 0);
    EXPECT_EQ(hotKeys.countFor(41, 0x1000), 1);
}

TEST(UserDefaultsFile, ShortcutIsAnIniGroup) {
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("Dexaro/Dexaro.conf"));
    UserDefaults defaults(path);
    QStringList changed;
    QObject::connect(&defaults, &UserDefaults::changed,
                     [&](const QString& key) { changed << key; });
    ASSERT_TRUE(defaults.setValue(QStringLiteral("-1234"),
                                  MASShortcut(MASShortcut::NSNotFound, Control).encode()));
    ASSERT_TRUE(
        defaults.setValue(QStringLiteral("0000"), MASShortcut(40, Control | Option).encode()));
    EXPECT_EQ(changed, (QStringList{QStringLiteral("-1234"), QStringLiteral("0000")}));

    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QString text = QString::fromUtf8(file.readAll());
    EXPECT_TRUE(text.contains(QStringLiteral("[-1234]\nKeyCode=-1\nModifierFlags=262144")))
        << text.toStdString();
    EXPECT_TRUE(text.contains(QStringLiteral("[0000]\nKeyCode=40\nModifierFlags=786432")))
        << text.toStdString();

    // Another instance over the same file reads the same shortcuts.
    UserDefaults other(path);
    EXPECT_EQ(MASShortcut::decode(*other.value(QStringLiteral("0000"))),
              MASShortcut(40, Control | Option));
    EXPECT_EQ(MASShortcut::decode(*other.value(QStringLiteral("-1234")))->keyCode(),
              MASShortcut::NSNotFound);

    ASSERT_TRUE(defaults.removeValue(QStringLiteral("0000")));
    EXPECT_FALSE(defaults.value(QStringLiteral("0000")));
    EXPECT_FALSE(UserDefaults(path).value(QStringLiteral("0000")));
    EXPECT_FALSE(defaults.setValue(QStringLiteral("a/b"), {}));
}

TEST(UserDefaultsFile, UnwritableFileIsReported) {
    QTemporaryDir dir;
    // Its folder cannot be made: a plain file is in the way.
    QFile blocker(dir.filePath(QStringLiteral("Dexaro")));
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    UserDefaults defaults(dir.filePath(QStringLiteral("Dexaro/Dexaro.conf")));
    bool notified = false;
    QObject::connect(&defaults, &UserDefaults::changed, [&] { notified = true; });
    QString error;
    EXPECT_FALSE(defaults.setValue(QStringLiteral("1"), MASShortcut(40, Control).encode(), &error));
    EXPECT_FALSE(error.isEmpty());
    EXPECT_FALSE(notified);
}

} // namespace
