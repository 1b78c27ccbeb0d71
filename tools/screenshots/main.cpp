// Writes the README's pictures, light and dark, into the folder named on the
// command line: the main window on its Configs screen, the popover with rows
// off, busy and on, the popover with its settings menu open, and the about
// window, the Creator and the Editor at the window size of a 1366 x 768 and
// of a 2560 x 1440 screen, and the placement picker with monitors and desktops.
//   QT_QPA_PLATFORM=offscreen build/bin/dexaro-screenshots docs
#include "activation/ActivationPulse.h"
#include "activation/CustomNSPopoverView.h"
#include "activation/StatusBarItemViewController.h"
#include "activation/StatusBarPopoverCollectionView.h"
#include "activation/StatusBarPopoverCollectionViewItem.h"
#include "activation/WorkspaceActivation.h"
#include "app/AboutWindow.h"
#include "app/AppDelegate.h"
#include "app/CustomMainWindow.h"
#include "app/SharedObjects.h"
#include "app/ToolbarItemView.h"
#include "authoring/AppIconLoader.h"
#include "authoring/AppListCollectionView.h"
#include "authoring/AuthoringContext.h"
#include "authoring/InstalledAppsScanner.h"
#include "authoring/WSCreatorViewController.h"
#include "authoring/WSEditorViewController.h"
#include "authoring/WSTextField.h"
#include "model/AppSettings.h"
#include "model/WorkspaceStore.h"
#include "platform/ObjectStore.h"
#include "platform/Platform.h"
#include "platform/Popover.h"
#include "platform/UserDefaults.h"
#include "positioning/AllPositionsHolder.h"
#include "positioning/PositionsDBManager.h"
#include "positioning/PositionsPopover.h"
#include "positioning/WSCreatorPositionManager.h"
#include "shortcuts/MASShortcutBinder.h"
#include "shortcuts/MASShortcutMonitor.h"
#include "shortcuts/MASShortcutValidator.h"
#include "shortcuts/MASShortcutView.h"
#include "style/BusySpinner.h"
#include "support/AppFolderTree.h"
#include "support/DesktopPalette.h"
#include "support/FolderDesktopEntries.h"
#include "support/RecordingAlerts.h"
#include "support/ShellFakes.h"

#include <QApplication>
#include <QComboBox>
#include <QDeadlineTimer>
#include <QDir>
#include <QImage>
#include <QMenu>
#include <QPainter>
#include <QPixmap>
#include <QScrollArea>
#include <QTemporaryDir>
#include <QUrl>
#include <cstdio>
#include <functional>
#include <optional>

using namespace dexaro;

namespace {

using Picture = std::function<QPixmap()>;

// The popover, shown at the given height, as `draw` leaves it.
QPixmap popoverPicture(int height,
                       const std::function<QPixmap(StatusBarItemViewController&)>& draw) {
    WorkspaceActivation activation{{}};
    StatusBarItemViewController controller(activation);
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
        QList<WSListModelPtr> workspaces;
        for (int i = 0; i < 5; ++i) {
            auto model = std::make_shared<WSListModel>();
            model->wsID = QString::number(i + 1);
            model->wsName = QString::fromUtf8(names[i]);
            workspaces.append(model);
        }
        WorkspaceActivation& activation = controller.activation();
        activation.records().setState(QStringLiteral("2"), ItemStateEnum::runningApp);
        activation.records().setState(QStringLiteral("3"), ItemStateEnum::active);
        activation.records().setState(QStringLiteral("4"), ItemStateEnum::active);
        activation.setWorkspaces(workspaces);
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

// A first start: no workspace yet.
QPixmap popoverEmpty() {
    return popoverPicture(
        260, [](StatusBarItemViewController& controller) { return controller.view()->grab(); });
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

// ---- the Creator and the Editor ------------------------------------------------

// The desktop's own services, for the entry reader the screens' scans use.
Platform& desktop() {
    static const std::unique_ptr<Platform> platform =
        Platform::forDesktop(QCoreApplication::applicationFilePath());
    return *platform;
}

bool waitFor(const std::function<bool()>& condition) {
    QDeadlineTimer deadline(10000);
    while (!condition() && !deadline.hasExpired())
        QCoreApplication::processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents, 20);
    return condition();
}

// A store with three workspaces, twelve applications with painted icons in an
// application folder of its own, and everything the two screens take.
struct AuthoringScene {
    AuthoringScene() {
        objects = WorkspaceStore::openStore(dir.filePath(QStringLiteral("Dexaro.sqlite")), nullptr);
        store = std::make_unique<WorkspaceStore>(*objects, alerts);
        defaults = std::make_unique<UserDefaults>(dir.filePath(QStringLiteral("Dexaro.conf")));
        shared = std::make_unique<SharedObjects>(
            SharedDesktop{alerts, desktop().hotKeys(), *defaults, entries, desktop().windows(),
                          desktop().workAreas(), desktop().workspace()},
            *store, SharedHooks{{}, {}, [] {
                                    return true;
                                }});
        const struct {
            const char* name;
            QRgb colour;
        } catalogue[] = {
            {"Browser", 0x4c8df6}, {"Calendar", 0xf8444a}, {"Mail", 0x3cc46b},
            {"Notes", 0xf5b400},   {"Terminal", 0x30353e}, {"Music", 0xe0457b},
            {"Files", 0x6b7bd6},   {"Editor", 0x1aa39a},   {"Photos", 0xff8a3d},
            {"Chat", 0x8e5cd9},    {"Clock", 0x59636e},    {"Maps", 0x2fb36b},
        };
        for (const auto& app : catalogue)
            install(QString::fromLatin1(app.name), QColor(app.colour));
        seed(QStringLiteral("Writing"), {QStringLiteral("Editor"), QStringLiteral("Notes")});
        seed(QStringLiteral("Morning mail and calendar"),
             {QStringLiteral("Mail"), QStringLiteral("Calendar"), QStringLiteral("Browser")});
        seed(QStringLiteral("Development"), {QStringLiteral("Terminal"), QStringLiteral("Editor")});
        defaults->setValue(wsIDs[1], shortcut.encode());
    }

    // An application whose icon is a rounded square with its initial.
    void install(const QString& name, const QColor& colour) {
        QImage icon(96, 96, QImage::Format_ARGB32_Premultiplied);
        icon.fill(Qt::transparent);
        QPainter painter(&icon);
        painter.setRenderHint(QPainter::Antialiasing);
        painter.setPen(Qt::NoPen);
        painter.setBrush(colour);
        painter.drawRoundedRect(QRectF(6, 6, 84, 84), 20, 20);
        painter.setPen(Qt::white);
        QFont font = painter.font();
        font.setPixelSize(48);
        font.setBold(true);
        painter.setFont(font);
        painter.drawText(icon.rect(), Qt::AlignCenter, name.left(1));
        painter.end();
        const QString iconPath = apps.path(QStringLiteral("icons/%1.png").arg(name.toLower()));
        QDir().mkpath(QFileInfo(iconPath).absolutePath());
        icon.save(iconPath);
        apps.app(entry(name), name, {QStringLiteral("Icon=") + iconPath});
    }
    static QString entry(const QString& name) {
        return QStringLiteral("applications/%1.desktop").arg(name.toLower());
    }
    QString url(const QString& name) const {
        return QUrl::fromLocalFile(apps.path(entry(name))).toString();
    }
    void seed(const QString& name, const QStringList& names) {
        QStringList urls;
        for (const QString& app : names)
            urls << url(app);
        const QList<URLLinkModel> links = {
            {QStringLiteral("Team board"), QStringLiteral("board.example.org")}};
        wsIDs << store->fillWorkspace(store->insertWorkspace(), {name, urls, links, {}});
        objects->save();
    }

    AuthoringContext context() { return shared->authoringContext(); }

    // The window once the screen's scan is in and the tiles' icons (decoded on
    // a pool as the tiles are first painted) have arrived.
    static QPixmap settled(QWidget& window, InstalledAppsScanner* scanner,
                           AppListCollectionView* grid) {
        waitFor([&] { return !scanner->isScanning() && grid->installedApps().size() == 12; });
        window.grab();
        const AppIconLoader* loader = grid->findChild<AppIconLoader*>();
        waitFor([&] {
            for (const AppListModel& app : grid->installedApps())
                if (loader && loader->isPending(app.appImagePath))
                    return false;
            return true;
        });
        QCoreApplication::processEvents();
        return window.grab();
    }

    // The main window as Dexaro sizes it on a screen with that work area,
    // showing the Creator with a workspace half made, or the Editor with one chosen.
    QPixmap picture(const QRect& workArea, bool editor) {
        AppSettings settings;
        dexaro::test::FakeLoginItem loginItem;
        CustomMainWindow window(settings, *store, loginItem);
        auto* creatorView = new WSCreatorViewController(context());
        auto* editorView = new WSEditorViewController(context());
        window.setScreenViews(creatorView, editorView);
        window.setGeometry(CustomMainWindow::frameFor(workArea, 24));
        window.show();
        if (!editor) {
            creatorView->nameField()->setText(QStringLiteral("Morning routine"));
            creatorView->collectionView()->setSelectedAppURLs(
                {url("Mail"), url("Calendar"), url("Notes")});
            creatorView->shortcutView()->setShortcutValue(
                MASShortcut(46, MASShortcut::ControlFlag | MASShortcut::OptionFlag)); // M
            return settled(window, creatorView->scanner(), creatorView->collectionView());
        }
        window.toolbarItem(CustomMainWindow::EditorView)->select();
        waitFor([&] { return !editorView->isLoadingList(); });
        editorView->popUpButton()->setCurrentIndex(2);
        editorView->popUpWsButtonSelectionHandler(2);
        return settled(window, editorView->scanner(), editorView->collectionView());
    }

    QTemporaryDir dir;
    dexaro::test::AppFolderTree apps;
    dexaro::test::FolderDesktopEntries entries{desktop().desktopEntries(),
                                               {apps.path(QStringLiteral("applications"))}};
    dexaro::test::RecordingAlerts alerts;
    std::unique_ptr<ObjectStore> objects;
    std::unique_ptr<WorkspaceStore> store;
    std::unique_ptr<UserDefaults> defaults;
    std::unique_ptr<SharedObjects> shared;
    QStringList wsIDs;
    const MASShortcut shortcut{46, MASShortcut::ControlFlag | MASShortcut::OptionFlag};
};

// Work areas of a 1366 x 768 and a 2560 x 1440 screen with a panel at the top.
const QRect laptop(0, 24, 1366, 744);
const QRect large(0, 32, 2560, 1408);

QPixmap creator() {
    return AuthoringScene().picture(laptop, false);
}
QPixmap editor() {
    return AuthoringScene().picture(laptop, true);
}
QPixmap creatorLarge() {
    return AuthoringScene().picture(large, false);
}
QPixmap editorLarge() {
    return AuthoringScene().picture(large, true);
}

// The placement picker of a tile with two monitors and four desktops to
// choose from: the right half of the second monitor, on the second desktop.
struct PickerTile : QWidget, PositionTile {
    PositionName itemPosition() const override { return PositionName::rightHalf; }
    void setItemPosition(PositionName) override {}
    QString appURL() const override { return QStringLiteral("file:///mail.desktop"); }
};

QPixmap placementPicker() {
    WSCreatorPositionManager creator;
    PickerTile tile;
    creator.setPosition(tile.appURL(), rawValue(PositionName::rightHalf));
    creator.setTarget(tile.appURL(), {QStringLiteral("DP-2"), 1});
    PositionsPopover popover;
    popover.list()->setPositionCaches(&creator, nullptr);
    popover.setScreensSource([] {
        PlacementScreens screens;
        screens.monitors = {{QStringLiteral("Primary"), {}},
                            {QStringLiteral("eDP-1 (1920 × 1080)"), QStringLiteral("eDP-1")},
                            {QStringLiteral("DP-2 (2560 × 1440)"), QStringLiteral("DP-2")}};
        const QStringList names = {QStringLiteral("Main"), QStringLiteral("Mail"),
                                   QStringLiteral("Code"), QStringLiteral("Music")};
        screens.desktops << PlacementScreens::Desktop{QStringLiteral("Current desktop"),
                                                      desktops::current};
        for (int i = 0; i < names.size(); ++i)
            screens.desktops << PlacementScreens::Desktop{names[i], i};
        screens.desktops << PlacementScreens::Desktop{QStringLiteral("All desktops"),
                                                      desktops::all};
        return screens;
    });
    popover.showFor(&tile, nullptr, PositionPopoverWindowType::create);
    popover.move(0, 0);
    QCoreApplication::processEvents();
    const QPixmap picture = popover.grab();
    popover.hide();
    return picture;
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
                                                        {"popover-empty", popoverEmpty},
                                                        {"settings-menu", settingsMenu},
                                                        {"about", about},
                                                        {"creator", creator},
                                                        {"editor", editor},
                                                        {"creator-2560", creatorLarge},
                                                        {"editor-2560", editorLarge},
                                                        {"placement-picker", placementPicker}};
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
