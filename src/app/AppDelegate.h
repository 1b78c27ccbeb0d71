#pragma once
// The application delegate: the hub of the program. It keeps the start-up
// order and owns what start-up makes: the store, the settings, the shared
// objects (SharedObjects: hot keys, placements, switching, the catalog), the
// status item with its popover (shown and hidden by the PopoverPresenter) and
// the main window.
//
// Start-up runs in applicationDidFinishLaunching(); quitting, from the menu,
// Ctrl-Q, SIGTERM or SIGINT, runs through requestQuit().
#include "model/AppSettings.h"
#include "platform/Alerts.h"
#include "platform/LoginItem.h"
#include "platform/SessionBus.h"
#include "platform/StatusItem.h"
#include "platform/Updater.h"
#include "platform/WorkspaceBus.h"

#include <QObject>
#include <QPointer>
#include <QStringList>
#include <functional>
#include <memory>

class QMenu;

namespace dexaro {

class AboutWindow;
class CustomMainWindow;
class DesktopSwitchMonitor;
class ObjectStore;
class Platform;
class Popover;
class PopoverPresenter;
class SharedObjects;
class SingleInstance;
class StatusBarItemViewController;
class WorkspaceBusRequests;
class WorkspaceStore;

// The delegate's own services, made from the platform by default; tests put
// fakes in their place.
struct AppServices {
    std::unique_ptr<Alerts> alerts; // the platform's when empty
    std::unique_ptr<LoginItem> loginItem;
    std::unique_ptr<SessionBus> sessionBus;
    std::unique_ptr<Updater> updater;
    std::unique_ptr<StatusItem> statusItem;
    std::unique_ptr<WorkspaceBusService> workspaceBus; // none: no requests over the bus
    // Asks whether windows of other applications can be placed (the
    // platform's window layer when empty).
    std::function<bool(bool prompt)> checkAccessibility;
    // Ends the main loop with that status (QCoreApplication::exit when empty).
    std::function<void(int status)> exit;
    // The store file; empty = its standard place.
    QString storePath;

    static AppServices fromPlatform(Platform& platform);
};

class AppDelegate : public QObject {
    Q_OBJECT
public:
    enum class LaunchResult { Started, StoreFailed, AlreadyRunning, QuitDuringStartUp };
    enum class TerminateReply { TerminateNow, TerminateCancel };
    // Who asks to quit: a person (menu, Ctrl-Q), or the session (SIGTERM,
    // SIGINT), which waits for no one.
    enum class QuitRequester { user, session };
    // How long after start a missing status area is told.
    static constexpr int trayWaitMs = 3000;

    AppDelegate(Platform& platform, AppServices services, QObject* parent = nullptr);
    ~AppDelegate() override;

    // Start-up.
    // - AlreadyRunning: another Dexaro holds the store's lock or the program's
    //   name on the session bus; it has been asked to open its popover (a
    //   desktop without a tray has no other way).
    // - StoreFailed: fills error with the store's error (told on the console and
    //   in an alert); nothing else has been built and the store file is untouched.
    // - QuitDuringStartUp: a quit was asked for while start-up showed an alert;
    //   the quit path has run, so do not enter the main loop.
    LaunchResult applicationDidFinishLaunching(QString* error = nullptr);

    AppSettings& settings() { return m_settings; }
    WorkspaceStore& store() { return *m_store; }
    ObjectStore& objectStore() { return *m_objectStore; }
    bool hasStore() const { return m_store != nullptr; }
    Alerts& alerts() { return *m_alerts; }
    Platform& platform() { return m_platform; }
    LoginItem& loginItem() { return *m_loginItem; }
    Updater& updater() { return *m_updater; }
    SessionBus& sessionBus() { return *m_sessionBus; }
    StatusItem* statusItem() const { return m_statusItem.get(); }
    Popover* popover() const;
    StatusBarItemViewController* statusBarController() const { return m_statusBarController; }
    // The main window, made when it is first wanted: the popover and the hot
    // keys need none of it, and start-up stays lighter without it.
    CustomMainWindow* mainWindow();
    // The about window once it was first shown, else null.
    AboutWindow* aboutWindow() const;

    // Shared by the parts that start-up hands them to; they exist once the
    // store has opened (applicationDidFinishLaunching answered Started).
    SharedObjects& sharedObjects() { return *m_shared; }

    // The status item's action: closes the popover when shown, else shows it.
    void statusBarClickHandler();
    // The user switched to another virtual desktop.
    void workspaceChangingNotificationHandler();
    void showPopover();
    void closePopover();
    bool isPopoverShown() const;
    bool hasEventMonitors() const;

    // The settings menu's commands (the popover's and the tray icon's menu).
    // Shows, raises and focuses the main window, on the tab it showed last.
    void openMainWindow();
    // Builds the about window the first time; shows it centred.
    void showAboutWindow();

    // Workspace list freshness: tags of the screens whose list is out of date.
    static inline const QString statusBarTag = QStringLiteral("statusbar");
    static inline const QString editorTag = QStringLiteral("editor");
    // True when tag was listed; removes its first occurrence.
    bool consumeWorkspaceListUpdate(const QString& tag);
    // After a workspace was created, changed or deleted: every list is out of date.
    void setWorkspaceListUpdated();
    const QStringList& wsListUpdated() const { return m_wsListUpdated; }

    // The quit path: save, maybe ask, then end the main loop with status 0.
    // False when the quit was cancelled. A quit by the session never asks nor
    // shows anything: it tries the save once and ends, also while a person's
    // quit is asking.
    bool requestQuit(QuitRequester by = QuitRequester::user);
    TerminateReply applicationShouldTerminate(QuitRequester by = QuitRequester::user);
    void applicationWillTerminate();

signals:
    void popoverShown();
    void popoverClosed();

private:
    void makeSharedObjects();
    void loadSettings();
    void installObservers();
    void buildStatusItem();
    void buildMainWindow();

    // Fields, in the order the program builds them.
    Platform& m_platform;
    QPointer<CustomMainWindow> m_window;
    AppSettings m_settings;
    std::unique_ptr<Alerts> m_ownAlerts;
    Alerts* m_alerts;
    std::unique_ptr<LoginItem> m_loginItem;
    std::unique_ptr<SessionBus> m_sessionBus;
    std::unique_ptr<Updater> m_updater;
    std::unique_ptr<StatusItem> m_statusItem;
    std::unique_ptr<WorkspaceBusService> m_workspaceBus;
    std::function<bool(bool)> m_checkAccessibility;
    std::function<void(int)> m_exit;
    QString m_storePath;
    std::unique_ptr<SingleInstance> m_instance;
    std::unique_ptr<ObjectStore> m_objectStore;
    std::unique_ptr<WorkspaceStore> m_store;
    std::unique_ptr<SharedObjects> m_shared;
    std::unique_ptr<WorkspaceBusRequests> m_busRequests;
    StatusBarItemViewController* m_statusBarController = nullptr;
    std::unique_ptr<PopoverPresenter> m_presenter;
    QMenu* m_statusMenu = nullptr;
    QPointer<AboutWindow> m_aboutWindow;
    QStringList m_wsListUpdated{statusBarTag, editorTag};
    QList<QMetaObject::Connection> m_observers;
    std::unique_ptr<DesktopSwitchMonitor> m_desktopSwitchMonitor;
    bool m_terminating = false;
    bool m_terminated = false;
};

} // namespace dexaro
