// The main window: navigation selection, the content switch, its keyboard.
#include "ShellFixture.h"
#include "app/CustomMainWindow.h"
#include "app/CustomOrdinaryWindow.h"
#include "app/SettingsSwitch.h"
#include "app/SettingsView.h"
#include "app/ToolbarImageButton.h"
#include "app/ToolbarItemView.h"
#include "app/WSToolbarButtonLabel.h"
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
        ToolbarItemView* item = window->toolbarItem(itemID);
        ASSERT_NE(item, nullptr);
        QTest::mouseClick(item, Qt::LeftButton);
    }
    // Exactly one item is selected, and it is this one, in look and in state.
    void expectSelected(int itemID) {
        for (int id : {1, 2, 3}) {
            ToolbarItemView* item = window->toolbarItem(id);
            const bool selected = id == itemID;
            SCOPED_TRACE(id);
            EXPECT_EQ(item->itemSelected(), selected);
            EXPECT_EQ(item->imageView()->selected(), selected);
            EXPECT_EQ(item->itemLabel()->selected(), selected);
            EXPECT_DOUBLE_EQ(item->imageView()->opacity(), selected ? 1.0 : 0.6);
        }
    }
    void showActive() {
        window->show();
        window->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(window.get()));
    }

    std::unique_ptr<CustomMainWindow> window;
};

TEST_F(MainWindowTest, StartsOnTheCreatorAndAClickSelectsOnlyItsItemAndShowsItsScreen) {
    EXPECT_EQ(window->currentView(), window->creatorView());
    expectSelected(1);
    QSignalSpy announced(window.get(), &CustomMainWindow::itemSelected);
    for (int item : {3, 2, 1, 2, 3}) {
        SCOPED_TRACE(item);
        click(item);
        EXPECT_EQ(window->currentViewCode(), item);
        expectSelected(item);
        EXPECT_EQ(announced.takeLast().at(0).toInt(), item);
        if (item == 3)
            EXPECT_NE(qobject_cast<SettingsView*>(window->currentView()), nullptr);
        else
            EXPECT_EQ(window->currentView(),
                      item == 1 ? window->creatorView() : window->editorView());
    }
}

TEST_F(MainWindowTest, ConfigsIsBuiltOncePerVisitAndRereadsTheSettings) {
    click(3);
    QPointer<SettingsView> first = qobject_cast<SettingsView*>(window->currentView());
    ASSERT_FALSE(first.isNull());
    EXPECT_FALSE(first->hideAppsOption()->isChecked());
    click(3); // the selected item again: the same screen
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    ASSERT_FALSE(first.isNull());
    EXPECT_EQ(window->currentView(), first.data());
    expectSelected(3);

    settings.hideApps = QStringLiteral("1"); // changed elsewhere in the meantime
    click(1);                                // leaving frees it: one settings screen at most
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(first.isNull());
    EXPECT_TRUE(window->findChildren<SettingsView*>().isEmpty());
    click(3);
    auto* second = qobject_cast<SettingsView*>(window->currentView());
    ASSERT_NE(second, nullptr);
    EXPECT_TRUE(second->hideAppsOption()->isChecked());
}

TEST_F(MainWindowTest, EverySettingsTitleIsShownWholeAtTheSmallestWindowSize) {
    window->resize(window->minimumSize());
    showActive();
    click(3);
    auto* view = qobject_cast<SettingsView*>(window->currentView());
    ASSERT_NE(view, nullptr);
    QCoreApplication::processEvents();
    for (SettingsSwitch* button : view->findChildren<SettingsSwitch*>()) {
        SCOPED_TRACE(button->text().toStdString());
        EXPECT_GE(button->width(), button->sizeHint().width());
        EXPECT_TRUE(view->rect().contains(
            button->geometry().translated(button->parentWidget()->mapTo(view, QPoint(0, 0)))));
    }
}

TEST_F(MainWindowTest, TheCreatorKeepsTypedInputAcrossSwitches) {
    auto* creator = new QWidget;
    auto* name = new QLineEdit(creator);
    (new QVBoxLayout(creator))->addWidget(name);
    auto* editor = new QWidget;
    auto* chooser = new QComboBox(editor);
    editor->setFocusProxy(chooser);
    window->setScreenViews(creator, editor);
    EXPECT_EQ(window->currentView(), creator);
    showActive();

    QTest::keyClicks(name, QStringLiteral("Morning"));
    click(3);
    click(2);
    EXPECT_EQ(QApplication::focusWidget(), chooser);
    click(1);
    EXPECT_EQ(window->currentView(), creator);
    EXPECT_EQ(name->text(), "Morning");
}

TEST_F(MainWindowTest, CtrlWHidesCtrlQQuitsByKeyPositionOnEveryLayout) {
    using namespace x11keys;
    constexpr quint32 atQ = Q, atW = W, atZ = Z;
    constexpr auto tse = cyrillicTse, shortI = cyrillicShortI;
    const struct {
        const char* name;
        Qt::Key typed;
        Qt::KeyboardModifiers modifiers;
        quint32 position;
        bool hides;
        bool quits;
    } rows[] = {
        {"Ctrl-W", Qt::Key_W, Qt::ControlModifier, none, true, false},
        {"Ctrl-Q", Qt::Key_Q, Qt::ControlModifier, none, false, true},
        {"Ctrl-Shift-W", Qt::Key_W, Qt::ControlModifier | Qt::ShiftModifier, none, false, false},
        {"Ctrl-Super-Q", Qt::Key_Q, Qt::ControlModifier | Qt::MetaModifier, none, false, false},
        {"Alt-Q", Qt::Key_Q, Qt::AltModifier, none, false, false},
        {"W typed", Qt::Key_W, Qt::NoModifier, none, false, false},
        {"Ctrl-E", Qt::Key_E, Qt::ControlModifier, none, false, false},
        {"Russian: Ctrl+Ц where W is", tse, Qt::ControlModifier, atW, true, false},
        {"Russian: Ctrl+Й where Q is", shortI, Qt::ControlModifier, atQ, false, true},
        {"French: Ctrl+Z where W is", Qt::Key_Z, Qt::ControlModifier, atW, true, false},
        {"French: Ctrl+A where Q is", Qt::Key_A, Qt::ControlModifier, atQ, false, true},
        {"French: Ctrl+W where Z is", Qt::Key_W, Qt::ControlModifier, atZ, false, false},
        {"Russian: Ctrl+Shift+Ц", tse, Qt::ControlModifier | Qt::ShiftModifier, atW, false, false},
        {"Russian: Ц alone", tse, Qt::NoModifier, atW, false, false},
    };
    // Typed into a text field of the Creator, as a user would have it focused.
    auto* creator = new QWidget;
    auto* name = new QLineEdit(creator);
    (new QVBoxLayout(creator))->addWidget(name);
    window->setScreenViews(creator, nullptr);
    QSignalSpy quit(window.get(), &CustomMainWindow::quitRequested);
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        showActive();
        name->setFocus();
        press(name, row.typed, row.modifiers, row.position);
        EXPECT_EQ(window->isHidden(), row.hides);
        EXPECT_EQ(quit.size(), row.quits ? 1 : 0);
        quit.clear();
    }
}

TEST(OrdinaryWindowTest, CtrlWClosesItAndNothingElseDoes) {
    CustomOrdinaryWindow window;
    window.resize(200, 100);
    const std::pair<Qt::KeyboardModifiers, bool> rows[] = {
        {Qt::AltModifier, false},
        {Qt::ControlModifier | Qt::ShiftModifier, false},
        {Qt::NoModifier, false},
        {Qt::ControlModifier, true},
    };
    for (const auto& [modifiers, closes] : rows) {
        SCOPED_TRACE(int(modifiers));
        window.show();
        window.activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
        QTest::keyClick(&window, Qt::Key_W, modifiers);
        EXPECT_EQ(window.isHidden(), closes);
    }
}

} // namespace
} // namespace dexaro::test
