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
// clipboard, in a window whose Ctrl-Q is noted as it fires (Ctrl-W in a
// field is MainWindowTest's).
class NameFieldTest : public ::testing::Test {
protected:
    void SetUp() override {
        window.resize(800, 600);
        field = new WSTextField(&window);
        field->setGeometry(20, 120, 200, 28);
        addWindowShortcut(&window, QKeySequence(Qt::CTRL | Qt::Key_Q), [this] { fired += 'Q'; });
        window.show();
        window.activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
        field->setFocus();
    }
    void reset() {
        field->setText(QStringLiteral("hello world"));
        field->setSelection(6, 5);
        QGuiApplication::clipboard()->setText(QStringLiteral("pasted"));
        fired.clear();
    }
    QWidget window;
    WSTextField* field;
    QString fired;
};

TEST_F(NameFieldTest, EditingKeysGoByKeyPositionWithExactlyTheirModifiers) {
    using namespace x11keys;
    constexpr auto ctrl = Qt::ControlModifier, shift = Qt::ShiftModifier;
    const struct {
        const char* name;
        Qt::Key typed;
        Qt::KeyboardModifiers modifiers;
        quint32 position;
        QString outcome; // text|selected|clipboard|window shortcuts fired
    } cases[] = {
        {"French: Ctrl+Q where A is", Qt::Key_Q, ctrl, A, "hello world|hello world|pasted|"},
        {"Russian: Ctrl+Ф", cyrillicEf, ctrl, A, "hello world|hello world|pasted|"},
        {"French: Ctrl+A where Q is", Qt::Key_A, ctrl, Q, "hello world|world|pasted|Q"},
        {"Ctrl-X", Qt::Key_X, ctrl, X, "hello ||world|"},
        {"Ctrl-V", Qt::Key_V, ctrl, V, "hello pasted||pasted|"},
        {"Ctrl-Shift-V", Qt::Key_V, ctrl | shift, V, "hello world|world|pasted|"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        reset();
        press(field, c.typed, c.modifiers, c.position);
        EXPECT_EQ(QStringList({field->text(), field->selectedText(),
                               QGuiApplication::clipboard()->text(), fired})
                      .join('|'),
                  c.outcome);
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
