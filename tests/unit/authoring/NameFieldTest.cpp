// The workspace name: its length rule, the name field's editing keys, and the
// warning shown beside the focused field.
#include "app/WindowShortcuts.h"
#include "authoring/NameChecks.h"
#include "authoring/WSNameCheckerPopover.h"
#include "authoring/WSTextField.h"
#include "support/KeyPress.h"
#include "support/QtPrinters.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QTest>
#include <gtest/gtest.h>

namespace dexaro::test {
namespace {

TEST(NameChecks, LengthCountsWhatTheUserSeesAroundTheLimit) {
    const QString family = QStringLiteral("👨‍👩‍👧‍👦"),
                  accented = QStringLiteral("e\u0301\u0323");
    const struct {
        const char* name;
        QString text;
        int length;
        bool tooLong;
    } cases[] = {
        {"ZWJ families", family.repeated(40), 40, false},
        {"combining marks", accented.repeated(41), 41, true},
        {"blank ends", "  " + QString(40, u'b') + "\n ", 44, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(userPerceivedLength(c.text), c.length);
        EXPECT_EQ(isWorkspaceNameTooLong(c.text), c.tooLong);
    }
}

// A name field with text "hello world", "world" selected and "pasted" on the
// clipboard, in a window whose Ctrl-W and Ctrl-Q are counted.
class NameFieldTest : public ::testing::Test {
protected:
    void SetUp() override {
        window.resize(800, 600);
        field = new WSTextField(&window);
        field->setGeometry(20, 120, 200, 28);
        addWindowShortcut(&window, QKeySequence(Qt::CTRL | Qt::Key_W), [this] { ++closes; });
        addWindowShortcut(&window, QKeySequence(Qt::CTRL | Qt::Key_Q), [this] { ++quits; });
        window.show();
        window.activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
        field->setFocus();
    }
    void reset() {
        field->setText(QStringLiteral("hello world"));
        field->setSelection(6, 5);
        QGuiApplication::clipboard()->setText(QStringLiteral("pasted"));
        closes = quits = 0;
    }
    QWidget window;
    WSTextField* field;
    int closes = 0, quits = 0;
};

TEST_F(NameFieldTest, EditingKeysGoByKeyPositionWithExactlyTheirModifiers) {
    using namespace x11keys;
    constexpr auto ctrl = Qt::ControlModifier, shift = Qt::ShiftModifier;
    const struct {
        const char* name;
        Qt::Key typed;
        Qt::KeyboardModifiers modifiers;
        quint32 position;
        const char *text, *selected, *clipboard;
        int closes, quits;
    } cases[] = {
        {"French: Ctrl+Q where A is", Qt::Key_Q, ctrl, A, "hello world", "hello world", "pasted", 0,
         0},
        {"Russian: Ctrl+Ф", cyrillicEf, ctrl, A, "hello world", "hello world", "pasted", 0, 0},
        {"French: Ctrl+A where Q is", Qt::Key_A, ctrl, Q, "hello world", "world", "pasted", 0, 1},
        {"Ctrl-C", Qt::Key_C, ctrl, C, "hello world", "world", "world", 0, 0},
        {"Ctrl-X", Qt::Key_X, ctrl, X, "hello ", "", "world", 0, 0},
        {"Ctrl-V", Qt::Key_V, ctrl, V, "hello pasted", "", "pasted", 0, 0},
        {"Ctrl-Shift-V", Qt::Key_V, ctrl | shift, V, "hello world", "world", "pasted", 0, 0},
        {"Ctrl-W", Qt::Key_W, ctrl, W, "hello world", "world", "pasted", 1, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        reset();
        press(field, c.typed, c.modifiers, c.position);
        EXPECT_EQ(field->text(), c.text);
        EXPECT_EQ(field->selectedText(), c.selected);
        EXPECT_EQ(QGuiApplication::clipboard()->text(), c.clipboard);
        EXPECT_EQ(closes, c.closes);
        EXPECT_EQ(quits, c.quits);
    }
}

TEST_F(NameFieldTest, TheWarningNeverTakesTheFocus) {
    WSNameCheckerPopover warning(&window);
    warning.showBeside(field);
    ASSERT_TRUE(warning.isShown());
    QTest::keyClicks(field, QStringLiteral("abc"));
    EXPECT_EQ(QApplication::focusWidget(), field);
    EXPECT_EQ(QApplication::activeWindow(), &window);
    EXPECT_TRUE(field->text().endsWith("abc"));
}

} // namespace
} // namespace dexaro::test
