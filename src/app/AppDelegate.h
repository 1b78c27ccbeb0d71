#pragma once
// The application delegate: the hub of the program. It owns the store, the
// settings loaded at start-up, the status item with its popover, the main
// window and the platform services; every screen reaches them through
// AppDelegate::shared().
//
// Start-up runs in applicationDidFinishLaunching(); quitting, from the menu,
// Ctrl-Q, SIGTERM or SIGINT, runs through requestQuit().
#include "model/AppSettings.h"
#include "app/CustomMainWindow.h"
#include "model/WorkspaceStore.h"
#include "platform/Alerts.h"
#include "platform/DesktopSwitchMonitor.h"
#include "platform/EventMonitor.h"
#include "platform/LoginItem.h"
#include "platform/ObjectStore.h"
#include "platform/Popover.h"
#include "platform/SessionBus.h"
#include "platform/StatusItem.h"
#include "platform/Updater.h"

#include <QCache>
#include <QElapsedTimer>
#include <QImage>
#include <QObject>
#include <QPointer>
#include <QStringList>
#include <functional>
#include <memory>

class QMenu;
class QScreen;

namespace dexaro {

class StatusBarItemViewController;

// What the delegate needs from the platform; tests hand in fakes.
struct AppServices {
    std::unique_ptr<Alerts> alerts;
    std::unique_ptr<LoginItem> loginItem;
    std::unique_ptr<SessionBus> sessionBus;
    std::unique_ptr<Updater> updater;
    std::unique_ptr<StatusItem> statusItem;
    // Asks whether windows of other applications can be placed; may be empty.
    std::function<bool(bool prompt)> checkAccessibility;
    // Loads the stored placements into the process-wide table; may be empty.
    std::function<void(ObjectStore& store, Alerts& alerts)> loadPositions;
    // Ends the main loop with that status (QCoreApplication::exit when empty).
    std::function<void(int status)> exit;
    // The store file; empty = its standard place.
    QString storePath;

    // The services of a desktop session, for the program at programPath.
    static AppServices forDesktop(const QString& programPath);
};

class AppDelegate : public QObject {
    Q_OBJECT
public:
    enum class LaunchResult { Started, StoreFailed, AlreadyRunning };
    enum class TerminateReply { TerminateNow, TerminateCancel };

    explicit AppDelegate(AppServices services, QObject* parent = nullptr);
    ~AppDelegate() override;

    // The delegate of the running program (the one created last), or nullptr.
    static AppDelegate* shared();

    // Start-up. StoreFailed fills error with the store's error; nothing else
    // has been built then and the store file is untouched. AlreadyRunning:
    // another Dexaro owns the program's name on the session bus; it has been
    // asked to open its popover (a desktop without a tray has no other way).
    LaunchResult applicationDidFinishLaunching(QString* error = nullptr);

    AppSettings& settings() { return m_settings; }
    WorkspaceStore& store() { return *m_store; }
    ObjectStore& objectStore() { return *m_objectStore; }
    bool hasStore() const { return m_store != nullptr; }
    Alerts& alerts() { return *m_alerts; }
    LoginItem& loginItem() { return *m_loginItem; }
    Updater& updater() { return *m_updater; }
    SessionBus& sessionBus() { return *m_sessionBus; }
    StatusItem* statusItem() const { return m_statusItem.get(); }
    Popover* popover() const { return m_popover; }
    StatusBarItemViewController* statusBarController() const { return m_statusBarController; }
    CustomMainWindow* mainWindow() const { return m_window; }
    // Application icons by path, shared by the application pickers. Main thread.
    QCache<QString, QImage>& cache() { return m_cache; }

    // The status item's action: closes the popover when shown, else shows it.
    void statusBarClickHandler();
    // The user switched to another virtual desktop.
    void workspaceChangingNotificationHandler();
    void showPopover();
    void closePopover();
    bool isPopoverShown() const;
    bool hasEventMonitors() const { return m_localEventMonitor || m_globalEventMonitor; }

    // Sizes the main window to the primary screen's work area and centres it.
    void fitMainWindow();
    // The main window's frame for a work area and a panel thickness.
    static QRect mainWindowFrame(const QRect& workArea, int statusBarThickness);

    // Workspace list freshness: tags of the screens whose list is out of date.
    static inline const QString statusBarTag = QStringLiteral("statusbar");
    static inline const QString editorTag = QStringLiteral("editor");
    // True when tag was listed; removes its first occurrence.
    bool consumeWorkspaceListUpdate(const QString& tag);
    // After a workspace was created, changed or deleted: every list is out of date.
    void setWorkspaceListUpdated();
    const QStringList& wsListUpdated() const { return m_wsListUpdated; }

    // The notification a second start sends to the running Dexaro.
    static inline const QString showPopoverNotification = QStringLiteral("showPopover");

    // The quit path: save, maybe ask, then end the main loop with status 0.
    // False when the quit was cancelled.
    bool requestQuit();
    TerminateReply applicationShouldTerminate();
    void applicationWillTerminate();

signals:
    void popoverShown();
    void popoverClosed();

private:
    void loadSettings();
    void installObservers();
    void watchScreen(QScreen* screen);
    void buildStatusItem();
    void buildMainWindow();
    void showPopoverWhenIconIsPlaced();
    void iconGeometryChanged();
    void popoverWillClose();
    void removeEventMonitors();
    void localMouseDown(QWindow* window);

    // Fields, in the order the program builds them.
    QPointer<CustomMainWindow> m_window;
    QCache<QString, QImage> m_cache{256};
    AppSettings m_settings;
    std::unique_ptr<Alerts> m_alerts;
    std::unique_ptr<LoginItem> m_loginItem;
    std::unique_ptr<SessionBus> m_sessionBus;
    std::unique_ptr<Updater> m_updater;
    std::unique_ptr<StatusItem> m_statusItem;
    std::function<bool(bool)> m_checkAccessibility;
    std::function<void(ObjectStore&, Alerts&)> m_loadPositions;
    std::function<void(int)> m_exit;
    QString m_storePath;
    std::unique_ptr<ObjectStore> m_objectStore;
    std::unique_ptr<WorkspaceStore> m_store;
    QPointer<Popover> m_popover;
    StatusBarItemViewController* m_statusBarController = nullptr;
    QMenu* m_statusMenu = nullptr;
    std::unique_ptr<EventMonitor> m_globalEventMonitor;
    std::unique_ptr<EventMonitor> m_localEventMonitor;
    QStringList m_wsListUpdated{statusBarTag, editorTag};
    QList<QMetaObject::Connection> m_observers;
    std::unique_ptr<DesktopSwitchMonitor> m_desktopSwitchMonitor;
    // When the global monitor last closed the popover (focus lost, or a press
    // outside Dexaro): a click on an icon that the tray host draws is such a
    // press, and must not open the popover again at once.
    QElapsedTimer m_globalClose;
    // Start-up waits for the tray to place the icon before opening the popover.
    bool m_waitingForIcon = false;
    bool m_terminating = false;
    bool m_terminated = false;
};

} // namespace dexaro
