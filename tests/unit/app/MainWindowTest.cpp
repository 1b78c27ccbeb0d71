// The main window: navigation between its screens, the settings screen's
// lifetime, and its keyboard on every layout.
#include "ShellFixture.h"
#include "app/CustomMainWindow.h"
#include "app/CustomOrdinaryWindow.h"
#include "app/SettingsSwitch.h"
#include "app/SettingsView.h"
#include "app/ToolbarItemView.h"
#include "support/KeyPress.h"

#include <QApplication>
#include <QComboBox>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPointer>
#include <QSignalSpy>
#include <QTest>
#include <QVBoxLayout>

namespace dexaro::test {
namespace {

class MainWindowTest : public ShellFixture {
protected:
    void SetUp() override {
        ShellFixture::SetUp();
        window = std::make_unique<CustomMainWindow>(settings, *store, loginItem);
    }
    void TearDown() override {
        window.reset();
        ShellFixture::TearDown();
    }
    void click(int itemID) {
        ASSERT_NE(window->toolbarItem(itemID), nullptr);
        QTest::mouseClick(window->toolbarItem(itemID), Qt::LeftButton);
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }
    void showActive() {
        window->show();
        window->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(window.get()));
    }
    // A Creator with a text field, as the user types into it.
    QLineEdit* creatorWithField(QWidget* editor = nullptr) {
        auto* creator = new QWidget;
        auto* name = new QLineEdit(creator);
        (new QVBoxLayout(creator))->addWidget(name);
        window->setScreenViews(creator, editor);
        return name;
    }

    std::unique_ptr<CustomMainWindow> window;
};

TEST_F(MainWindowTest, EachItemShowsItsScreenSelectedAloneAndTheCreatorKeepsItsInput) {
    auto* editor = new QWidget;
    auto* chooser = new QComboBox(editor);
    editor->setFocusProxy(chooser);
    QLineEdit* name = creatorWithField(editor);
    ASSERT_NO_FATAL_FAILURE(showActive());
    QTest::keyClicks(name, QStringLiteral("Morning"));
    QSignalSpy announced(window.get(), &CustomMainWindow::itemSelected);
    for (int item : {3, 2, 1, 2, 3, 1}) {
        SCOPED_TRACE(item);
        click(item);
        EXPECT_EQ(window->currentViewCode(), item);
        EXPECT_EQ(announced.takeLast().at(0).toInt(), item);
        for (int id : {1, 2, 3})
            EXPECT_EQ(window->toolbarItem(id)->itemSelected(), id == item);
        if (item == 2) {
            EXPECT_EQ(QApplication::focusWidget(), chooser);
        }
        if (item == 3) {
            EXPECT_NE(qobject_cast<SettingsView*>(window->currentView()), nullptr);
        }
    }
    EXPECT_EQ(window->currentView(), name->parentWidget());
    EXPECT_EQ(name->text(), "Morning");
}

TEST_F(MainWindowTest, ConfigsIsOneScreenPerVisitThatRereadsTheSettings) {
    click(3);
    QPointer<SettingsView> first = qobject_cast<SettingsView*>(window->currentView());
    ASSERT_FALSE(first.isNull());
    EXPECT_FALSE(first->hideAppsOption()->isChecked());
    click(3); // the selected item again: the same screen
    EXPECT_EQ(window->currentView(), first.data());

    settings.hideApps = QStringLiteral("1"); // changed elsewhere in the meantime
    click(1);                                // leaving frees it: one settings screen at most
    EXPECT_TRUE(first.isNull());
    click(3);
    auto* view = qobject_cast<SettingsView*>(window->currentView());
    ASSERT_NE(view, nullptr);
    EXPECT_TRUE(view->hideAppsOption()->isChecked());
}

// A layout without Latin letters is left to the X11 test, which switches the real layout.
TEST_F(MainWindowTest, CtrlWHidesCtrlQQuitsByKeyPositionOnEveryLayout) {
    using namespace x11keys;
    constexpr quint32 atQ = Q, atW = W, atZ = Z;
    constexpr auto ctrl = Qt::ControlModifier;
    const struct {
        const char* name;
        Qt::Key typed;
        Qt::KeyboardModifiers modifiers;
        quint32 position;
        bool hides, quits;
    } rows[] = {
        {"Ctrl-W", Qt::Key_W, ctrl, none, true, false},
        {"Ctrl-Q", Qt::Key_Q, ctrl, none, false, true},
        {"Ctrl-Shift-W", Qt::Key_W, ctrl | Qt::ShiftModifier, none, false, false},
        {"Ctrl-Super-Q", Qt::Key_Q, ctrl | Qt::MetaModifier, none, false, false},
        {"Alt-Q", Qt::Key_Q, Qt::AltModifier, none, false, false},
        {"W typed", Qt::Key_W, Qt::NoModifier, none, false, false},
        {"French: Ctrl+Z where W is", Qt::Key_Z, ctrl, atW, true, false},
        {"French: Ctrl+A where Q is", Qt::Key_A, ctrl, atQ, false, true},
        {"French: Ctrl+W where Z is", Qt::Key_W, ctrl, atZ, false, false},
        {"French: Z alone", Qt::Key_Z, Qt::NoModifier, atW, false, false},
    };
    QLineEdit* name = creatorWithField(); // typed into a text field, as a user would
    QSignalSpy quit(window.get(), &CustomMainWindow::quitRequested);
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        ASSERT_NO_FATAL_FAILURE(showActive());
        name->setFocus();
        press(name, row.typed, row.modifiers, row.position);
        EXPECT_EQ(window->isHidden(), row.hides);
        EXPECT_EQ(quit.size(), row.quits ? 1 : 0);
        quit.clear();
    }
    CustomOrdinaryWindow ordinary; // only plain Ctrl-W closes it
    ordinary.resize(200, 100);
    for (Qt::KeyboardModifiers modifiers : std::initializer_list<Qt::KeyboardModifiers>{
             Qt::AltModifier, ctrl | Qt::ShiftModifier, ctrl}) {
        ordinary.show();
        ordinary.activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(&ordinary));
        QTest::keyClick(&ordinary, Qt::Key_W, modifiers);
        EXPECT_EQ(ordinary.isHidden(), modifiers == ctrl) << int(modifiers);
    }
}

} // namespace
} // namespace dexaro::test
