#include "app/AppDelegate.h"

#include "activation/CustomNSPopoverView.h"
#include "activation/StatusBarItemViewController.h"
#include "app/AppIdentifiers.h"
#include "app/CustomMainWindow.h"
#include "model/WorkspaceStore.h"
#include "platform/Alerts.h"
#include "platform/EventMonitor.h"
#include "platform/LoginItem.h"
#include "platform/ObjectStore.h"
#include "platform/Popover.h"
#include "platform/SessionBus.h"
#include "platform/StatusItem.h"
#include "platform/Updater.h"
#include "platform/WindowAccess.h"
#include "platform/linux/DBusSessionBus.h"
#include "platform/linux/MessageBoxAlerts.h"
#include "platform/linux/TrayStatusItem.h"
#include "platform/linux/XdgAutostartLoginItem.h"
#include "positioning/AllPositionsHolder.h"

#include <QApplication>
#include <QDateTime>
#include <QEvent>
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
// A status-item click this soon after the global monitor closed the popover
// belongs to that close (the click on a host-drawn icon is what closed it).
constexpr qint64 clickAfterGlobalCloseMs = 300;
// How long start-up waits for the tray to place the icon.
constexpr int iconPlacementWaitMs = 1000;
// Panel thickness assumed when the work area shows no panel.
constexpr int defaultStatusBarThickness = 24;

QWindow* topLevelOf(QWindow* window) {
    while (window && window->parent())
        window = window->parent();
    return window;
}

// The desktop's status bar: the thicker of the panels along the top and the
// bottom edge of the screen, as its work area shows them.
int statusBarThickness(const QScreen* screen) {
    const QRect full = screen->geometry();
    const QRect work = screen->availableGeometry();
    const int top = work.top() - full.top();
    const int bottom = full.bottom() - work.bottom();
    const int thickness = std::max(top, bottom);
    return thickness > 0 ? thickness : defaultStatusBarThickness;
}

} // namespace

AppServices AppServices::forDesktop(const QString& programPath) {
    AppServices services;
    services.alerts = std::make_unique<MessageBoxAlerts>();
    services.loginItem = std::make_unique<XdgAutostartLoginItem>(
        XdgAutostartLoginItem::launcherPathFor(programPath));
    services.sessionBus = std::make_unique<DBusSessionBus>();
    services.updater = std::make_unique<NullUpdater>();
    services.statusItem = std::make_unique<TrayStatusItem>();
    services.checkAccessibility = [](bool prompt) {
        return UIElement::checkAccessibilityTrust(prompt);
    };
    services.loadPositions = [](ObjectStore& store, Alerts& alerts) {
        AllPositionsHolder::shared(&store, &alerts);
    };
    return services;
}

AppDelegate::AppDelegate(AppServices services, QObject* parent)
    : QObject(parent), m_alerts(std::move(services.alerts)),
      m_loginItem(std::move(services.loginItem)), m_sessionBus(std::move(services.sessionBus)),
      m_updater(std::move(services.updater)), m_statusItem(std::move(services.statusItem)),
      m_checkAccessibility(std::move(services.checkAccessibility)),
      m_loadPositions(std::move(services.loadPositions)), m_exit(std::move(services.exit)),
      m_storePath(std::move(services.storePath)) {
    if (!m_updater)
        m_updater = std::make_unique<NullUpdater>();
    if (!m_exit)
        m_exit = [](int status) {
            QCoreApplication::exit(status);
        };
    sharedDelegate = this;
}

AppDelegate::~AppDelegate() {
    removeEventMonitors();
    for (const auto& connection : m_observers)
        disconnect(connection);
    delete m_window;
    delete m_popover;
    delete m_statusMenu;
}

AppDelegate* AppDelegate::shared() {
    return sharedDelegate;
}

AppDelegate::LaunchResult AppDelegate::applicationDidFinishLaunching(QString* error) {
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
    m_objectStore = WorkspaceStore::openStore(
        m_storePath.isEmpty() ? WorkspaceStore::defaultStorePath() : m_storePath, &storeError);
    if (!m_objectStore) {
        if (error)
            *error = storeError;
        return LaunchResult::StoreFailed;
    }
    m_store = std::make_unique<WorkspaceStore>(*m_objectStore, *m_alerts);
    if (m_loadPositions)
        m_loadPositions(*m_objectStore, *m_alerts);

    loadSettings();
    installObservers();
    buildStatusItem();
    buildMainWindow();

    if (isPopoverShown())
        closePopover();
    else
        showPopoverWhenIconIsPlaced();

    if (m_checkAccessibility)
        m_checkAccessibility(true);
    return LaunchResult::Started;
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
    m_desktopSwitchMonitor = std::make_unique<DesktopSwitchMonitor>();
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
    m_statusBarController = new StatusBarItemViewController(this);
    m_statusBarController->coreDataContext = m_store.get();
    m_statusBarController->appDelegate.consumeWorkspaceListUpdate = [this](const QString& tag) {
        return consumeWorkspaceListUpdate(tag);
    };
    m_statusBarController->appDelegate.closePopover = [this] {
        closePopover();
    };

    m_popover = new Popover;
    m_popover->setContentView(m_statusBarController->view());
    connect(m_popover, &Popover::willClose, this, &AppDelegate::popoverWillClose);
    if (qEnvironmentVariableIsSet("DEXARO_REPORT_POPOVER_SHOWN")) {
        // For the start-up benchmark: when the popover's window is first exposed.
        m_popover->winId();
        struct ExposeReporter : QObject {
            using QObject::QObject;
            bool eventFilter(QObject* watched, QEvent* event) override {
                if (event->type() == QEvent::Expose &&
                    static_cast<QWindow*>(watched)->isExposed()) {
                    std::printf("popover-shown %lld\n",
                                static_cast<long long>(QDateTime::currentMSecsSinceEpoch()));
                    std::fflush(stdout);
                    watched->removeEventFilter(this);
                }
                return false;
            }
        };
        m_popover->windowHandle()->installEventFilter(new ExposeReporter(m_popover));
    }

    if (!m_statusItem)
        return;
    m_statusItem->setImage(QIcon(QStringLiteral(":/images/StatusBarButtonImage.svg")));
    m_statusItem->setToolTip(QStringLiteral("Dexaro"));
    connect(m_statusItem.get(), &StatusItem::clicked, this, &AppDelegate::statusBarClickHandler);
    connect(m_statusItem.get(), &StatusItem::iconGeometryChanged, this,
            &AppDelegate::iconGeometryChanged);

    // Trays that never deliver a left click still offer the same commands.
    m_statusMenu = new QMenu;
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
    connect(m_statusMenu->addAction(QStringLiteral("Quit Dexaro")), &QAction::triggered, this,
            [this] { requestQuit(); });
    m_statusItem->setMenu(m_statusMenu);
    m_statusItem->setVisible(true);
}

void AppDelegate::buildMainWindow() {
    m_window = new CustomMainWindow(m_settings, *m_store, *m_loginItem);
    m_window->setAlerts(m_alerts.get());
    connect(m_window, &CustomMainWindow::quitRequested, this, [this] { requestQuit(); });
    fitMainWindow();
    m_window->hide();
}

void AppDelegate::showPopoverWhenIconIsPlaced() {
    if (!m_statusItem || !m_statusItem->isIconPlacementPending()) {
        showPopover();
        return;
    }
    m_waitingForIcon = true;
    QTimer::singleShot(iconPlacementWaitMs, this, [this] {
        if (m_waitingForIcon)
            showPopover();
    });
}

void AppDelegate::iconGeometryChanged() {
    if (m_waitingForIcon)
        showPopover();
    else if (isPopoverShown())
        m_popover->reanchor(m_statusItem->iconGeometry());
}

bool AppDelegate::isPopoverShown() const {
    return m_popover && m_popover->isShown();
}

void AppDelegate::statusBarClickHandler() {
    if (isPopoverShown()) {
        closePopover();
        return;
    }
    if (m_statusItem && m_statusItem->isDrawnByHost() && m_globalClose.isValid() &&
        m_globalClose.elapsed() < clickAfterGlobalCloseMs)
        return;
    showPopover();
}

void AppDelegate::showPopover() {
    if (isPopoverShown() || !m_popover || !m_statusItem)
        return;
    m_waitingForIcon = false;
    m_globalClose.invalidate();
    m_popover->showRelativeTo(m_statusItem->iconGeometry());

    QPointer<AppDelegate> weak(this);
    m_globalEventMonitor = EventMonitor::addGlobalMouseDownMonitor([weak] {
        if (!weak)
            return;
        weak->m_globalClose.start();
        weak->closePopover();
    });
    m_localEventMonitor = EventMonitor::addLocalMouseDownMonitor([weak](QWindow* window) {
        if (weak)
            weak->localMouseDown(window);
    });
    if (m_statusBarController)
        m_statusBarController->viewDidAppear();
    emit popoverShown();
}

void AppDelegate::localMouseDown(QWindow* window) {
    if (!m_popover || !m_popover->windowHandle())
        return;
    QWindow* target = topLevelOf(window);
    if (target == m_popover->windowHandle() || (m_statusItem && m_statusItem->ownsWindow(target)))
        return;
    QWindow* mainWindow = m_window ? m_window->windowHandle() : nullptr;
    // A press in the main window closes the popover; other windows of ours
    // (menus, dialogs, the about window) leave it open.
    if (target == mainWindow)
        closePopover();
}

void AppDelegate::closePopover() {
    if (!isPopoverShown())
        return;
    m_popover->performClose();
    removeEventMonitors();
}

void AppDelegate::popoverWillClose() {
    removeEventMonitors();
    emit popoverClosed();
}

void AppDelegate::removeEventMonitors() {
    m_globalEventMonitor.reset();
    m_localEventMonitor.reset();
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
    m_window->setGeometry(mainWindowFrame(screen->availableGeometry(), statusBarThickness(screen)));
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
    removeEventMonitors();
    for (const auto& connection : m_observers)
        disconnect(connection);
    m_observers.clear();
    m_desktopSwitchMonitor.reset();
    if (m_popover)
        m_popover->hide();
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
