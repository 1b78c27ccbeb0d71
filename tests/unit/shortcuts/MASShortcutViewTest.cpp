// The recorder, driven with key and mouse events offscreen.
#include "shortcuts/MASShortcutView.h"
#include "platform/KeyCodes.h"
#include "platform/UserDefaults.h"
#include "shortcuts/MASShortcutValidator.h"
#include "support/FakeHotKeys.h"
#include "support/RecordingAlerts.h"

#include <QAccessible>
#include <QAccessibleActionInterface>
#include <QApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QSettings>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace dexaro;

namespace {

constexpr quint64 Control = MASShortcut::ControlFlag;
constexpr quint64 Option = MASShortcut::OptionFlag;
constexpr auto ctrl = Qt::ControlModifier, alt = Qt::AltModifier;

// X11 key codes (evdev + 8) of the keys the tests press.
constexpr quint32 ScanA = 38, ScanK = 45, ScanW = 25, ScanQ = 24, ScanEscape = 9,
                  ScanBackspace = 22, ScanDelete = 119, ScanTab = 23, ScanF5 = 71;

class Recorder : public ::testing::Test {
protected:
    void SetUp() override { view.resize(160, 30); }

    // Sends a key press to the window the way Qt delivers it: shortcut override
    // first. True when the press was taken.
    bool press(int key, Qt::KeyboardModifiers modifiers, quint32 scan) {
        QKeyEvent override(QEvent::ShortcutOverride, key, modifiers, scan, 0, 0);
        override.ignore();
        QApplication::sendEvent(&window, &override);
        overrideTaken = override.isAccepted();
        QKeyEvent event(QEvent::KeyPress, key, modifiers, scan, 0, 0);
        event.ignore();
        return QApplication::sendEvent(&window, &event) && event.isAccepted();
    }
    void mouse(QEvent::Type type, QPoint at) {
        const auto button = type == QEvent::MouseMove ? Qt::NoButton : Qt::LeftButton;
        QMouseEvent event(type, at, view.mapToGlobal(at), button, button, Qt::NoModifier);
        QApplication::sendEvent(&view, &event);
    }
    void click(QPoint at) { mouse(QEvent::MouseButtonPress, at); }
    QPoint inShortcutArea() const { return view.shortcutRect().center(); }
    QPoint inHintArea() const { return view.hintRect().center(); }

    test::FakeHotKeys hotKeys;
    QList<MenuInfo> menus;
    MASShortcutValidator validator{hotKeys, [this] {
                                       return menus;
                                   }};
    test::RecordingAlerts alerts;
    QWidget window;
    MASShortcutView view{validator, alerts, &window};
    MASShortcutView other{validator, alerts, &window};
    bool overrideTaken = false;
};

// Each row starts recording over the shortcut Ctrl+K.
TEST_F(Recorder, KeysWhileRecording) {
    const MASShortcut old(keys::K, Control);
    const struct {
        const char* name;
        int key;
        Qt::KeyboardModifiers modifiers;
        quint32 scan;
        bool taken;     // the press and its shortcut override go to the recorder
        bool recording; // afterwards
        std::optional<MASShortcut> value;
    } rows[] = {
        {"ctrl-alt-K is recorded", Qt::Key_K, ctrl | alt, ScanK, true, false,
         MASShortcut(keys::K, Control | Option)},
        {"shift A is refused, recording goes on", Qt::Key_A, Qt::ShiftModifier, ScanA, true, true,
         old},
        {"F5 alone is fine", Qt::Key_F5, {}, ScanF5, true, false, MASShortcut(keys::F5, 0)},
        {"escape cancels", Qt::Key_Escape, {}, ScanEscape, true, false, old},
        {"backspace clears", Qt::Key_Backspace, {}, ScanBackspace, true, false, std::nullopt},
        {"delete clears", Qt::Key_Delete, {}, ScanDelete, true, false, std::nullopt},
        {"tab moves the focus on", Qt::Key_Tab, {}, ScanTab, false, true, old},
        {"ctrl-W still closes the window", Qt::Key_W, ctrl, ScanW, false, false, old},
        {"ctrl-Q still quits", Qt::Key_Q, ctrl, ScanQ, false, false, old},
    };
    int changes = 0;
    view.shortcutValueChange = [&](MASShortcutView*) {
        ++changes;
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        view.setShortcutValue(old);
        view.setRecording(true);
        changes = 0;
        EXPECT_EQ(press(row.key, row.modifiers, row.scan), row.taken);
        EXPECT_EQ(overrideTaken, row.taken);
        EXPECT_EQ(view.isRecording(), row.recording);
        EXPECT_EQ(view.shortcutValue(), row.value);
        EXPECT_EQ(changes, row.value == old ? 0 : 1);
        view.setRecording(false);
    }
    EXPECT_TRUE(alerts.shown.isEmpty());
}

// Which combinations are taken is the validator's table; here what the recorder does then.
TEST_F(Recorder, TakenCombinationShowsAnAlertAndRecordingGoesOn) {
    hotKeys.takenByOthers.insert({keys::K, 0x1800}); // Control-Option-K
    view.setRecording(true);
    press(Qt::Key_K, ctrl | alt, ScanK);
    ASSERT_EQ(alerts.shown.size(), 1);
    EXPECT_EQ(alerts.shown[0].message, QStringLiteral("The key combination ⌃⌥K cannot be used"));
    EXPECT_TRUE(alerts.shown[0].informative.contains(QStringLiteral("system-wide")));
    EXPECT_TRUE(alerts.shown[0].critical);
    EXPECT_TRUE(view.isRecording());
    EXPECT_FALSE(view.shortcutValue());
    press(Qt::Key_K, ctrl, ScanK);
    EXPECT_EQ(view.shortcutValue(), MASShortcut(keys::K, Control));
}

TEST_F(Recorder, OneRecorderAtATimeAndNoneWhileDisabled) {
    view.setRecording(true);
    other.setRecording(true);
    EXPECT_FALSE(view.isRecording());
    press(Qt::Key_K, ctrl, ScanK);
    EXPECT_FALSE(view.shortcutValue());
    EXPECT_EQ(other.shortcutValue(), MASShortcut(keys::K, Control));
    EXPECT_EQ(MASShortcutView::recordingView(), nullptr);

    view.setEnabled(false);
    view.setRecording(true);
    EXPECT_FALSE(view.isRecording());
    view.setEnabled(true);
    view.setRecording(true);
    view.setEnabled(false);
    EXPECT_FALSE(view.isRecording());
}

TEST_F(Recorder, MouseAndAccessibleActions) {
    view.setShowsDeleteButton(false);
    view.setShortcutValue(MASShortcut(keys::K, Control));
    click(inHintArea()); // the hint strip still clears without its glyph
    EXPECT_FALSE(view.shortcutValue());
    EXPECT_FALSE(view.isRecording());

    view.setShortcutValue(MASShortcut(keys::K, Control));
    click(inShortcutArea());
    EXPECT_TRUE(view.isRecording());
    click(inShortcutArea()); // nothing while recording
    EXPECT_TRUE(view.isRecording());
    mouse(QEvent::MouseMove, inHintArea());
    EXPECT_EQ(view.titleText(), QStringLiteral("Use Old Shortcut"));
    click(inHintArea()); // cancels, the value stays
    EXPECT_FALSE(view.isRecording());
    EXPECT_EQ(view.shortcutValue(), MASShortcut(keys::K, Control));

    QAccessibleInterface* accessible = QAccessible::queryAccessibleInterface(&view);
    ASSERT_NE(accessible, nullptr);
    EXPECT_EQ(accessible->role(), QAccessible::Button);
    EXPECT_EQ(accessible->text(QAccessible::Name), QStringLiteral("⌃K keyboard shortcut"));
    ASSERT_NE(accessible->actionInterface(), nullptr);
    accessible->actionInterface()->doAction(QAccessibleActionInterface::pressAction());
    EXPECT_TRUE(view.isRecording());
}

TEST_F(Recorder, BoundToAStoredKeyItShowsWritesAndFollowsItButLeavesDamageAlone) {
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("Dexaro/Dexaro.conf"));
    const auto storedKeyCode = [&](const char* group) {
        return QSettings(path, QSettings::IniFormat).value(QString::fromLatin1(group) + "/KeyCode");
    };
    {
        QSettings ini(path, QSettings::IniFormat); // a damaged value
        ini.setValue(QStringLiteral("77/KeyCode"), QStringLiteral("x"));
        ini.setValue(QStringLiteral("77/ModifierFlags"), 0);
    }
    UserDefaults defaults(path);
    ASSERT_TRUE(defaults.setValue(QStringLiteral("-55"), MASShortcut(keys::J, Control).encode()));
    view.setUserDefaults(&defaults);
    view.setAssociatedUserDefaultsKey(QStringLiteral("-55"));
    EXPECT_EQ(view.shortcutValue(), MASShortcut(keys::J, Control));

    view.setAssociatedUserDefaultsKey(QStringLiteral("0000"));
    EXPECT_FALSE(view.shortcutValue());
    view.setRecording(true);
    press(Qt::Key_K, ctrl | alt, ScanK);
    EXPECT_EQ(storedKeyCode("0000").toInt(), int(keys::K));
    defaults.setValue(QStringLiteral("0000"), MASShortcut(keys::S, Control).encode());
    EXPECT_EQ(view.shortcutValue(), MASShortcut(keys::S, Control)) << "changed elsewhere";
    view.setRecording(true);
    press(Qt::Key_Backspace, {}, ScanBackspace);
    EXPECT_FALSE(storedKeyCode("0000").isValid());

    view.setAssociatedUserDefaultsKey(QStringLiteral("77"));
    EXPECT_FALSE(view.shortcutValue());
    view.setAssociatedUserDefaultsKey(QString()); // unbound, new values stay in the view
    view.setShortcutValue(MASShortcut(keys::K, Control));
    EXPECT_EQ(storedKeyCode("77"), QStringLiteral("x"));
}

} // namespace
