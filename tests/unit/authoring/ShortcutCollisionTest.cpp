// A combination is one workspace's: the recorders of both screens refuse one
// that another workspace uses, naming it, and Dexaro's own hot keys let go of
// their keys while a recorder records.
#include "AuthoringFixture.h"
#include "shortcuts/MASShortcutMonitor.h"
#include "support/KeyPress.h"

namespace dexaro::test {
namespace {

using ShortcutCollision = AuthoringFixture;

// X11 key codes (evdev + 8): A, S and K; Escape.
constexpr quint32 scanA = 38, scanS = 39, scanK = 45, scanEscape = 9;
constexpr auto ctrlAlt = Qt::ControlModifier | Qt::AltModifier;

TEST_F(ShortcutCollision, AnotherWorkspacesCombinationIsRefusedWithItsName) {
    // Seeded: Home Ctrl+Alt+A, Office Ctrl+Alt+S, Games Ctrl+Alt+D.
    ASSERT_EQ(hotKeys.registered.size(), 3);
    select(int(popUpTitles().indexOf("Office")));
    MASShortcutView* recorder = editor->shortcutView();
    recorder->setRecording(true);
    EXPECT_TRUE(hotKeys.registered.isEmpty()) << "the hot keys still hold their keys";

    press(recorder, Qt::Key_A, ctrlAlt, scanA);
    ASSERT_EQ(alerts.shown.size(), 1);
    EXPECT_TRUE(alerts.shown[0].informative.contains("\u201cHome\u201d"))
        << qPrintable(alerts.shown[0].informative);
    EXPECT_TRUE(recorder->isRecording());
    EXPECT_EQ(recorder->shortcutValue(), shortcut(1)) << "Office keeps its own";
    // Its own combination is no collision.
    press(recorder, Qt::Key_S, ctrlAlt, scanS);
    EXPECT_FALSE(recorder->isRecording());
    EXPECT_EQ(alerts.shown.size(), 1);
    EXPECT_EQ(hotKeys.registered.size(), 3) << "the hot keys take their keys back";

    // The Creator's recorder, for a workspace not stored yet.
    alerts.shown.clear();
    recorder = creator->shortcutView();
    recorder->setRecording(true);
    press(recorder, Qt::Key_S, ctrlAlt, scanS);
    ASSERT_EQ(alerts.shown.size(), 1);
    EXPECT_TRUE(alerts.shown[0].informative.contains("\u201cOffice\u201d"));
    press(recorder, Qt::Key_K, ctrlAlt, scanK);
    EXPECT_FALSE(recorder->isRecording());
    EXPECT_EQ(alerts.shown.size(), 1);
    ASSERT_TRUE(recorder->shortcutValue());
    EXPECT_EQ(recorder->shortcutValue()->keyCode(), 40u); // K

    // Cancelled, and a recorder gone while recording: the keys come back.
    recorder->setRecording(true);
    press(recorder, Qt::Key_Escape, {}, scanEscape);
    EXPECT_EQ(hotKeys.registered.size(), 3);
    editor->shortcutView()->setRecording(true);
    EXPECT_TRUE(shared.shortcutMonitor().isSuspended());
    editor.reset();
    EXPECT_FALSE(shared.shortcutMonitor().isSuspended());
    EXPECT_EQ(hotKeys.registered.size(), 3);
}

} // namespace
} // namespace dexaro::test
