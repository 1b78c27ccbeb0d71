// The popover's settings icon and menu: the four commands in order, each
// closing the popover first; the icon's variant per appearance and its hover
// opacity; the popover dimmed while the menu is open.
#include "activation/CustomNSPopoverView.h"
#include "activation/SettingsMenuActions.h"
#include "activation/StatusBarItemViewController.h"
#include "activation/StatusbarSettingsImageButton.h"
#include "support/DesktopPalette.h"

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QEnterEvent>
#include <QMenu>
#include <QPainter>
#include <QPixmap>
#include <QTemporaryDir>
#include <QTest>
#include <gtest/gtest.h>

using namespace dexaro;

namespace {

class SettingsMenu : public ::testing::Test {
protected:
    void SetUp() override {
        const auto record = [this](const char* name) {
            return [this, name] {
                calls.append(QString::fromLatin1(name));
            };
        };
        controller.appDelegate.closePopover = record("close");
        controller.appDelegate.openMainWindow = record("main window");
        controller.appDelegate.checkForUpdates = record("update");
        controller.appDelegate.showAbout = record("about");
        controller.appDelegate.quit = record("quit");
        view = controller.view();
    }

    StatusBarItemViewController controller;
    CustomNSPopoverView* view = nullptr;
    QStringList calls;
};

TEST_F(SettingsMenu, OffersTheFourCommandsEachClosingThePopoverFirst) {
    QMenu* menu = controller.settingsMenu();
    ASSERT_TRUE(menu);
    EXPECT_EQ(menu->title(), QStringLiteral("Preferences"));
    const struct {
        QString title;
        QString command;
    } rows[] = {
        {QStringLiteral("Add \u2022 Edit \u2022 Settings"), QStringLiteral("main window")},
        {QStringLiteral("Check for update"), QStringLiteral("update")},
        {QStringLiteral("About"), QStringLiteral("about")},
        {QStringLiteral("Quit"), QStringLiteral("quit")},
    };
    const QList<QAction*> actions = menu->actions();
    ASSERT_EQ(actions.size(), qsizetype(std::size(rows)));
    for (size_t i = 0; i < std::size(rows); ++i) {
        SCOPED_TRACE(rows[i].title.toStdString());
        EXPECT_EQ(actions[i]->text(), rows[i].title);
        EXPECT_TRUE(actions[i]->isEnabled());
        calls.clear();
        actions[i]->trigger();
        EXPECT_EQ(calls, (QStringList{QStringLiteral("close"), rows[i].command}));
    }
}

TEST_F(SettingsMenu, EmptyCommandsOnlyCloseThePopover) {
    StatusBarHost host;
    int closes = 0;
    host.closePopover = [&closes] {
        ++closes;
    };
    QMenu menu;
    for (QAction* action : SettingsMenuActions::addTo(&menu, host))
        action->trigger();
    EXPECT_EQ(closes, 4);
}

TEST_F(SettingsMenu, TheIconIsANamedButtonInItsCorner) {
    StatusbarSettingsImageButton* icon = controller.settingsIcon();
    ASSERT_TRUE(icon);
    EXPECT_EQ(icon->geometry(), QRect(10, 10, 25, 25));
    EXPECT_EQ(icon->accessibleName(), QStringLiteral("Preferences"));
    EXPECT_EQ(icon->opacity(), StatusbarSettingsImageButton::restingOpacity);
    QEnterEvent enter(QPointF(5, 5), QPointF(5, 5), QPointF(5, 5));
    QApplication::sendEvent(icon, &enter);
    EXPECT_EQ(icon->opacity(), 1.0);
    QEvent leave(QEvent::Leave);
    QApplication::sendEvent(icon, &leave);
    EXPECT_EQ(icon->opacity(), 0.5);
}

TEST_F(SettingsMenu, TheIconShowsTheVariantThatContrastsWithTheAppearance) {
    const struct {
        QColor window;
        const char* shown;
    } rows[] = {
        {QColor(0xF0, 0xF0, 0xF0), ":/images/settings-gears-icon_dark.svg"},
        {QColor(0x20, 0x20, 0x20), ":/images/settings-gears-icon_light.svg"},
    };
    for (const auto& row : rows) {
        test::DesktopPalette palette(row.window);
        EXPECT_EQ(controller.settingsIcon()->shownImage(), QString::fromLatin1(row.shown));
    }
}

TEST_F(SettingsMenu, AMissingVariantLeavesTheAssetItself) {
    QTemporaryDir dir;
    QFile(QStringLiteral(":/images/settings-gears-icon.svg"))
        .copy(dir.filePath(QStringLiteral("gear.svg")));
    QFile(QStringLiteral(":/images/settings-gears-icon_light.svg"))
        .copy(dir.filePath(QStringLiteral("gear_light.svg")));
    StatusbarSettingsImageButton icon(QStringLiteral("gear"), nullptr, dir.path() + '/');
    EXPECT_EQ(icon.darkModeNormalImage(), dir.filePath(QStringLiteral("gear_light.svg")));
    EXPECT_EQ(icon.lightModeNormalImage(), dir.filePath(QStringLiteral("gear.svg")));
}

TEST_F(SettingsMenu, ThePopoverDimsWhileTheMenuIsOpen) {
    view->show();
    controller.showPreferencesMenu();
    ASSERT_TRUE(controller.settingsMenu()->isVisible());
    EXPECT_DOUBLE_EQ(controller.popoverOpacity(), 0.3);
    const QRect icon = controller.settingsIcon()->geometry();
    EXPECT_EQ(controller.settingsMenu()->pos(),
              view->mapToGlobal(QPoint(icon.right() + 11, icon.bottom() + 1)));
    controller.settingsMenu()->hide();
    EXPECT_DOUBLE_EQ(controller.popoverOpacity(), 1.0);
    view->hide();
}

} // namespace

namespace {

// Pictures of the popover with its settings menu open, light and dark, for the
// documentation; written only when DEXARO_SCREENSHOT_DIR names a folder.
TEST(SettingsMenuScreenshots, LightAndDark) {
    const QString folder = qEnvironmentVariable("DEXARO_SCREENSHOT_DIR");
    if (folder.isEmpty())
        GTEST_SKIP() << "set DEXARO_SCREENSHOT_DIR to write the pictures";
    const auto write = [&](const QString& name) {
        StatusBarItemViewController controller;
        CustomNSPopoverView* root = controller.view();
        root->setFixedSize(StatusBarItemViewController::viewWidth, 240);
        root->move(0, 0);
        root->show();
        QCoreApplication::processEvents();
        const QPixmap popover = root->grab(); // before the menu dims it
        controller.showPreferencesMenu();
        QCoreApplication::processEvents();
        QMenu* menu = controller.settingsMenu();
        const QPoint menuAt = menu->pos() - root->pos();
        QPixmap picture(QSize(qMax(root->width(), menuAt.x() + menu->width()),
                              qMax(root->height(), menuAt.y() + menu->height())));
        picture.fill(QApplication::palette().color(QPalette::Window)); // the desktop behind
        QPainter painter(&picture);
        painter.setOpacity(controller.popoverOpacity());
        painter.drawPixmap(0, 0, popover);
        painter.setOpacity(1.0);
        painter.drawPixmap(menuAt, menu->grab());
        painter.end();
        menu->hide();
        root->hide();
        ASSERT_TRUE(picture.save(QDir(folder).filePath(name)));
    };
    write(QStringLiteral("settings-menu-light.png"));
    test::DesktopPalette dark(test::darkDesktopPalette());
    write(QStringLiteral("settings-menu-dark.png"));
}

} // namespace
