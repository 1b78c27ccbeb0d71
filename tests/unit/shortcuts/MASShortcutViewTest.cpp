// The recorder, driven with key and mouse events offscreen.
#include "shortcuts/MASShortcutView.h"
#include "platform/UserDefaults.h"
#include "shortcuts/MASShortcutValidator.h"
#include "support/FakeHotKeys.h"
#include "support/RecordingAlerts.h"

#include <QAccessible>
#include <QAccessibleActionInterface>
#include <QAction>
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

// X11 key codes (evdev + 8) of the keys the tests press.
enum Scan : quint32 {
    ScanA = 38,
    ScanK = 45,
    ScanW = 25,
    ScanEscape = 9,
    ScanBackspace = 22,
    ScanDelete = 119,
    ScanTab = 23,
    ScanShift = 50,
    ScanControl = 37,
    ScanAlt = 64,
    ScanF5 = 71,
};

class Recorder : public ::testing::Test {
protected:
    void SetUp() override { view.resize(160, 30); }

    // Sends a key press to the window the way Qt delivers it: shortcut override first.
    bool press(int key, Qt::KeyboardModifiers modifiers, quint32 scan, QWidget* target = nullptr) {
        QWidget* to = target ? target : &window;
        QKeyEvent override(QEvent::ShortcutOverride, key, modifiers, scan, 0, 0);
        override.ignore();
        QApplication::sendEvent(to, &override);
        QKeyEvent event(QEvent::KeyPress, key, modifiers, scan, 0, 0);
        event.ignore();
        return QApplication::sendEvent(to, &event) && event.isAccepted();
    }
    void release(int key, Qt::KeyboardModifiers modifiers, quint32 scan) {
        QKeyEvent event(QEvent::KeyRelease, key, modifiers, scan, 0, 0);
        QApplication::sendEvent(&window, &event);
    }
    void click(MASShortcutView& target, QPoint at) {
        QMouseEvent down(QEvent::MouseButtonPress, at, target.mapToGlobal(at), Qt::LeftButton,
                         Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(&target, &down);
    }
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
};

TEST_F(Recorder, RecordsAValidCombination) {
    EXPECT_EQ(view.titleText(), QStringLiteral("Record Shortcut"));
    EXPECT_EQ(view.hintGlyph(), QString());
    int changes = 0;
    view.shortcutValueChange = [&](MASShortcutView* v) {
        EXPECT_EQ(v, &view);
        ++changes;
    };
    click(view, inShortcutArea());
    ASSERT_TRUE(view.isRecording());
    EXPECT_EQ(view.titleText(), QStringLiteral("Type Shortcut"));
    EXPECT_EQ(view.hintGlyph(), QStringLiteral("⎋"));

    // Modifiers alone show as the placeholder.
    press(Qt::Key_Control, Qt::NoModifier, ScanControl);
    press(Qt::Key_Alt, Qt::ControlModifier, ScanAlt);
    EXPECT_EQ(view.shortcutPlaceholder(), QStringLiteral("⌃⌥"));
    EXPECT_EQ(view.titleText(), QStringLiteral("⌃⌥"));
    release(Qt::Key_Alt, Qt::ControlModifier | Qt::AltModifier, ScanAlt);
    EXPECT_EQ(view.shortcutPlaceholder(), QStringLiteral("⌃"));
    press(Qt::Key_Alt, Qt::ControlModifier, ScanAlt);

    EXPECT_TRUE(press(Qt::Key_K, Qt::ControlModifier | Qt::AltModifier, ScanK));
    EXPECT_FALSE(view.isRecording());
    EXPECT_EQ(view.shortcutValue(), MASShortcut(40, Control | Option));
    EXPECT_EQ(view.titleText(), QStringLiteral("⌃⌥K"));
    EXPECT_EQ(view.hintGlyph(), QStringLiteral("✕"));
    EXPECT_EQ(view.lastAnnouncement(), QStringLiteral("Shortcut set"));
    EXPECT_EQ(changes, 1);
    EXPECT_TRUE(alerts.shown.isEmpty());
}

TEST_F(Recorder, InvalidCombinationKeepsRecording) {
    view.setRecording(true);
    EXPECT_TRUE(press(Qt::Key_A, Qt::ShiftModifier, ScanA)); // swallowed, beeps
    EXPECT_TRUE(view.isRecording());
    EXPECT_FALSE(view.shortcutValue());
    EXPECT_TRUE(press(Qt::Key_A, Qt::NoModifier, ScanA));
    EXPECT_TRUE(view.isRecording());
    // A function key alone is fine.
    press(Qt::Key_F5, Qt::NoModifier, ScanF5);
    EXPECT_FALSE(view.isRecording());
    EXPECT_EQ(view.shortcutValue(), MASShortcut(96, 0));
}

TEST_F(Recorder, EscapeCancelsAndDeleteClears) {
    view.setShortcutValue(MASShortcut(40, Control));
    view.setRecording(true);
    EXPECT_EQ(view.titleText(), QStringLiteral("Type New Shortcut"));
    press(Qt::Key_Escape, Qt::NoModifier, ScanEscape);
    EXPECT_FALSE(view.isRecording());
    EXPECT_EQ(view.shortcutValue(), MASShortcut(40, Control));

    for (auto [key, scan] :
         {std::pair{Qt::Key_Backspace, ScanBackspace}, std::pair{Qt::Key_Delete, ScanDelete}}) {
        view.setShortcutValue(MASShortcut(40, Control));
        view.setRecording(true);
        press(key, Qt::NoModifier, scan);
        EXPECT_FALSE(view.isRecording());
        EXPECT_FALSE(view.shortcutValue());
        EXPECT_EQ(view.lastAnnouncement(), QStringLiteral("Shortcut cleared"));
    }
}

TEST_F(Recorder, TabAndCloseKeysPassThrough) {
    view.setRecording(true);
    EXPECT_FALSE(press(Qt::Key_Tab, Qt::NoModifier, ScanTab));
    EXPECT_TRUE(view.isRecording());

    // Ctrl-W reaches the window's own action and ends recording.
    int closed = 0;
    QAction close(QStringLiteral("Close"), &window);
    close.setShortcut(QKeySequence(QStringLiteral("Ctrl+W")));
    QObject::connect(&close, &QAction::triggered, [&] { ++closed; });
    window.addAction(&close);
    QKeyEvent override(QEvent::ShortcutOverride, Qt::Key_W, Qt::ControlModifier, ScanW, 0, 0);
    override.ignore();
    QApplication::sendEvent(&window, &override);
    EXPECT_FALSE(override.isAccepted()) << "Ctrl-W must stay an application shortcut";
    EXPECT_FALSE(view.isRecording());
    EXPECT_FALSE(view.shortcutValue());
}

TEST_F(Recorder, TakenCombinationShowsAlertAndKeepsRecording) {
    hotKeys.takenByOthers.insert({40, 0x1800});
    view.setRecording(true);
    press(Qt::Key_Control, Qt::NoModifier, ScanControl);
    press(Qt::Key_K, Qt::ControlModifier | Qt::AltModifier, ScanK);
    ASSERT_EQ(alerts.shown.size(), 1);
    EXPECT_EQ(alerts.shown[0].message, QStringLiteral("The key combination ⌃⌥K cannot be used"));
    EXPECT_TRUE(alerts.shown[0].informative.startsWith(QStringLiteral("This combination cannot")));
    EXPECT_TRUE(alerts.shown[0].critical);
    EXPECT_TRUE(view.isRecording());
    EXPECT_EQ(view.shortcutPlaceholder(), QString());
    EXPECT_FALSE(view.shortcutValue());
    // Recording goes on: another combination is taken.
    press(Qt::Key_K, Qt::ControlModifier, ScanK);
    EXPECT_EQ(view.shortcutValue(), MASShortcut(40, Control));
}

TEST_F(Recorder, MenuShortcutIsTaken) {
    MenuInfo menu;
    menu.items = {{QStringLiteral("Preferences"), QStringLiteral("k"), Control, nullptr}};
    menus = {menu};
    view.setRecording(true);
    press(Qt::Key_K, Qt::ControlModifier, ScanK);
    ASSERT_EQ(alerts.shown.size(), 1);
    EXPECT_TRUE(alerts.shown[0].informative.endsWith(QStringLiteral("‘Preferences’.")));
    EXPECT_TRUE(view.isRecording());
}

TEST_F(Recorder, OneRecorderAtATime) {
    view.setRecording(true);
    other.setRecording(true);
    EXPECT_FALSE(view.isRecording());
    EXPECT_TRUE(other.isRecording());
    EXPECT_EQ(MASShortcutView::recordingView(), &other);
    press(Qt::Key_K, Qt::ControlModifier, ScanK);
    EXPECT_FALSE(view.shortcutValue());
    EXPECT_EQ(other.shortcutValue(), MASShortcut(40, Control));
    EXPECT_EQ(MASShortcutView::recordingView(), nullptr);

    // A disabled recorder neither starts nor keeps recording.
    view.setEnabled(false);
    view.setRecording(true);
    EXPECT_FALSE(view.isRecording());
    view.setEnabled(true);
    view.setRecording(true);
    view.setEnabled(false);
    EXPECT_FALSE(view.isRecording());
}

TEST_F(Recorder, MouseAreasAndToolTips) {
    view.setShowsDeleteButton(false);
    view.setShortcutValue(MASShortcut(40, Control));
    EXPECT_EQ(view.hintGlyph(), QString());
    EXPECT_EQ(view.toolTipAt(inShortcutArea()), QStringLiteral("Click to record new shortcut"));
    EXPECT_EQ(view.toolTipAt(inHintArea()), QStringLiteral("Delete shortcut"));
    // The hint strip still clears without its glyph.
    click(view, inHintArea());
    EXPECT_FALSE(view.shortcutValue());
    EXPECT_FALSE(view.isRecording());
    EXPECT_EQ(view.toolTipAt(inShortcutArea()), QString());

    view.setShortcutValue(MASShortcut(40, Control));
    click(view, inShortcutArea());
    EXPECT_TRUE(view.isRecording());
    EXPECT_EQ(view.toolTipAt(inShortcutArea()), QString());
    click(view, inShortcutArea()); // nothing while recording
    EXPECT_TRUE(view.isRecording());
    QMouseEvent move(QEvent::MouseMove, inHintArea(), view.mapToGlobal(inHintArea()), Qt::NoButton,
                     Qt::NoButton, Qt::NoModifier);
    QApplication::sendEvent(&view, &move);
    EXPECT_TRUE(view.isHinting());
    EXPECT_EQ(view.titleText(), QStringLiteral("Use Old Shortcut"));
    click(view, inHintArea()); // cancels, the value stays
    EXPECT_FALSE(view.isRecording());
    EXPECT_EQ(view.shortcutValue(), MASShortcut(40, Control));
}

TEST_F(Recorder, HintAreaWidthByStyle) {
    const int widths[] = {23, 25, 26, 15, 23};
    for (int style = 0; style < 5; ++style) {
        SCOPED_TRACE(style);
        view.setViewStyle(style);
        EXPECT_EQ(view.hintAreaWidth(), widths[style]);
        EXPECT_EQ(view.hintRect().width() + view.shortcutRect().width(), view.width());
    }
    EXPECT_EQ(view.sizeHint().width(), 120);
}

TEST_F(Recorder, Accessibility) {
    QAccessibleInterface* accessible = QAccessible::queryAccessibleInterface(&view);
    ASSERT_NE(accessible, nullptr);
    EXPECT_EQ(accessible->role(), QAccessible::Button);
    EXPECT_EQ(accessible->text(QAccessible::Name), QStringLiteral("Empty keyboard shortcut"));
    EXPECT_TRUE(accessible->text(QAccessible::Help).startsWith(QStringLiteral("To record")));
    view.setShortcutValue(MASShortcut(40, Control | Option));
    EXPECT_EQ(view.accessibleName(), QStringLiteral("⌃⌥K keyboard shortcut"));
    ASSERT_NE(accessible->actionInterface(), nullptr);
    accessible->actionInterface()->doAction(QAccessibleActionInterface::pressAction());
    EXPECT_TRUE(view.isRecording());
    EXPECT_FALSE(view.accessibilityPerformPress());
}

TEST_F(Recorder, BoundToAStoredKey) {
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("Dexaro/Dexaro.conf"));
    UserDefaults defaults(path);
    ASSERT_TRUE(defaults.setValue(QStringLiteral("-55"), MASShortcut(38, Control).encode()));
    view.setUserDefaults(&defaults);

    // A key that holds a shortcut shows it at once.
    view.setAssociatedUserDefaultsKey(QStringLiteral("-55"));
    EXPECT_EQ(view.associatedUserDefaultsKey(), QStringLiteral("-55"));
    EXPECT_EQ(view.shortcutValue(), MASShortcut(38, Control));

    view.setAssociatedUserDefaultsKey(QStringLiteral("0000"));
    EXPECT_FALSE(view.shortcutValue());
    view.setRecording(true);
    press(Qt::Key_K, Qt::ControlModifier | Qt::AltModifier, ScanK);
    {
        QSettings ini(path, QSettings::IniFormat);
        EXPECT_EQ(ini.value(QStringLiteral("0000/KeyCode")).toInt(), 40);
        EXPECT_EQ(ini.value(QStringLiteral("0000/ModifierFlags")).toLongLong(),
                  qint64(Control | Option));
    }
    // Changed elsewhere, the recorder follows.
    defaults.setValue(QStringLiteral("0000"), MASShortcut(1, Control).encode());
    EXPECT_EQ(view.shortcutValue(), MASShortcut(1, Control));

    view.setRecording(true);
    press(Qt::Key_Backspace, Qt::NoModifier, ScanBackspace);
    EXPECT_FALSE(
        QSettings(path, QSettings::IniFormat).childGroups().contains(QStringLiteral("0000")));
    EXPECT_EQ(view.shortcutValue(), std::nullopt);

    // A damaged stored value shows as none and stays as it was.
    {
        QSettings ini(path, QSettings::IniFormat);
        ini.setValue(QStringLiteral("77/KeyCode"), QStringLiteral("x"));
        ini.setValue(QStringLiteral("77/ModifierFlags"), 0);
    }
    UserDefaults reread(path);
    view.setUserDefaults(&reread);
    view.setAssociatedUserDefaultsKey(QStringLiteral("77"));
    EXPECT_FALSE(view.shortcutValue());
    EXPECT_EQ(QSettings(path, QSettings::IniFormat).value(QStringLiteral("77/KeyCode")),
              QStringLiteral("x"));

    // Unbound, new values stay in the view.
    view.setAssociatedUserDefaultsKey(QString());
    view.setShortcutValue(MASShortcut(40, Control));
    EXPECT_EQ(QSettings(path, QSettings::IniFormat).value(QStringLiteral("77/KeyCode")),
              QStringLiteral("x"));
}

} // namespace
