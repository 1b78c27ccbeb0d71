#pragma once
// The popover's workspace list: one row per workspace, in a scroll area. It
// keeps, per workspace identifier, the state and the applications launched
// (WorkspaceActivationRecords), switches workspaces on and off, and binds
// every listed workspace's hot key.
//
// Rows are made only for what is scrolled into view (and a little around it)
// and reused as the list scrolls; a row shows whatever the records say, so a
// workspace switched by its hot key while its row does not exist shows right
// when its row appears.
//
// Launching and closing run on a thread pool of the list's own; their results
// come back to the main thread, where every look and alert is shown. Work that
// outlives the list only touches shared records, never the list.
#include "activation/ItemStateEnum.h"
#include "activation/StatusBarHost.h"
#include "activation/WorkspaceActivationRecords.h"
#include "model/Records.h"

#include <QHash>
#include <QList>
#include <QSet>
#include <QThreadPool>
#include <QWidget>
#include <atomic>
#include <memory>

namespace dexaro {

class StatusBarPopoverCollectionViewItem;
struct WorkspaceOpening;

class StatusBarPopoverCollectionView : public QWidget {
    Q_OBJECT
public:
    // Flow layout of the rows (section insets and the space between rows).
    static constexpr int insetTop = 20;
    static constexpr int insetLeft = 10;
    static constexpr int insetBottom = 20;
    static constexpr int lineSpacing = 10;
    static constexpr int rowWidth = 300;

    explicit StatusBarPopoverCollectionView(QWidget* parent = nullptr);
    ~StatusBarPopoverCollectionView() override;

    void setHost(const StatusBarHost& host) { m_host = host; }
    const StatusBarHost& host() const { return m_host; }

    // The rows, in the order the store lists them.
    QList<WSListModelPtr> wsList;
    // Lays the rows out again for wsList and binds the listed workspaces' hot
    // keys (breaking those of workspaces no longer listed).
    void reloadData();

    // A row's size for a workspace name: 300 wide; the name measured in the
    // system font at 20 px, light, wrapped at 300; below 40 counts as 30; plus 8.
    static QSize rowSize(const QString& name);

    WorkspaceActivationRecords& records() { return m_shared->records; }
    ItemStateEnum itemState(const QString& wsID) const { return m_shared->records.state(wsID); }
    bool isAnyWorkspaceBusy() const { return m_shared->records.anyBusy(); }

    // Switches the workspace on or off, whichever it is not (main thread). A
    // workspace being switched either way ignores this. From a hot key
    // (fromStatusBar false) the popover closes first.
    void toggleWorkspace(const QString& wsID, bool fromStatusBar);

    // "DeletedWS": the workspace at that position of the list shown now is
    // forgotten (records cleared, state inactive). Nothing is closed.
    void handleWSDeleteNotifications(int workspaceIndex);

    // Stops accepting work and waits for the list's workers (at quit). Late
    // launch results then only reach the shared records.
    void stop();

    // Rows that exist now (scrolled into view), and the row of a workspace.
    QList<StatusBarPopoverCollectionViewItem*> visibleItems() const;
    StatusBarPopoverCollectionViewItem* itemForWorkspace(const QString& wsID) const;
    // The pool the list's launching and closing run on.
    QThreadPool& workPool() { return m_pool; }

    // Shared with the workers; outlives the list while they run.
    struct Shared {
        WorkspaceActivationRecords records;
        std::atomic<bool> stopped{false};
    };

    // Looks and alerts, main thread (the workers come back through these).
    void showSwitchedOffLook(const QString& wsID);
    void endBusyLook(const QString& wsID);
    void showAppsNotOpenedAlert(const QStringList& failed);
    void showFilesNotOpenedAlert(const QStringList& paths);

protected:
    bool event(QEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void switchOn(const WSListModel& workspace, bool fromStatusBar);
    void switchOff(const QString& wsID, bool fromStatusBar);
    void openWorkspace(const std::shared_ptr<WorkspaceOpening>& opening);
    void closePopover();
    void bindHotKeys();
    void layoutVisibleRows();
    void configureItem(StatusBarPopoverCollectionViewItem* item, int index);
    WSListModelPtr workspace(const QString& wsID) const;

    StatusBarHost m_host;
    std::shared_ptr<Shared> m_shared = std::make_shared<Shared>();
    QThreadPool m_pool;
    QList<int> m_rowTops; // top of each row, then the end of the content
    QList<int> m_rowHeights;
    QHash<int, StatusBarPopoverCollectionViewItem*> m_items; // by row number
    QList<StatusBarPopoverCollectionViewItem*> m_spareItems;
    QSet<QString> m_boundKeys;
    QWidget* m_watchedViewport = nullptr;
};

} // namespace dexaro
