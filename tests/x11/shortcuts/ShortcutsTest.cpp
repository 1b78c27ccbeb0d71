// System-wide hot keys in a real X11 session, with keys pressed with xdotool
// and grabs checked from another client's connection.
#include "platform/HotKeys.h"
#include "platform/KeyCodes.h"
#include "shortcuts/MASShortcutMonitor.h"
#include "shortcuts/MASShortcutValidator.h"
#include "support/DesktopPlatform.h"
#include "support/RunProgram.h"
#include "support/Wait.h"
#include "support/X11Probe.h"
#include "support/XClient.h"
#include "support/XdoTool.h"

#include <QAbstractNativeEventFilter>
#include <QScopeGuard>
#include <gtest/gtest.h>

using namespace dexaro;
using dexaro::test::waitUntil;
using dexaro::test::X11Probe;

namespace {

const MASShortcut controlOptionK(keys::K, MASShortcut::ControlFlag | MASShortcut::OptionFlag);
// X11 key codes (evdev + 8) and modifier masks.
constexpr uint8_t x11K = 45, x11L = 46;
constexpr uint16_t controlAlt = XCB_MOD_MASK_CONTROL | XCB_MOD_MASK_1;
constexpr uint16_t capsLock = XCB_MOD_MASK_LOCK, numLock = XCB_MOD_MASK_2, mod3 = XCB_MOD_MASK_3;

// How many of the four lock variants (none, Caps, Num, both) of the
// combination someone holds (here: Dexaro's own connection).
int grabsAcrossLocks(X11Probe& probe, uint8_t key, uint16_t modifiers, uint16_t num = numLock) {
    int grabbed = 0;
    for (uint16_t locks : {uint16_t(0), capsLock, num, uint16_t(capsLock | num)})
        grabbed += probe.keyIsGrabbedByOthers(key, modifiers | locks);
    return grabbed;
}

bool pressKeys(const char* keys) {
    return test::XdoTool::key(QString::fromLatin1(keys));
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

class X11HotKeys : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(probe.ok());
        ASSERT_TRUE(test::desktop().hotKeys().isAvailable());
    }
    void TearDown() override {
        monitor.unregisterAllShortcuts();
        // Num Lock off again for the tests after this one, which press buttons.
        probe.unlockModifiers();
        EXPECT_TRUE(waitUntil([&] { return !(probe.modifiers() & (numLock | mod3)); }));
    }

    X11Probe probe;
    MASShortcutMonitor monitor{test::desktop().hotKeys()};
    int fired = 0;
};

TEST_F(X11HotKeys, FiresOncePerPressHeldOrNotWhateverTheWindowInFrontAndWhereNumLockIs) {
    test::XClient xterm(QStringLiteral("xterm"));
    const xcb_window_t window = xterm.window(probe);
    ASSERT_NE(window, XCB_NONE);
    test::XdoTool::run(
        {QStringLiteral("windowactivate"), QStringLiteral("--sync"), QString::number(window)});

    // Registered again (its row was rebuilt): the old hot key's release must
    // not take the new one's grabs, and only one action runs per press.
    ASSERT_TRUE(monitor.registerShortcut(controlOptionK, [this] { ++fired; }));
    ASSERT_TRUE(monitor.registerShortcut(controlOptionK, [this] { ++fired; }));
    int marks = 0;
    ASSERT_TRUE(monitor.registerShortcut(MASShortcut(keys::J, controlOptionK.modifierFlags()),
                                         [&] { ++marks; }));
    EXPECT_EQ(grabsAcrossLocks(probe, x11K, controlAlt), 4);
    ASSERT_FALSE(probe.keyIsGrabbedByOthers(x11K, controlAlt | mod3)) << "Mod3 is in use here";
    pressKeys("ctrl+alt+k");
    ASSERT_TRUE(waitUntil([&] { return fired == 1; }));

    // Held with auto-repeat after 200 ms, 50 times a second.
    test::runProgram(QStringLiteral("xset"), {"r", "rate", "200", "50"});
    KeyPressCounter presses(x11K);
    test::XdoTool::run({QStringLiteral("keydown"), QStringLiteral("ctrl+alt+k")});
    const bool repeated = waitUntil([&] { return presses.count >= 6; });
    test::XdoTool::run({QStringLiteral("keyup"), QStringLiteral("ctrl+alt+k")});
    test::runProgram(QStringLiteral("xset"), {"r", "rate"}); // the server's default again
    ASSERT_TRUE(repeated) << "the held key did not repeat";

    // With Shift it is another combination. Ctrl+Alt+J after it: once it is
    // reported, so is everything before it.
    pressKeys("ctrl+alt+shift+k ctrl+alt+j");
    ASSERT_TRUE(waitUntil([&] { return marks == 1; }));
    QCoreApplication::processEvents();
    EXPECT_EQ(fired, 2) << presses.count << " presses arrived";

    // Num Lock moves from Mod2 to Mod3; Dexaro grabs again with the new mask
    // and gives back its Mod2 grabs.
    const auto xmodmap = [](const char* remove, const char* add) {
        return test::runProgram(QStringLiteral("xmodmap"), {"-e", remove, "-e", add});
    };
    const auto restore =
        qScopeGuard([&] { xmodmap("remove mod3 = Num_Lock", "add mod2 = Num_Lock"); });
    ASSERT_TRUE(xmodmap("remove mod2 = Num_Lock", "add mod3 = Num_Lock"));
    ASSERT_TRUE(waitUntil([&] {
        return grabsAcrossLocks(probe, x11K, controlAlt, mod3) == 4 &&
               grabsAcrossLocks(probe, x11K, controlAlt) == 2; // Caps Lock and none
    })) << "the grabs did not follow Num Lock to Mod3";
    pressKeys("Num_Lock");
    ASSERT_TRUE(waitUntil([&] { return probe.modifiers() & mod3; })) << "Num Lock is not on";
    pressKeys("ctrl+alt+k");
    EXPECT_TRUE(waitUntil([&] { return fired == 3; })) << "no press with Num Lock on";

    monitor.unregisterShortcut(controlOptionK);
    EXPECT_EQ(grabsAcrossLocks(probe, x11K, controlAlt) +
                  grabsAcrossLocks(probe, x11K, controlAlt, mod3),
              0)
        << "grabs leaked";
}

TEST_F(X11HotKeys, ACombinationHeldByAnotherClientIsRefusedWithoutLeavingGrabs) {
    // Another client holds Ctrl+Alt+L, but only with Num Lock on: Dexaro's
    // grabs without Num Lock succeed first and must be given back.
    X11Probe other;
    ASSERT_TRUE(other.ok());
    xcb_void_cookie_t cookie =
        xcb_grab_key_checked(other.connection(), 1, other.root(), controlAlt | numLock, x11L,
                             XCB_GRAB_MODE_ASYNC, XCB_GRAB_MODE_ASYNC);
    ASSERT_EQ(xcb_request_check(other.connection(), cookie), nullptr);

    const MASShortcut shortcut(keys::L, controlOptionK.modifierFlags());
    MASShortcutValidator validator(test::desktop().hotKeys(), {});
    QString error;
    EXPECT_TRUE(validator.isShortcutAlreadyTakenBySystem(shortcut));
    EXPECT_FALSE(monitor.registerShortcut(
        shortcut, [this] { ++fired; }, &error));
    EXPECT_FALSE(error.isEmpty());
    EXPECT_EQ(grabsAcrossLocks(probe, x11L, controlAlt), 1) << "only the other client's";

    // Once the other client lets go, the combination can be registered, and
    // Dexaro's own hot key does not count as taken.
    xcb_ungrab_key(other.connection(), x11L, other.root(), controlAlt | numLock);
    xcb_flush(other.connection());
    ASSERT_TRUE(waitUntil([&] { return !validator.isShortcutAlreadyTakenBySystem(shortcut); }));
    EXPECT_EQ(grabsAcrossLocks(probe, x11L, controlAlt), 0) << "probing left a grab";
    EXPECT_TRUE(monitor.registerShortcut(shortcut, [this] { ++fired; }));
    EXPECT_FALSE(validator.isShortcutAlreadyTakenBySystem(shortcut));
}

} // namespace
