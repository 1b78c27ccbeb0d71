// Pictures for the documentation, light and dark: the popover with rows off,
// busy and on, and the popover with its settings menu open. Written only when
// DEXARO_SCREENSHOT_DIR names a folder (filter PopoverScreenshots.* and
// SettingsMenuScreenshots.*).
#include "PopoverFixture.h"
#include "activation/ActivationPulse.h"
#include "activation/BusySpinner.h"
#include "activation/CustomNSPopoverView.h"
#include "activation/StatusBarItemViewController.h"
#include "support/DesktopPalette.h"

#include <QDir>
#include <QMenu>
#include <QPainter>
#include <QPixmap>
#include <QScrollArea>

using namespace dexaro;
using namespace dexaro::test;

namespace {

// Writes <name>-light.png and <name>-dark.png of what `picture` draws of a shown popover.
void writeLightAndDark(const char* name, int height,
                       const std::function<QPixmap(StatusBarItemViewController&)>& picture) {
    const QString folder = qEnvironmentVariable("DEXARO_SCREENSHOT_DIR");
    if (folder.isEmpty())
        GTEST_SKIP() << "set DEXARO_SCREENSHOT_DIR to write the pictures";
    for (const bool dark : {false, true}) {
        std::optional<DesktopPalette> palette;
        if (dark)
            palette.emplace(darkDesktopPalette());
        StatusBarItemViewController controller;
        CustomNSPopoverView* root = controller.view();
        root->setFixedSize(StatusBarItemViewController::viewWidth, height);
        root->move(0, 0);
        root->show();
        QCoreApplication::processEvents();
        const QString file = QStringLiteral("%1-%2.png").arg(name, dark ? "dark" : "light");
        EXPECT_TRUE(picture(controller).save(QDir(folder).filePath(file)));
        root->hide();
    }
}

TEST(PopoverScreenshots, LightAndDark) {
    writeLightAndDark("popover", 300, [](StatusBarItemViewController& controller) {
        controller.scrollView()->resize(controller.scrollView()->width(), 300 - 2);
        StatusBarPopoverCollectionView* list = controller.wsListCollectionView();
        const char* names[] = {"Writing", "Morning mail and calendar", "Development",
                               "Research: papers, notes and the reference manager", "Evening"};
        list->wsList.clear();
        for (int i = 0; i < 5; ++i)
            list->wsList.append(workspace(QString::number(i + 1), names[i], {}));
        list->records().setState(QStringLiteral("2"), ItemStateEnum::runningApp);
        list->records().setState(QStringLiteral("3"), ItemStateEnum::active);
        list->records().setState(QStringLiteral("4"), ItemStateEnum::active);
        list->reloadData();
        QCoreApplication::processEvents();
        // Freeze the animations at telling moments.
        list->itemForWorkspace("2")->spinnerIndicator()->animation().setCurrentProgress(0.3);
        for (const char* id : {"3", "4"})
            list->itemForWorkspace(id)
                ->wsActivationIndicatorAnimationView()
                ->animation()
                .setCurrentProgress(0.45);
        return controller.view()->grab();
    });
}

TEST(SettingsMenuScreenshots, LightAndDark) {
    writeLightAndDark("settings-menu", 240, [](StatusBarItemViewController& controller) {
        CustomNSPopoverView* root = controller.view();
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
        return picture;
    });
}

} // namespace
