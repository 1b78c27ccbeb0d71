// The main window: navigation between its screens, the settings screen's
// lifetime, and its keyboard on every layout.
#include "ShellFixture.h"
#include "app/CustomMainWindow.h"
#include "app/SettingsSwitch.h"
#include "app/SettingsView.h"
#include "app/ToolbarItemView.h"
#include "support/KeyPress.h"

#include <QApplication>
#include <QComboBox>
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
        // A Creator with a text field, as the user types into it.
        auto* creator = new QWidget;
        name = new QLineEdit(creator);
        (new QVBoxLayout(creator))->addWidget(name);
        auto* editor = new QWidget;
        chooser = new QComboBox(editor);
        editor->setFocusProxy(chooser);
        window->setScreenViews(creator, editor);
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

    std::unique_ptr<CustomMainWindow> window;
    QLineEdit* name = nullptr;
    QComboBox* chooser = nullptr;
};

TEST_F(MainWindowTest, EachItemShowsItsScreenAloneTheCreatorKeepsItsInputAndSettingsAreReread) {
    ASSERT_NO_FATAL_FAILURE(showActive());
    QTest::keyClicks(name, QStringLiteral("Morning"));
    click(3);
    QPointer<SettingsView> first = qobject_cast<SettingsView*>(window->currentView());
    ASSERT_FALSE(first.isNull());
    EXPECT_FALSE(first->hideAppsOption()->isChecked());
    click(3); // the selected item again: the same screen
    EXPECT_EQ(window->currentView(), first.data());

    click(2);
    EXPECT_EQ(QApplication::focusWidget(), chooser);
    EXPECT_TRUE(first.isNull()) << "leaving frees it: one settings screen at most";
    settings.hideApps = QStringLiteral("1"); // changed elsewhere in the meantime
    click(3);
    auto* view = qobject_cast<SettingsView*>(window->currentView());
    ASSERT_NE(view, nullptr);
    EXPECT_TRUE(view->hideAppsOption()->isChecked());

    click(1);
    EXPECT_EQ(window->currentView(), name->parentWidget());
    EXPECT_EQ(name->text(), "Morning");
    for (int id : {1, 2, 3})
        EXPECT_EQ(window->toolbarItem(id)->itemSelected(), id == 1) << id;
}

// A key typed where W or Q is on another layout (hide, quit) is the X11 test's,
// which switches the real layout; here what must not fire.
TEST_F(MainWindowTest, CtrlWHidesCtrlQQuitsByKeyPositionOnEveryLayout) {
    using namespace x11keys;
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
        {"W typed", Qt::Key_W, Qt::NoModifier, none, false, false},
        {"French: Ctrl+W where Z is", Qt::Key_W, ctrl, Z, false, false},
    };
    QSignalSpy quit(window.get(), &CustomMainWindow::quitRequested);
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        ASSERT_NO_FATAL_FAILURE(showActive());
        name->setFocus(); // typed into a text field, as a user would
        press(name, row.typed, row.modifiers, row.position);
        EXPECT_EQ(window->isHidden(), row.hides);
        EXPECT_EQ(quit.size(), row.quits ? 1 : 0);
        quit.clear();
    }
}

} // namespace
} // namespace dexaro::test
