// The workspace name: its length rules, the name field's editing keys, and the
// popovers shown over the focused field (the name warning, the link lists).
#include "app/WindowShortcuts.h"
#include "authoring/LinkListView.h"
#include "authoring/LinkPopover.h"
#include "authoring/NameChecks.h"
#include "authoring/WSNameCheckerPopover.h"
#include "authoring/WSTextField.h"
#include "support/KeyPress.h"
#include "support/QtPrinters.h"

#include <QAccessible>
#include <QClipboard>
#include <QGuiApplication>
#include <QPointer>
#include <QPushButton>
#include <QTest>
#include <gtest/gtest.h>

namespace dexaro::test {
namespace {

TEST(NameChecks, LengthCountsWhatTheUserSeesAroundTheLimit) {
    const QString flag = QStringLiteral("🇫🇷"), family = QStringLiteral("👨‍👩‍👧‍👦");
    const QString thumb = QStringLiteral("👍🏽"), accented = QStringLiteral("e\u0301\u0323");
    const struct {
        const char* name;
        QString text;
        int length;
        bool tooLong;
    } cases[] = {
        {"ASCII", QString(40, u'a'), 40, false},
        {"ASCII", QString(41, u'a'), 41, true},
        {"flags", flag.repeated(40), 40, false},
        {"ZWJ families", family.repeated(41), 41, true},
        {"skin tones", thumb.repeated(40), 40, false},
        {"combining marks", accented.repeated(41), 41, true},
        {"CJK", QStringLiteral("語").repeated(40), 40, false},
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
    constexpr auto ctrl = Qt::ControlModifier, shift = Qt::ShiftModifier, alt = Qt::AltModifier;
    const struct {
        const char* name;
        Qt::Key typed;
        Qt::KeyboardModifiers modifiers;
        quint32 position;
        const char *text, *selected, *clipboard;
        int closes, quits;
    } cases[] = {
        {"Ctrl-A, offscreen", Qt::Key_A, ctrl, none, "hello world", "hello world", "pasted", 0, 0},
        {"French: Ctrl+Q where A is", Qt::Key_Q, ctrl, A, "hello world", "hello world", "pasted", 0,
         0},
        {"Russian: Ctrl+Ф", cyrillicEf, ctrl, A, "hello world", "hello world", "pasted", 0, 0},
        {"French: Ctrl+A where Q is", Qt::Key_A, ctrl, Q, "hello world", "world", "pasted", 0, 1},
        {"Ctrl-C", Qt::Key_C, ctrl, C, "hello world", "world", "world", 0, 0},
        {"Ctrl-X", Qt::Key_X, ctrl, X, "hello ", "", "world", 0, 0},
        {"Ctrl-V", Qt::Key_V, ctrl, V, "hello pasted", "", "pasted", 0, 0},
        {"Ctrl-Alt-C", Qt::Key_C, ctrl | alt, C, "hello world", "world", "pasted", 0, 0},
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

TEST_F(NameFieldTest, CtrlZUndoesAndCtrlShiftZRedoes) {
    field->clear();
    QTest::keyClicks(field, QStringLiteral("Morning"));
    press(field, Qt::Key_Z, Qt::ControlModifier, x11keys::Z);
    EXPECT_NE(field->text(), "Morning");
    press(field, Qt::Key_Z, Qt::ControlModifier | Qt::ShiftModifier, x11keys::Z);
    EXPECT_EQ(field->text(), "Morning");
}

TEST_F(NameFieldTest, TheWarningShowsOnceBesideTheFieldAndNeverTakesTheFocus) {
    WSNameCheckerPopover warning(&window);
    warning.showBeside(field);
    ASSERT_TRUE(warning.isShown());
    const QRect card = warning.cardGeometry();
    EXPECT_EQ(card.left(), field->geometry().right() + 1 + 5);
    EXPECT_NEAR(card.center().y(), field->geometry().center().y(), 1);
    EXPECT_EQ(QAccessible::queryAccessibleInterface(&warning)->role(), QAccessible::AlertMessage);

    field->move(20, 140);
    warning.showBeside(field); // shown: nothing happens
    EXPECT_EQ(warning.cardGeometry(), card);
    QTest::keyClicks(field, QStringLiteral("abc"));
    EXPECT_EQ(QApplication::focusWidget(), field);
    EXPECT_EQ(QApplication::activeWindow(), &window);
    EXPECT_TRUE(field->text().endsWith("abc"));

    warning.closePopover();
    EXPECT_FALSE(warning.isShown());
    field->setGeometry(580, 120, 200, 28); // no room on its right: below it
    warning.showBeside(field);
    EXPECT_EQ(warning.cardGeometry().top(), field->geometry().bottom() + 1 + 5);
    EXPECT_EQ(QApplication::focusWidget(), field);
}

// Below its button, inside the window (above it without room below); it takes
// no focus and stays open until toggled; it goes with its button.
TEST_F(NameFieldTest, TheLinkPopoverOpensBelowItsButtonInsideTheWindowAndStaysOpenUntilToggled) {
    auto* anchor = new QPushButton(QStringLiteral("Add URLs"), &window);
    QPointer<LinkPopover> popover = new LinkPopover(LinkKind::url, anchor);
    anchor->show();
    const int left = anchor->rect().center().x() - 170, below = anchor->height() + 4;
    const struct {
        QPoint button;
        QPoint card;
    } cases[] = {
        {{300, 40}, {300 + left, 40 + below}},
        {{760, 40}, {800 - 340, 40 + below}},
        {{300, 500}, {300 + left, 500 - 4 - 420}},
    };
    for (const auto& c : cases) {
        anchor->move(c.button);
        popover->toggle(anchor);
        popover->addButton()->click();
        QTest::mouseClick(field, Qt::LeftButton); // elsewhere in the window
        EXPECT_TRUE(popover->isShown());
        EXPECT_EQ(popover->cardGeometry(), QRect(c.card, LinkPopover::cardSize));
        EXPECT_EQ(QApplication::focusWidget(), field);
        popover->toggle(anchor);
        EXPECT_FALSE(popover->isShown());
    }
    EXPECT_EQ(popover->list()->rowCount(), 3); // closing keeps them
    delete anchor;
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(popover.isNull());
}

} // namespace
} // namespace dexaro::test
