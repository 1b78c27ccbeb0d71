// Writes the README's pictures, light and dark, into the folder named on the
// command line: the main window on its Configs screen, the popover with rows
// off, busy and on, the popover with its settings menu open, and the about
// window.
//   QT_QPA_PLATFORM=offscreen build/bin/dexaro-screenshots docs
#include "activation/ActivationPulse.h"
#include "activation/BusySpinner.h"
#include "activation/CustomNSPopoverView.h"
#include "activation/StatusBarItemViewController.h"
#include "activation/StatusBarPopoverCollectionView.h"
#include "activation/StatusBarPopoverCollectionViewItem.h"
#include "app/AboutWindow.h"
#include "app/CustomMainWindow.h"
#include "app/ToolbarItemView.h"
#include "model/AppSettings.h"
#include "model/WorkspaceStore.h"
#include "support/DesktopPalette.h"
#include "support/RecordingAlerts.h"
#include "support/ShellFakes.h"

#include <QApplication>
#include <QDir>
#include <QMenu>
#include <QPainter>
#include <QPixmap>
#include <QScrollArea>
#include <QTemporaryDir>
#include <cstdio>
#include <functional>
#include <optional>

using namespace dexaro;

namespace {

using Picture = std::function<QPixmap()>;

// The popover, shown at the given height, as `draw` leaves it.
QPixmap popoverPicture(int height,
                       const std::function<QPixmap(StatusBarItemViewController&)>& draw) {
    StatusBarItemViewController controller;
    CustomNSPopoverView* root = controller.view();
    root->setFixedSize(StatusBarItemViewController::viewWidth, height);
    root->move(0, 0);
    root->show();
    QCoreApplication::processEvents();
    const QPixmap picture = draw(controller);
    root->hide();
    return picture;
}

QPixmap popoverRows() {
    return popoverPicture(300, [](StatusBarItemViewController& controller) {
        controller.scrollView()->resize(controller.scrollView()->width(), 300 - 2);
        StatusBarPopoverCollectionView* list = controller.wsListCollectionView();
        const char* names[] = {"Writing", "Morning mail and calendar", "Development",
                               "Research: papers, notes and the reference manager", "Evening"};
        list->wsList.clear();
        for (int i = 0; i < 5; ++i) {
            auto model = std::make_shared<WSListModel>();
            model->wsID = QString::number(i + 1);
            model->wsName = QString::fromUtf8(names[i]);
            list->wsList.append(model);
        }
        list->records().setState(QStringLiteral("2"), ItemStateEnum::runningApp);
        list->records().setState(QStringLiteral("3"), ItemStateEnum::active);
        list->records().setState(QStringLiteral("4"), ItemStateEnum::active);
        list->reloadData();
        QCoreApplication::processEvents();
        // The animations frozen at telling moments.
        list->itemForWorkspace("2")->spinnerIndicator()->animation().setCurrentProgress(0.3);
        for (const char* id : {"3", "4"})
            list->itemForWorkspace(id)
                ->wsActivationIndicatorAnimationView()
                ->animation()
                .setCurrentProgress(0.45);
        return controller.view()->grab();
    });
}

QPixmap settingsMenu() {
    return popoverPicture(240, [](StatusBarItemViewController& controller) {
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

// Over a store of its own, one option switched on, Configs picked as by a click.
QPixmap configs() {
    QTemporaryDir dir;
    dexaro::test::RecordingAlerts alerts;
    auto context =
        WorkspaceStore::openStore(dir.filePath(QStringLiteral("Dexaro.sqlite")), nullptr);
    if (!context)
        return {};
    WorkspaceStore store(*context, alerts);
    AppSettings settings;
    settings.forceTerminate = settings.createNewInstance = QStringLiteral("0");
    settings.runAtLogin = settings.hideApps = QStringLiteral("1");
    dexaro::test::FakeLoginItem loginItem;
    CustomMainWindow window(settings, store, loginItem);
    window.resize(1100, 640);
    window.toolbarItem(CustomMainWindow::SettingsScreen)->select();
    window.show();
    window.setFocus(); // no focus ring on the first switch
    QCoreApplication::processEvents();
    return window.grab();
}

QPixmap about() {
    AboutWindow window;
    window.show();
    return window.grab();
}

} // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    const QStringList arguments = QCoreApplication::arguments();
    if (arguments.size() != 2) {
        std::fprintf(stderr, "usage: dexaro-screenshots FOLDER\n");
        return 2;
    }
    const QDir folder(arguments[1]);
    if (!folder.exists() && !QDir().mkpath(folder.path())) {
        std::fprintf(stderr, "cannot make the folder %s\n", qPrintable(folder.path()));
        return 1;
    }
    const std::pair<const char*, Picture> pictures[] = {{"main-window-configs", configs},
                                                        {"popover", popoverRows},
                                                        {"settings-menu", settingsMenu},
                                                        {"about", about}};
    int status = 0;
    for (const bool dark : {false, true}) {
        std::optional<dexaro::test::DesktopPalette> palette;
        if (dark)
            palette.emplace(dexaro::test::darkDesktopPalette());
        for (const auto& [name, picture] : pictures) {
            const QString file =
                folder.filePath(QStringLiteral("%1-%2.png").arg(name, dark ? "dark" : "light"));
            if (!picture().save(file)) {
                std::fprintf(stderr, "cannot write %s\n", qPrintable(file));
                status = 1;
            }
        }
    }
    return status;
}
