// The recorder, driven with key and mouse events offscreen. A real click and
// real keys into it are x11_authoring's; the recorder bound to a workspace's
// stored shortcut is the Creator's and Editor's tests'.
#include "shortcuts/MASShortcutView.h"
#include "platform/KeyCodes.h"
#include "shortcuts/MASShortcutValidator.h"
#include "support/FakeHotKeys.h"
#include "support/RecordingAlerts.h"

#include <QAccessible>
#include <QAccessibleActionInterface>
#include <QApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <gtest/gtest.h>

using namespace dexaro;

namespace {

constexpr quint64 Control = MASShortcut::ControlFlag;
constexpr quint64 Option = MASShortcut::OptionFlag;
constexpr auto ctrl = Qt::ControlModifier, alt = Qt::AltModifier;

// X11 key codes (evdev + 8) of the keys the tests press.
constexpr quint32 ScanA = 38, ScanK = 45, ScanL = 46, ScanW = 25, ScanEscape = 9,
                  ScanBackspace = 22, ScanTab = 23, ScanF5 = 71, ScanAlt = 64;

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
    void click(const QRect& area) {
        const QPoint at = area.center();
        QMouseEvent event(QEvent::MouseButtonPress, at, view.mapToGlobal(at), Qt::LeftButton,
                          Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(&view, &event);
    }

    test::FakeHotKeys hotKeys;
    MASShortcutValidator validator{hotKeys, {}};
    test::RecordingAlerts alerts;
    QWidget window;
    MASShortcutView view{validator, alerts, &window};
    MASShortcutView other{validator, alerts, &window};
    bool overrideTaken = false;
};

// Each row starts recording over the shortcut Ctrl+K. Which combinations are
// taken is the validator's table; here what the recorder does with one.
TEST_F(Recorder, KeysWhileRecording) {
    hotKeys.takenByOthers.insert({keys::L, 0x1800}); // Control-Option-L
    const MASShortcut old(keys::K, Control);
    const struct {
        const char* name;
        int key;
        Qt::KeyboardModifiers modifiers;
        quint32 scan;
        bool taken;     // the press and its shortcut override go to the recorder
        bool recording; // afterwards
        std::optional<MASShortcut> value;
        bool alert = false;
    } rows[] = {
        {"ctrl-alt-K is recorded", Qt::Key_K, ctrl | alt, ScanK, true, false,
         MASShortcut(keys::K, Control | Option)},
        {"shift A is refused, recording goes on", Qt::Key_A, Qt::ShiftModifier, ScanA, true, true,
         old},
        {"ctrl-alt-L is taken: an alert, recording goes on", Qt::Key_L, ctrl | alt, ScanL, true,
         true, old, true},
        {"F5 alone is fine", Qt::Key_F5, {}, ScanF5, true, false, MASShortcut(keys::F5, 0)},
        {"volume up names no key: recording goes on", Qt::Key_VolumeUp, {}, 0, true, true, old},
        {"escape cancels", Qt::Key_Escape, {}, ScanEscape, true, false, old},
        {"backspace clears", Qt::Key_Backspace, {}, ScanBackspace, true, false, std::nullopt},
        {"tab moves the focus on", Qt::Key_Tab, {}, ScanTab, false, true, old},
        {"ctrl-W still closes the window", Qt::Key_W, ctrl, ScanW, false, false, old},
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
        const bool taken = press(row.key, row.modifiers, row.scan);
        EXPECT_EQ(std::tuple(taken, overrideTaken, view.isRecording(), view.shortcutValue(),
                             changes, alerts.shown.size()),
                  std::tuple(row.taken, row.taken, row.recording, row.value,
                             row.value == old ? 0 : 1, qsizetype(row.alert ? 1 : 0)));
        alerts.shown.clear();
        view.setRecording(false);
    }
}

// What a person and a screen reader meet: the names of the keys, never the
// Mac glyphs (the names themselves are MASShortcutTest's table).
TEST_F(Recorder, ShowsAndNamesTheShortcutByKeyNames) {
    hotKeys.takenByOthers.insert({keys::L, 0x1800}); // Control-Option-L
    view.setShortcutValue(MASShortcut(keys::RightArrow, Control | Option));
    QAccessibleInterface* accessible = QAccessible::queryAccessibleInterface(&view);
    EXPECT_EQ(std::pair(view.titleText(), accessible->text(QAccessible::Name)),
              std::pair(QStringLiteral("Ctrl+Alt+Right"),
                        QStringLiteral("Ctrl+Alt+Right keyboard shortcut")));

    view.setRecording(true);
    QKeyEvent held(QEvent::KeyPress, Qt::Key_Alt, ctrl | alt, ScanAlt, 0, 0);
    QApplication::sendEvent(&window, &held);
    EXPECT_EQ(view.titleText(), QStringLiteral("Ctrl+Alt+"));
    press(Qt::Key_L, ctrl | alt, ScanL);
    ASSERT_EQ(alerts.shown.size(), 1);
    EXPECT_EQ(alerts.shown[0].message,
              QStringLiteral("The key combination Ctrl+Alt+L cannot be used"));
}

TEST_F(Recorder, OneRecorderAtATimeAndNoneWhileDisabled) {
    view.setRecording(true);
    other.setRecording(true);
    EXPECT_FALSE(view.isRecording());
    press(Qt::Key_K, ctrl, ScanK);
    EXPECT_FALSE(view.shortcutValue());
    EXPECT_EQ(other.shortcutValue(), MASShortcut(keys::K, Control));
    EXPECT_EQ(MASShortcutView::recordingView(), nullptr);

    view.setRecording(true);
    view.setEnabled(false);
    EXPECT_FALSE(view.isRecording());
    view.setRecording(true);
    EXPECT_FALSE(view.isRecording());
}

// Its accessible name is CreatorTest's (EveryControlOfBothScreensHasAnAccessibleName);
// a click that starts it x11_authoring's.
TEST_F(Recorder, MouseAndAccessibleActions) {
    view.setShortcutValue(MASShortcut(keys::K, Control));
    QAccessibleActionInterface* actions =
        QAccessible::queryAccessibleInterface(&view)->actionInterface();
    ASSERT_NE(actions, nullptr);
    actions->doAction(QAccessibleActionInterface::pressAction());
    EXPECT_TRUE(view.isRecording());
    click(view.shortcutRect()); // nothing while recording
    EXPECT_TRUE(view.isRecording());
    click(view.hintRect()); // cancels, the value stays
    EXPECT_FALSE(view.isRecording());
    EXPECT_EQ(view.shortcutValue(), MASShortcut(keys::K, Control));
    view.setShowsDeleteButton(false);
    click(view.hintRect()); // the hint strip still clears without its glyph
    EXPECT_FALSE(view.shortcutValue());
}

} // namespace
