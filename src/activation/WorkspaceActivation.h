#pragma once
// Switching workspaces on and off, with no widget in sight. It holds the
// listed workspaces (in the popover's order), binds every listed workspace's
// hot key, keeps each workspace's state and launched applications
// (WorkspaceActivationRecords, by identifier), opens a workspace's
// applications, links and files on a thread pool of its own, closes what it
// launched, and shows the alerts of both. The popover's list, the command line
// and the bus interface all switch through it and follow its signals.
//
// Opening and closing run on the pool; their results come back to the main
// thread, where every signal and alert is delivered. Once stop() was called
// nothing more is launched or opened.
#include "activation/ItemStateEnum.h"
#include "activation/WorkspaceActivationRecords.h"
#include "model/AppSettings.h"
#include "model/Records.h"
#include "platform/WorkspaceServices.h"
#include "positioning/WindowTarget.h"

#include <QObject>
#include <QSet>
#include <QThreadPool>
#include <atomic>
#include <functional>
#include <memory>

namespace dexaro {

class Alerts;
class AllPositionsHolder;
class MASShortcutBinder;
class WorkspaceStore;

// What switching reaches outside the activation layer. Every member may stay
// empty: nothing is then launched, bound, placed or shown.
struct ActivationServices {
    WorkspaceStore* store = nullptr; // where reloadWorkspaces() reads the list
    // Must outlive every launch it started (it is the program's own).
    WorkspaceServices* workspaceServices = nullptr;
    Alerts* alerts = nullptr;
    AllPositionsHolder* positions = nullptr;
    MASShortcutBinder* binder = nullptr; // every listed workspace's hot key
    // The current settings; read on the main thread when a switch is used.
    std::function<AppSettings()> settings;
    // Hands a launched application to the window placers. Called on any
    // thread; empty: windows are left where they appear.
    std::function<void(const RunningApplication& app, const WindowTarget& target)> placeWindow;
    // Shows a virtual desktop (a workspace's start desktop), on the main
    // thread before anything is launched; false when there is no such desktop.
    std::function<bool(int desktop)> showDesktop;
    // Closes the popover when it is shown; does nothing otherwise.
    std::function<void()> closePopover;
};

class WorkspaceActivation : public QObject {
    Q_OBJECT
public:
    // What a request to switch did.
    enum class Answer {
        switching,        // switching on or off has begun
        unchanged,        // already in the state asked for
        unknownWorkspace, // no listed workspace has that identifier
        busy,             // being switched on or off: asked again once it is done
        stopped,          // Dexaro is quitting
    };

    // How long stop() waits for the workers at the most: a launch under way
    // finishes, nothing after it starts.
    static constexpr int stopWaitMs = 3000;

    explicit WorkspaceActivation(ActivationServices services, QObject* parent = nullptr);
    ~WorkspaceActivation() override;

    // The listed workspaces. Setting them binds each one's hot key and breaks
    // those of workspaces no longer listed; states stay by identifier.
    void setWorkspaces(QList<WSListModelPtr> workspaces);
    // The list again from the store. False (the list kept, the store alerted)
    // when it could not be read.
    bool reloadWorkspaces();
    const QList<WSListModelPtr>& workspaces() const { return m_workspaces; }
    WSListModelPtr workspace(const QString& wsID) const;

    ItemStateEnum itemState(const QString& wsID) const { return m_shared->records.state(wsID); }
    // True while the workspace counts as switched on (opening or open).
    bool isOn(const QString& wsID) const { return m_shared->records.toggleIsOn(wsID); }
    bool isAnyWorkspaceBusy() const { return m_shared->records.anyBusy(); }
    WorkspaceActivationRecords& records() { return m_shared->records; }

    // Switches the workspace on or off, whichever it is not (main thread). A
    // workspace being switched either way ignores this. Not from the
    // popover's switch (fromStatusBar false), the popover closes first.
    Answer toggleWorkspace(const QString& wsID, bool fromStatusBar = false);
    Answer switchOn(const QString& wsID, bool fromStatusBar = false);
    Answer switchOff(const QString& wsID, bool fromStatusBar = false);
    // Switches on, in the list's order, every listed workspace marked "Switch
    // on when Dexaro starts" (the placement table's options); answers those
    // that began switching.
    QStringList switchOnMarkedWorkspaces();

    // A deleted workspace: its records are forgotten and it is off. Nothing
    // is closed, and work still under way for it records nothing.
    void forgetWorkspace(const QString& wsID);

    // At quit: nothing more is launched or opened, and the workers are given
    // at most waitMs to finish what they are doing. Later results only reach
    // the records.
    void stop(int waitMs = stopWaitMs);
    bool isStopped() const { return m_shared->stopped.load(); }
    // Waits for the workers (tests and benchmarks); true when they are done.
    bool waitForWorkers(int waitMs = -1) { return m_pool.waitForDone(waitMs); }

    // Shared with the workers; outlives this object while they run.
    struct Shared {
        WorkspaceActivationRecords records;
        std::atomic<bool> stopped{false};
    };

signals:
    // setWorkspaces() gave a new list.
    void workspacesChanged();
    // Switching on (on true) or off has begun; the state is runningApp.
    void switchingStarted(const QString& wsID, bool on);
    // The workspace left runningApp: it is now active or inactive.
    void stateChanged(const QString& wsID, ItemStateEnum state);

private:
    void bindHotKeys();
    void closePopover();

    ActivationServices m_services;
    std::shared_ptr<Shared> m_shared = std::make_shared<Shared>();
    QThreadPool m_pool;
    QList<WSListModelPtr> m_workspaces;
    QSet<QString> m_boundKeys;
};

} // namespace dexaro
