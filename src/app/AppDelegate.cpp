#include "app/AppDelegate.h"

#include "activation/AppcastUpdater.h"
#include "activation/CustomNSPopoverView.h"
#include "activation/PopoverPresenter.h"
#include "activation/SettingsMenuActions.h"
#include "activation/StatusBarItemViewController.h"
#include "activation/WorkspaceActivation.h"
#include "activation/WorkspaceCatalog.h"
#include "app/AboutWindow.h"
#include "app/AppIdentifiers.h"
#include "app/CustomMainWindow.h"
#include "app/SharedObjects.h"
#include "app/SingleInstance.h"
#include "app/ToolbarItemView.h"
#include "app/WorkspaceBusRequests.h"
#include "authoring/WSCreatorViewController.h"
#include "authoring/WSEditorViewController.h"
#include "model/WorkspaceStore.h"
#include "platform/DesktopSwitchMonitor.h"
#include "platform/ObjectStore.h"
#include "platform/Platform.h"
#include "platform/Windows.h"

#include <QApplication>
#include <QDir>
#include <QIcon>
#include <QMenu>
#include <QTimer>
#include <QWindow>
#include <cstdio>
#include <utility>

namespace dexaro {

// The background update check waits this long after start-up.
constexpr int updateCheckDelayMs = 15000;

AppServices AppServices::fromPlatform(Platform& platform) {
    AppServices services;
    services.loginItem = platform.makeLoginItem();
    services.sessionBus = platform.makeSessionBus();
    services.updater = std::make_unique<AppcastUpdater>(
        AppcastUpdater::configuredFeedURL(), AppcastUpdater::configuredVersion(), platform.alerts(),
        [&platform](const QUrl& url) { platform.workspace().openURL(url); });
    services.statusItem = platform.makeStatusItem();
    services.workspaceBus = platform.makeWorkspaceBusService();
    return services;
}

AppDelegate::AppDelegate(Platform& platform, AppServices services, QObject* parent)
    : QObject(parent), m_platform(platform), m_ownAlerts(std::move(services.alerts)),
      m_alerts(m_ownAlerts ? m_ownAlerts.get() : &platform.alerts()),
      m_loginItem(std::move(services.loginItem)), m_sessionBus(std::move(services.sessionBus)),
      m_updater(std::move(services.updater)), m_statusItem(std::move(services.statusItem)),
      m_workspaceBus(std::move(services.workspaceBus)),
      m_checkAccessibility(std::move(services.checkAccessibility)),
      m_exit(std::move(services.exit)), m_storePath(std::move(services.storePath)),
      m_instance(std::make_unique<SingleInstance>()) {
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
}

AppDelegate::~AppDelegate() {
    for (const auto& connection : m_observers)
        disconnect(connection);
    m_presenter.reset();
    delete m_window;
    delete m_statusMenu;
    delete m_aboutWindow;
    delete m_statusBarController;
    m_busRequests.reset();
    m_shared.reset();
}

CustomMainWindow* AppDelegate::mainWindow() {
    if (!m_window && m_shared && !m_terminated)
        buildMainWindow();
    return m_window;
}

AboutWindow* AppDelegate::aboutWindow() const {
    return m_aboutWindow;
}

AppDelegate::LaunchResult AppDelegate::applicationDidFinishLaunching(QString* error) {
    const QString storePath =
        m_storePath.isEmpty() ? WorkspaceStore::defaultStorePath() : m_storePath;
    if (!m_instance->claim(storePath, m_sessionBus.get(), [this] {
            if (!m_terminated)
                showPopover();
        }))
        return LaunchResult::AlreadyRunning;

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
    // The workspaces, and with them every hot key, before anything is shown.
    consumeWorkspaceListUpdate(statusBarTag);
    m_shared->activation().reloadWorkspaces();
    if (m_workspaceBus)
        m_busRequests = std::make_unique<WorkspaceBusRequests>(m_shared->activation(),
                                                               std::move(m_workspaceBus));
    buildStatusItem();

    if (isPopoverShown())
        closePopover();
    else
        m_presenter->showWhenIconIsPlaced();
    if (m_terminated)
        return LaunchResult::QuitDuringStartUp;

    // A session that cannot place windows says so at the first placement
    // asked for, not at every start.
    if (m_checkAccessibility)
        m_checkAccessibility(false);
    // Without a status area (GNOME without the AppIndicator extension, sway
    // without a bar that has a tray) the icon and its popover cannot be
    // reached: said once, after the session's tray has had time to start.
    QTimer::singleShot(trayWaitMs, this, [this] {
        if (m_statusItem && !m_statusItem->isAvailable())
            m_alerts->warn(
                QStringLiteral("Dexaro"), QStringLiteral("No status area to show Dexaro's icon in"),
                QStringLiteral(
                    "This desktop shows no status area (system tray), so Dexaro's icon and its "
                    "list of workspaces cannot be shown. On GNOME the AppIndicator extension adds "
                    "one; on sway, a bar with a tray does. Workspaces still switch with their "
                    "shortcuts and with the command line: dexaro --toggle \"NAME\"."));
    });
    // Once start-up is over: the workspaces marked to be on from the start.
    QTimer::singleShot(0, this, [this] {
        if (m_shared && !m_terminated)
            m_shared->activation().switchOnMarkedWorkspaces();
    });
    return LaunchResult::Started;
}

void AppDelegate::makeSharedObjects() {
    m_shared = std::make_unique<SharedObjects>(
        SharedDesktop::of(m_platform, m_alerts), *m_store,
        SharedHooks{[this] { return m_settings; }, [this] { closePopover(); },
                    [this] {
                        return consumeWorkspaceListUpdate(editorTag);
                    }});
    // Every list is out of date after a change; the popover's follows the
    // activation's list at once.
    connect(&m_shared->catalog(), &WorkspaceCatalog::changed, this, [this] {
        setWorkspaceListUpdated();
        consumeWorkspaceListUpdate(statusBarTag);
    });
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
    m_desktopSwitchMonitor = m_platform.makeDesktopSwitchMonitor();
    m_observers << connect(m_desktopSwitchMonitor.get(), &DesktopSwitchMonitor::desktopSwitched,
                           this, &AppDelegate::workspaceChangingNotificationHandler);
}

void AppDelegate::workspaceChangingNotificationHandler() {
    closePopover();
}

void AppDelegate::buildStatusItem() {
    m_statusBarController = new StatusBarItemViewController(m_shared->activation());
    StatusBarHost& host = m_statusBarController->appDelegate;
    host.consumeWorkspaceListUpdate = [this](const QString& tag) {
        return consumeWorkspaceListUpdate(tag);
    };
    host.closePopover = [this] {
        closePopover();
    };
    host.openMainWindow = [this] {
        openMainWindow();
    };
    host.createWorkspace = [this] {
        if (ToolbarItemView* creator =
                mainWindow() ? m_window->toolbarItem(CustomMainWindow::CreatorView) : nullptr)
            creator->select();
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

    m_presenter = std::make_unique<PopoverPresenter>(m_platform, m_statusItem.get(),
                                                     m_statusBarController->view());
    m_presenter->setClosingWindow(
        [this]() -> QWindow* { return m_window ? m_window->windowHandle() : nullptr; });
    connect(m_presenter.get(), &PopoverPresenter::shown, this, [this] {
        m_statusBarController->viewDidAppear();
        emit popoverShown();
    });
    connect(m_presenter.get(), &PopoverPresenter::closed, this, &AppDelegate::popoverClosed);

    if (!m_statusItem)
        return;
    m_statusItem->setImage(QIcon(QStringLiteral(":/images/StatusBarButtonImage.svg")));
    m_statusItem->setToolTip(QStringLiteral("Dexaro"));

    // Trays that never deliver a left click still offer the settings menu's
    // commands, and the popover.
    m_statusMenu = SettingsMenuActions::makeTrayMenu(
        host, [this] { return isPopoverShown(); },
        [this] {
            if (isPopoverShown())
                closePopover();
            else
                showPopover();
        });
    m_statusItem->setMenu(m_statusMenu);
    m_statusItem->setVisible(true);
}

void AppDelegate::buildMainWindow() {
    m_window = new CustomMainWindow(m_settings, *m_store, *m_loginItem);
    m_window->setAlerts(m_alerts);

    const AuthoringContext authoring = m_shared->authoringContext();
    m_window->setScreenViews(new WSCreatorViewController(authoring),
                             new WSEditorViewController(authoring));
    connect(m_window, &CustomMainWindow::quitRequested, this, [this] { requestQuit(); });
    m_window->followPrimaryWorkArea(m_platform.workAreas());
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
        CustomMainWindow* window = mainWindow();
        if (!window || m_terminated)
            return;
        if (window->isMinimized())
            window->showNormal();
        else
            window->show();
        window->raise();
        window->activateWindow();
    });
}

void AppDelegate::showAboutWindow() {
    closePopover();
    if (!m_aboutWindow) {
        m_aboutWindow = new AboutWindow;
        connect(m_aboutWindow, &CustomOrdinaryWindow::closePopoverRequested, this,
                &AppDelegate::closePopover);
    }
    m_aboutWindow->showCentred(&m_platform.workAreas());
}

bool AppDelegate::consumeWorkspaceListUpdate(const QString& tag) {
    return m_wsListUpdated.removeOne(tag);
}

void AppDelegate::setWorkspaceListUpdated() {
    m_wsListUpdated = {statusBarTag, editorTag};
}

AppDelegate::TerminateReply AppDelegate::applicationShouldTerminate(QuitRequester by) {
    if (!m_objectStore || !m_objectStore->hasChanges())
        return TerminateReply::TerminateNow;
    QString saveError;
    if (m_objectStore->save(&saveError))
        return TerminateReply::TerminateNow;

    std::fprintf(stderr, "AppDelegate could not save changes while quitting: %s\n",
                 qPrintable(saveError));
    if (by == QuitRequester::session)
        return TerminateReply::TerminateNow; // a logout must not wait for a click
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
    if (m_shared)
        m_shared->activation().stop();
    for (const auto& connection : m_observers)
        disconnect(connection);
    m_observers.clear();
    m_desktopSwitchMonitor.reset();
    if (m_statusItem)
        m_statusItem->setVisible(false);
}

bool AppDelegate::requestQuit(QuitRequester by) {
    if (m_terminated)
        return true;
    // A person's second request while the first one asks is the same request;
    // the session's ends Dexaro there (the question's answer no longer counts).
    if (m_terminating && by == QuitRequester::user)
        return false;
    const bool asking = std::exchange(m_terminating, true);
    const TerminateReply reply = applicationShouldTerminate(by);
    m_terminating = asking;
    if (m_terminated)
        return true; // the session quit while this one asked
    if (reply == TerminateReply::TerminateCancel)
        return false;
    m_terminated = true;
    applicationWillTerminate();
    m_exit(0);
    return true;
}

} // namespace dexaro
