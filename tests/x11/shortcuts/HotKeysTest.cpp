// System-wide hot keys in a real X11 session: keys pressed with xdotool,
// grabs checked from another client's connection.
#include "platform/HotKeys.h"
#include "platform/UserDefaults.h"
#include "shortcuts/MASShortcutBinder.h"
#include "shortcuts/MASShortcutMonitor.h"
#include "shortcuts/MASShortcutValidator.h"
#include "support/DesktopPlatform.h"
#include "support/Wait.h"
#include "support/X11Probe.h"
#include "support/XdoTool.h"

#include <QAbstractNativeEventFilter>
#include <QProcess>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <cstdlib>

using namespace dexaro;
using dexaro::test::waitUntil;
using dexaro::test::X11Probe;

namespace {

constexpr quint64 Control = MASShortcut::ControlFlag;
constexpr quint64 Option = MASShortcut::OptionFlag;
constexpr quint64 Shift = MASShortcut::ShiftFlag;
// X11 key codes (evdev + 8) and modifier masks.
constexpr uint8_t x11K = 45, x11J = 44, x11L = 46;
constexpr uint16_t controlAlt = XCB_MOD_MASK_CONTROL | XCB_MOD_MASK_1;
constexpr uint16_t numLock = XCB_MOD_MASK_2;
constexpr uint16_t mod3 = XCB_MOD_MASK_3;

void run(const QString& program, const QStringList& arguments) {
    QProcess process;
    process.start(program, arguments);
    ASSERT_TRUE(process.waitForFinished(10000)) << arguments.join(u' ').toStdString();
    ASSERT_EQ(process.exitCode(), 0) << process.readAllStandardError().toStdString();
}

void xmodmap(const char* first, const char* second) {
    run(QStringLiteral("xmodmap"), {QStringLiteral("-e"), QString::fromLatin1(first),
                                    QStringLiteral("-e"), QString::fromLatin1(second)});
}

// Counts the presses of one key that reach this process's X connection,
// auto-repeats included; sees them before the hot keys take them.
class KeyPressCounter : public QAbstractNativeEventFilter {
public:
    explicit KeyPressCounter(uint8_t key) : m_key(key) { qApp->installNativeEventFilter(this); }
    ~KeyPressCounter() override { qApp->removeNativeEventFilter(this); }
    bool nativeEventFilter(const QByteArray& type, void* message, qintptr*) override {
        const auto* event = static_cast<const xcb_key_press_event_t*>(message);
        if (type == "xcb_generic_event_t" && (event->response_type & 0x7f) == XCB_KEY_PRESS &&
            event->detail == m_key)
            ++count;
        return false;
    }
    int count = 0;

private:
    uint8_t m_key;
};

void pressKeys(const char* keys) {
    test::XdoTool::key(QString::fromLatin1(keys));
}

// The combination is grabbed by someone (here: by Dexaro's own connection)
// with and without each lock.
bool grabbedWithEveryLock(X11Probe& probe, uint8_t key, uint16_t modifiers) {
    for (uint16_t locks : {uint16_t(0), uint16_t(XCB_MOD_MASK_LOCK), numLock,
                           uint16_t(XCB_MOD_MASK_LOCK | numLock)}) {
        if (!probe.keyIsGrabbedByOthers(key, modifiers | locks))
            return false;
    }
    return true;
}

bool grabbedWithAnyLock(X11Probe& probe, uint8_t key, uint16_t modifiers) {
    for (uint16_t locks : {uint16_t(0), uint16_t(XCB_MOD_MASK_LOCK), numLock,
                           uint16_t(XCB_MOD_MASK_LOCK | numLock)}) {
        if (probe.keyIsGrabbedByOthers(key, modifiers | locks))
            return true;
    }
    return false;
}

class X11HotKeys : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(probe.ok());
        ASSERT_TRUE(test::desktop().hotKeys().isAvailable());
    }
    void TearDown() override {
        monitor.unregisterAllShortcuts();
        if (probe.pointer().mask & numLock)
            pressKeys("Num_Lock");
    }

    X11Probe probe;
    MASShortcutMonitor monitor{test::desktop().hotKeys()};
    int fired = 0;
};

TEST_F(X11HotKeys, FiresOncePerPressWhateverTheLocks) {
    ASSERT_TRUE(monitor.registerShortcut(MASShortcut(40, Control | Option), [this] { ++fired; }));
    EXPECT_TRUE(grabbedWithEveryLock(probe, x11K, controlAlt));

    pressKeys("ctrl+alt+k");
    ASSERT_TRUE(waitUntil([&] { return fired >= 1; }));
    pressKeys("ctrl+alt+k");
    ASSERT_TRUE(waitUntil([&] { return fired >= 2; }));
    EXPECT_EQ(fired, 2);

    pressKeys("Num_Lock");
    ASSERT_TRUE(waitUntil([&] { return (probe.pointer().mask & numLock) != 0; }))
        << "Num Lock did not come on";
    pressKeys("ctrl+alt+k");
    ASSERT_TRUE(waitUntil([&] { return fired >= 3; }));
    pressKeys("Num_Lock");

    // With Shift it is another combination; the press after it is the sync point.
    pressKeys("ctrl+alt+shift+k");
    pressKeys("ctrl+alt+k");
    ASSERT_TRUE(waitUntil([&] { return fired >= 4; }));
    QCoreApplication::processEvents();
    EXPECT_EQ(fired, 4);

    monitor.unregisterShortcut(MASShortcut(40, Control | Option));
    EXPECT_FALSE(grabbedWithAnyLock(probe, x11K, controlAlt));
}

TEST_F(X11HotKeys, FiresWhileAnotherApplicationIsInFront) {
    QProcess xterm;
    xterm.start(QStringLiteral("xterm"), {QStringLiteral("-title"), QStringLiteral("front")});
    ASSERT_TRUE(xterm.waitForStarted());
    xcb_window_t window = XCB_NONE;
    ASSERT_TRUE(waitUntil([&] {
        for (xcb_window_t w : probe.clientWindows()) {
            if (probe.pid(w) == uint32_t(xterm.processId()))
                window = w;
        }
        return window != XCB_NONE;
    }));
    test::XdoTool::run(
        {QStringLiteral("windowactivate"), QStringLiteral("--sync"), QString::number(window)});

    ASSERT_TRUE(monitor.registerShortcut(MASShortcut(40, Control | Option), [this] { ++fired; }));
    pressKeys("ctrl+alt+k");
    EXPECT_TRUE(waitUntil([&] { return fired == 1; }));
    xterm.terminate();
    EXPECT_TRUE(xterm.waitForFinished(10000));
}

TEST_F(X11HotKeys, StoredValueMovesTheHotKey) {
    QTemporaryDir dir;
    UserDefaults defaults(dir.filePath(QStringLiteral("Dexaro/Dexaro.conf")));
    MASShortcutBinder binder(monitor, defaults);
    ASSERT_TRUE(
        defaults.setValue(QStringLiteral("-8812"), MASShortcut(40, Control | Option).encode()));
    ASSERT_TRUE(binder.bindShortcut(QStringLiteral("-8812"), [this] { ++fired; }));
    pressKeys("ctrl+alt+k");
    ASSERT_TRUE(waitUntil([&] { return fired == 1; }));

    ASSERT_TRUE(
        defaults.setValue(QStringLiteral("-8812"), MASShortcut(38, Control | Option).encode()));
    EXPECT_FALSE(grabbedWithAnyLock(probe, x11K, controlAlt));
    EXPECT_TRUE(grabbedWithEveryLock(probe, x11J, controlAlt));
    pressKeys("ctrl+alt+k");
    pressKeys("ctrl+alt+j");
    ASSERT_TRUE(waitUntil([&] { return fired >= 2; }));
    QCoreApplication::processEvents();
    EXPECT_EQ(fired, 2) << "the old combination still fired";

    ASSERT_TRUE(defaults.removeValue(QStringLiteral("-8812")));
    EXPECT_FALSE(grabbedWithAnyLock(probe, x11J, controlAlt));
}

TEST_F(X11HotKeys, CombinationHeldByAnotherClient) {
    // Another client holds Ctrl+Alt+L, but only with Num Lock on: Dexaro's
    // grabs without Num Lock succeed first and must be given back.
    X11Probe other;
    ASSERT_TRUE(other.ok());
    xcb_void_cookie_t cookie =
        xcb_grab_key_checked(other.connection(), 1, other.root(), controlAlt | numLock, x11L,
                             XCB_GRAB_MODE_ASYNC, XCB_GRAB_MODE_ASYNC);
    ASSERT_EQ(xcb_request_check(other.connection(), cookie), nullptr);

    const MASShortcut shortcut(37, Control | Option);
    MASShortcutValidator validator(test::desktop().hotKeys(), {});
    QString explanation;
    EXPECT_TRUE(validator.isShortcutAlreadyTakenBySystem(shortcut, &explanation));
    EXPECT_TRUE(explanation.startsWith(QStringLiteral("This combination cannot be used")));

    QString error;
    EXPECT_FALSE(monitor.registerShortcut(
        shortcut, [this] { ++fired; }, &error));
    EXPECT_FALSE(error.isEmpty());
    EXPECT_FALSE(monitor.isShortcutRegistered(shortcut));
    EXPECT_FALSE(probe.keyIsGrabbedByOthers(x11L, controlAlt));
    EXPECT_FALSE(probe.keyIsGrabbedByOthers(x11L, controlAlt | XCB_MOD_MASK_LOCK));

    // Free combinations are not taken, and probing them leaves no grab behind.
    EXPECT_FALSE(
        validator.isShortcutAlreadyTakenBySystem(MASShortcut(37, Control | Option | Shift)));
    EXPECT_FALSE(grabbedWithAnyLock(probe, x11L, controlAlt | XCB_MOD_MASK_SHIFT));

    // Once the other client lets go, the combination can be registered.
    xcb_ungrab_key(other.connection(), x11L, other.root(), controlAlt | numLock);
    xcb_flush(other.connection());
    ASSERT_TRUE(waitUntil([&] { return !validator.isShortcutAlreadyTakenBySystem(shortcut); }));
    EXPECT_TRUE(monitor.registerShortcut(shortcut, [this] { ++fired; }));
    // Dexaro's own hot key does not count as taken.
    EXPECT_FALSE(validator.isShortcutAlreadyTakenBySystem(shortcut));
    EXPECT_TRUE(monitor.isShortcutRegistered(shortcut));
    pressKeys("ctrl+alt+l");
    ASSERT_TRUE(waitUntil([&] { return fired == 1; }));
}

TEST_F(X11HotKeys, AHeldKeyFiresOnceHoweverLongItIsHeld) {
    ASSERT_TRUE(monitor.registerShortcut(MASShortcut(40, Control | Option), [this] { ++fired; }));
    int marks = 0;
    ASSERT_TRUE(monitor.registerShortcut(MASShortcut(38, Control | Option), [&] { ++marks; }));
    // Auto-repeat after 200 ms, 50 times a second, for a short hold.
    run(QStringLiteral("xset"), {"r", "rate", "200", "50"});
    KeyPressCounter presses(x11K);
    test::XdoTool::run({QStringLiteral("keydown"), QStringLiteral("ctrl+alt+k")});
    const bool repeated = waitUntil([&] { return presses.count >= 6; });
    test::XdoTool::run({QStringLiteral("keyup"), QStringLiteral("ctrl+alt+k")});
    run(QStringLiteral("xset"), {"r", "rate"}); // the server's default again
    ASSERT_TRUE(repeated) << "the held key did not repeat";

    // Ctrl+Alt+J after it: once it is reported, so is everything before it.
    pressKeys("ctrl+alt+j");
    ASSERT_TRUE(waitUntil([&] { return marks == 1; }));
    QCoreApplication::processEvents();
    EXPECT_EQ(fired, 1) << presses.count << " presses arrived";

    // The next press is a press again.
    pressKeys("ctrl+alt+k");
    EXPECT_TRUE(waitUntil([&] { return fired == 2; }));
}

TEST_F(X11HotKeys, GrabsFollowNumLockToAnotherModifier) {
    ASSERT_TRUE(monitor.registerShortcut(MASShortcut(40, Control | Option), [this] { ++fired; }));
    ASSERT_TRUE(grabbedWithEveryLock(probe, x11K, controlAlt));
    ASSERT_FALSE(probe.keyIsGrabbedByOthers(x11K, controlAlt | mod3)) << "Mod3 is in use here";

    // Num Lock moves from Mod2 to Mod3; Dexaro grabs again with the new mask
    // and gives back its Mod2 grabs.
    xmodmap("remove mod2 = Num_Lock", "add mod3 = Num_Lock");
    const auto numLockOnMod3 = [&] {
        return probe.keyIsGrabbedByOthers(x11K, controlAlt | mod3) &&
               probe.keyIsGrabbedByOthers(x11K, controlAlt | mod3 | XCB_MOD_MASK_LOCK) &&
               probe.keyIsGrabbedByOthers(x11K, controlAlt) &&
               !probe.keyIsGrabbedByOthers(x11K, controlAlt | numLock) &&
               !probe.keyIsGrabbedByOthers(x11K, controlAlt | numLock | XCB_MOD_MASK_LOCK);
    };
    const bool followed = waitUntil(numLockOnMod3);
    bool firedWithNumLock = false;
    if (followed) {
        pressKeys("Num_Lock");
        EXPECT_TRUE(waitUntil([&] { return (probe.pointer().mask & mod3) != 0; }));
        pressKeys("ctrl+alt+k");
        firedWithNumLock = waitUntil([&] { return fired == 1; });
        pressKeys("Num_Lock");
        EXPECT_TRUE(waitUntil([&] { return (probe.pointer().mask & mod3) == 0; }));
    }
    monitor.unregisterShortcut(MASShortcut(40, Control | Option));
    const bool nothingLeft =
        !grabbedWithAnyLock(probe, x11K, controlAlt) &&
        !probe.keyIsGrabbedByOthers(x11K, controlAlt | mod3) &&
        !probe.keyIsGrabbedByOthers(x11K, controlAlt | mod3 | XCB_MOD_MASK_LOCK);
    xmodmap("remove mod3 = Num_Lock", "add mod2 = Num_Lock");
    EXPECT_TRUE(followed) << "the grabs did not follow Num Lock to Mod3";
    EXPECT_TRUE(firedWithNumLock) << "the hot key did not fire with Num Lock on";
    EXPECT_TRUE(nothingLeft) << "grabs leaked";
}

} // namespace
