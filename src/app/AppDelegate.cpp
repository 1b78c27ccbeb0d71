#include "app/AppDelegate.h"

#include "activation/AppcastUpdater.h"
#include "activation/CustomNSPopoverView.h"
#include "activation/PopoverPresenter.h"
#include "activation/SettingsMenuActions.h"
#include "activation/StatusBarItemViewController.h"
#include "app/AboutWindow.h"
#include "app/AppIdentifiers.h"
#include "app/CustomMainWindow.h"
#include "authoring/AuthoringContext.h"
#include "authoring/WSCreatorViewController.h"
#include "authoring/WSEditorViewController.h"
#include "platform/Windows.h"
#include "platform/WorkAreas.h"

#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QIcon>
#include <QMenu>
#include <QScreen>
#include <QTimer>
#include <QWindow>
#include <cstdio>

namespace dexaro {

namespace {

QPointer<AppDelegate> sharedDelegate;

// The background update check waits this long after start-up.
constexpr int updateCheckDelayMs = 15000;
// Panel thickness assumed when the work area shows no panel.
constexpr int defaultStatusBarThickness = 24;

// The desktop's status bar: the thicker of the panels along the top and the
// bottom edge of the monitor, as its work area shows them.
int statusBarThickness(const QRect& full, const QRect& work) {
    const int top = work.top() - full.top();
    const int bottom = full.bottom() - work.bottom();
    const int thickness = std::max(top, bottom);
    return thickness > 0 ? thickness : defaultStatusBarThickness;
}

} // namespace

AppServices AppServices::fromPlatform(Platform& platform) {
    AppServices services;
    services.loginItem = platform.makeLoginItem();
    services.sessionBus = platform.makeSessionBus();
    services.updater = std::make_unique<AppcastUpdater>(
        AppcastUpdater::configuredFeedURL(), AppcastUpdater::configuredVersion(), platform.alerts(),
        [&platform](const QUrl& url) { platform.workspace().openURL(url); });
    services.statusItem = platform.makeStatusItem();
    return services;
}

AppDelegate::AppDelegate(Platform& platform, AppServices services, QObject* parent)
    : QObject(parent), m_platform(platform), m_ownAlerts(std::move(services.alerts)),
      m_alerts(m_ownAlerts ? m_ownAlerts.get() : &platform.alerts()),
      m_loginItem(std::move(services.loginItem)), m_sessionBus(std::move(services.sessionBus)),
      m_updater(std::move(services.updater)), m_statusItem(std::move(services.statusItem)),
      m_checkAccessibility(std::move(services.checkAccessibility)),
      m_exit(std::move(services.exit)), m_storePath(std::move(services.storePath)) {
    if (!m_updater)
        m_updater = std::make_unique<NullUpdater>();
    if (!m_checkAccessibility)
        m_checkAccessibility = [&platform](bool prompt) {
            return platform.windows().isAvailable(prompt);
        };
    if (!m_exit)
        m_exit = [](int status) {
            QCoreApplication::exit(status);
        };
    sharedDelegate = this;
}

AppDelegate::~AppDelegate() {
    for (const auto& connection : m_observers)
        disconnect(connection);
    m_presenter.reset();
    delete m_window;
    delete m_statusMenu;
    delete m_aboutWindow;
    delete m_statusBarController;
    // Placers still polling give up now, before the table and the window
    // layer they read go.
    if (m_placers)
        m_placers->stop();
}

AppDelegate* AppDelegate::shared() {
    return sharedDelegate;
}

AppDelegate::LaunchResult AppDelegate::applicationDidFinishLaunching(QString* error) {
    const QString storePath =
        m_storePath.isEmpty() ? WorkspaceStore::defaultStorePath() : m_storePath;
    // One Dexaro per store, with or without a session bus: a lock beside the
    // store. A lock that cannot be made (a folder that cannot be written) stops
    // nothing here; opening the store tells what is wrong.
    QDir().mkpath(QFileInfo(storePath).absolutePath());
    m_instanceLock = std::make_unique<QLockFile>(storePath + QStringLiteral(".lock"));
    m_instanceLock->setStaleLockTime(0); // only a live Dexaro holds it
    const bool otherInstance =
        !m_instanceLock->tryLock(0) && m_instanceLock->error() == QLockFile::LockFailedError;
    if (otherInstance) {
        if (m_sessionBus)
            m_sessionBus->postNotification(showPopoverNotification, MainAppBundleIdentifier);
        return LaunchResult::AlreadyRunning;
    }

    // One Dexaro per session: the launcher and a second start find it by its name.
    if (m_sessionBus) {
        QString busError;
        if (!m_sessionBus->registerName(MainAppBundleIdentifier, &busError)) {
            if (m_sessionBus->isNameOwned(MainAppBundleIdentifier)) {
                m_sessionBus->postNotification(showPopoverNotification, MainAppBundleIdentifier);
                return LaunchResult::AlreadyRunning;
            }
            // No session bus: Dexaro runs, but no launcher can reach it.
            std::fprintf(stderr, "Dexaro: %s\n", qPrintable(busError));
        }
        m_sessionBus->subscribe(showPopoverNotification);
        connect(m_sessionBus.get(), &SessionBus::notificationReceived, this,
                [this](const QString& name, const QString& sender) {
                    if (name == showPopoverNotification && sender == MainAppBundleIdentifier &&
                        !m_terminated)
                        showPopover();
                });
    }

    // The updater, and its background check a little after start-up.
    QTimer::singleShot(updateCheckDelayMs, this,
                       [this] { m_updater->checkForUpdatesInBackground(); });

    // A launcher that started us waits to be told to quit.
    if (m_sessionBus && m_sessionBus->isNameOwned(LauncherBundleIdentifier))
        m_sessionBus->postNotification(KillLauncherNotification, MainAppBundleIdentifier);

    QString storeError;
    m_objectStore = WorkspaceStore::openStore(storePath, &storeError);
    if (!m_objectStore) {
        // The console line for whoever started Dexaro from a terminal; the alert
        // for whoever started it from the menu or at login.
        std::fprintf(stderr, "Unresolved error %s\n", qPrintable(storeError));
        m_alerts->warn(QStringLiteral("Dexaro"),
                       QStringLiteral("Dexaro could not open its workspaces."),
                       QStringLiteral("%1\n\nThe file %2 was left as it is.")
                           .arg(storeError, QDir::toNativeSeparators(storePath)));
        if (error)
            *error = storeError;
        return LaunchResult::StoreFailed;
    }
    m_store = std::make_unique<WorkspaceStore>(*m_objectStore, *m_alerts);
    // Start-up alerts run nested event loops: a quit asked for while one is
    // shown ends start-up here instead of being lost to the main loop.
    makeSharedObjects();
    if (m_terminated)
        return LaunchResult::QuitDuringStartUp;
    loadSettings();
    if (m_terminated)
        return LaunchResult::QuitDuringStartUp;
    installObservers();
    buildStatusItem();
    buildMainWindow();

    if (isPopoverShown())
        closePopover();
    else
        m_presenter->showWhenIconIsPlaced();
    if (m_terminated)
        return LaunchResult::QuitDuringStartUp;

    if (m_checkAccessibility)
        m_checkAccessibility(true);
    return LaunchResult::Started;
}

void AppDelegate::makeSharedObjects() {
    m_shortcutMonitor = std::make_unique<MASShortcutMonitor>(m_platform.hotKeys());
    m_binder = std::make_unique<MASShortcutBinder>(*m_shortcutMonitor, m_platform.userDefaults());
    m_binder->setAlerts(m_alerts);
    m_validator = std::make_unique<MASShortcutValidator>(m_platform.hotKeys(),
                                                         &MASShortcutValidator::applicationMenus);
    m_positionsStore = std::make_unique<PositionsDBManager>(*m_objectStore, *m_alerts);
    m_positions = std::make_unique<AllPositionsHolder>();
    m_positions->loadAllPositions(m_positionsStore->fetchAll());
    WorkAreas& workAreas = m_platform.workAreas();
    m_frames = std::make_unique<FrameCalculator>([&workAreas] { return screenMetrics(workAreas); });
    m_placers = std::make_unique<WindowPlacers>(m_platform.windows(), *m_frames);
}

void AppDelegate::loadSettings() {
    m_settings.forceTerminate = m_store->settingValue(QStringLiteral("termination"));
    const QString runAtLoginName = storedSettingName(QStringLiteral("runningAtLogin"));
    if (const std::optional<QString> stored = m_store->readSetting(runAtLoginName)) {
        m_settings.runAtLogin = *stored;
    } else {
        // First start: Dexaro starts at login until the user says otherwise. When
        // the login item cannot be written, the setting says so instead of
        // claiming a start that will not happen; the settings screen can retry.
        QString loginError;
        const bool registered =
            m_loginItem->setEnabled(LauncherBundleIdentifier, true, &loginError);
        if (!registered)
            std::fprintf(stderr, "Dexaro: could not register the login item: %s\n",
                         qPrintable(loginError));
        m_settings.runAtLogin = registered ? QStringLiteral("1") : QStringLiteral("0");
        m_store->writeSetting(runAtLoginName, m_settings.runAtLogin);
    }
    m_settings.createNewInstance = m_store->settingValue(QStringLiteral("createinstance"));
    m_settings.hideApps = m_store->settingValue(QStringLiteral("hideApps"));
}

void AppDelegate::installObservers() {
    auto* app = qGuiApp;
    m_observers << connect(app, &QGuiApplication::screenAdded, this, [this](QScreen* screen) {
        watchScreen(screen);
        fitMainWindow();
    });
    m_observers << connect(app, &QGuiApplication::screenRemoved, this,
                           [this](QScreen*) { fitMainWindow(); });
    m_observers << connect(app, &QGuiApplication::primaryScreenChanged, this,
                           [this](QScreen*) { fitMainWindow(); });
    for (QScreen* screen : QGuiApplication::screens())
        watchScreen(screen);
    m_desktopSwitchMonitor = m_platform.makeDesktopSwitchMonitor();
    m_observers << connect(m_desktopSwitchMonitor.get(), &DesktopSwitchMonitor::desktopSwitched,
                           this, &AppDelegate::workspaceChangingNotificationHandler);
}

void AppDelegate::workspaceChangingNotificationHandler() {
    closePopover();
}

void AppDelegate::watchScreen(QScreen* screen) {
    connect(screen, &QScreen::geometryChanged, this, &AppDelegate::fitMainWindow,
            Qt::UniqueConnection);
    connect(screen, &QScreen::availableGeometryChanged, this, &AppDelegate::fitMainWindow,
            Qt::UniqueConnection);
}

void AppDelegate::buildStatusItem() {
    m_statusBarController = new StatusBarItemViewController;
    StatusBarHost& host = m_statusBarController->appDelegate;
    host.consumeWorkspaceListUpdate = [this](const QString& tag) {
        return consumeWorkspaceListUpdate(tag);
    };
    host.closePopover = [this] {
        closePopover();
    };
    host.isPopoverShown = [this] {
        return isPopoverShown();
    };
    host.openMainWindow = [this] {
        openMainWindow();
    };
    host.checkForUpdates = [this] {
        m_updater->checkForUpdates();
    };
    host.showAbout = [this] {
        showAboutWindow();
    };
    host.quit = [this] {
        requestQuit();
    };
    host.store = m_store.get();
    host.binder = m_binder.get();
    host.positions = m_positions.get();
    host.workspaceServices = &m_platform.workspace();
    host.alerts = m_alerts;
    host.settings = [this] {
        return m_settings;
    };
    // The placers outlive every launch: the controller stops its workers first.
    host.placeWindow = [placers = m_placers.get()](const RunningApplication& app,
                                                   PositionName position) {
        placers->startPlacingAppWindow(app, position);
    };

    m_presenter = std::make_unique<PopoverPresenter>(m_platform, m_statusItem.get(),
                                                     m_statusBarController->view());
    m_presenter->setClosingWindow(
        [this]() -> QWindow* { return m_window ? m_window->windowHandle() : nullptr; });
    connect(m_presenter.get(), &PopoverPresenter::shown, this, [this] {
        m_statusBarController->viewDidAppear();
        emit popoverShown();
    });
    connect(m_presenter.get(), &PopoverPresenter::closed, this, &AppDelegate::popoverClosed);
    connect(this, &AppDelegate::reloadStatusBarPopoverWSCollectionList, m_statusBarController,
            &StatusBarItemViewController::reloadWSListCollectionView);
    connect(this, &AppDelegate::deletedWS, m_statusBarController,
            &StatusBarItemViewController::handleWSDeleteNotifications);

    if (!m_statusItem)
        return;
    m_statusItem->setImage(QIcon(QStringLiteral(":/images/StatusBarButtonImage.svg")));
    m_statusItem->setToolTip(QStringLiteral("Dexaro"));

    // Trays that never deliver a left click still offer the settings menu's
    // commands, and the popover.
    m_statusMenu = new QMenu;
    m_statusMenu->setAccessibleName(QStringLiteral("Dexaro"));
    QAction* toggle = m_statusMenu->addAction(QStringLiteral("Show Workspaces"));
    connect(toggle, &QAction::triggered, this, [this] {
        if (isPopoverShown())
            closePopover();
        else
            showPopover();
    });
    connect(m_statusMenu, &QMenu::aboutToShow, this, [this, toggle] {
        toggle->setText(isPopoverShown() ? QStringLiteral("Hide Workspaces")
                                         : QStringLiteral("Show Workspaces"));
    });
    m_statusMenu->addSeparator();
    SettingsMenuActions::addTo(m_statusMenu, host);
    m_statusItem->setMenu(m_statusMenu);
    m_statusItem->setVisible(true);
}

void AppDelegate::buildMainWindow() {
    m_window = new CustomMainWindow(m_settings, *m_store, *m_loginItem);
    m_window->setAlerts(m_alerts);

    AuthoringContext authoring;
    authoring.store = m_store.get();
    authoring.alerts = m_alerts;
    authoring.userDefaults = &m_platform.userDefaults();
    authoring.validator = m_validator.get();
    authoring.monitor = m_shortcutMonitor.get();
    authoring.binder = m_binder.get();
    authoring.positionsStore = m_positionsStore.get();
    authoring.positions = m_positions.get();
    authoring.desktopEntries = &m_platform.desktopEntries();
    authoring.scanDefaultApps = [this] {
        return m_settings.scanDefaultApps;
    };
    authoring.workspaceListChanged = [this] {
        setWorkspaceListUpdated();
        emit reloadStatusBarPopoverWSCollectionList();
    };
    authoring.consumeEditorTag = [this] {
        return consumeWorkspaceListUpdate(editorTag);
    };
    authoring.deletedWS = [this](int workspaceIndex) {
        emit deletedWS(workspaceIndex);
    };
    m_window->setScreenViews(new WSCreatorViewController(authoring),
                             new WSEditorViewController(authoring));
    connect(m_window, &CustomMainWindow::quitRequested, this, [this] { requestQuit(); });
    fitMainWindow();
    m_window->hide();
}

Popover* AppDelegate::popover() const {
    return m_presenter ? m_presenter->popover() : nullptr;
}

bool AppDelegate::isPopoverShown() const {
    return m_presenter && m_presenter->isShown();
}

bool AppDelegate::hasEventMonitors() const {
    return m_presenter && m_presenter->hasEventMonitors();
}

void AppDelegate::statusBarClickHandler() {
    if (m_presenter)
        m_presenter->toggleFromStatusItem();
}

void AppDelegate::showPopover() {
    if (m_presenter && !m_terminated)
        m_presenter->show();
}

void AppDelegate::closePopover() {
    if (m_presenter)
        m_presenter->close();
}

void AppDelegate::openMainWindow() {
    closePopover();
    // A moment later, once the popover's window has gone and handed back the
    // focus; the window keeps whichever tab it showed last.
    QTimer::singleShot(100, this, [this] {
        if (!m_window || m_terminated)
            return;
        if (m_window->isMinimized())
            m_window->showNormal();
        else
            m_window->show();
        m_window->raise();
        m_window->activateWindow();
    });
}

void AppDelegate::showAboutWindow() {
    closePopover();
    if (!m_aboutWindow) {
        m_aboutWindow = new AboutWindow;
        connect(m_aboutWindow, &CustomOrdinaryWindow::closePopoverRequested, this,
                &AppDelegate::closePopover);
    }
    m_aboutWindow->showCentred();
}

QRect AppDelegate::mainWindowFrame(const QRect& workArea, int statusBarThickness) {
    constexpr int minimumWidth = 480;
    constexpr int minimumHeight = 320;
    const int width = std::max(workArea.width() - 100, std::min(minimumWidth, workArea.width()));
    const int height = std::max(workArea.height() - 5 * statusBarThickness,
                                std::min(minimumHeight, workArea.height()));
    QRect frame(0, 0, width, height);
    frame.moveCenter(workArea.center());
    return frame;
}

void AppDelegate::fitMainWindow() {
    if (!m_window)
        return;
    const QScreen* screen = QGuiApplication::primaryScreen();
    if (!screen)
        return;
    const auto monitor = m_platform.workAreas().primary();
    const qreal ratio = screen->devicePixelRatio();
    auto logical = [ratio](const QRect& r) {
        return QRect(qRound(r.x() / ratio), qRound(r.y() / ratio), qRound(r.width() / ratio),
                     qRound(r.height() / ratio));
    };
    const QRect full = monitor ? logical(monitor->geometry) : screen->geometry();
    const QRect work = monitor ? logical(monitor->workArea) : full;
    m_window->setGeometry(mainWindowFrame(work, statusBarThickness(full, work)));
}

bool AppDelegate::consumeWorkspaceListUpdate(const QString& tag) {
    return m_wsListUpdated.removeOne(tag);
}

void AppDelegate::setWorkspaceListUpdated() {
    m_wsListUpdated = {statusBarTag, editorTag};
}

AppDelegate::TerminateReply AppDelegate::applicationShouldTerminate() {
    if (!m_objectStore || !m_objectStore->hasChanges())
        return TerminateReply::TerminateNow;
    QString saveError;
    if (m_objectStore->save(&saveError))
        return TerminateReply::TerminateNow;

    std::fprintf(stderr, "AppDelegate could not save changes while quitting: %s\n",
                 qPrintable(saveError));
    m_alerts->warn(QStringLiteral("Dexaro"), QStringLiteral("The changes could not be saved."),
                   saveError);
    const int answer = m_alerts->ask(
        QStringLiteral("Dexaro"),
        QStringLiteral("Could not save changes while quitting. Quit anyway?"),
        QStringLiteral("Quitting now will lose any changes you have made since the last "
                       "successful save"),
        {QStringLiteral("Quit anyway"), QStringLiteral("Cancel")});
    return answer == 1 ? TerminateReply::TerminateCancel : TerminateReply::TerminateNow;
}

void AppDelegate::applicationWillTerminate() {
    closePopover();
    // Openings and closings under way end here; nothing is launched after quit.
    if (m_statusBarController)
        m_statusBarController->stop();
    for (const auto& connection : m_observers)
        disconnect(connection);
    m_observers.clear();
    m_desktopSwitchMonitor.reset();
    if (m_statusItem)
        m_statusItem->setVisible(false);
}

bool AppDelegate::requestQuit() {
    // A second request while the first one asks the user is the same request.
    if (m_terminating || m_terminated)
        return m_terminated;
    m_terminating = true;
    const TerminateReply reply = applicationShouldTerminate();
    m_terminating = false;
    if (reply == TerminateReply::TerminateCancel)
        return false;
    m_terminated = true;
    applicationWillTerminate();
    m_exit(0);
    return true;
}

} // namespace dexaro
