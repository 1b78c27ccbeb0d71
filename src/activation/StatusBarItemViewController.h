#pragma once
// The popover's content controller. Its root view is a CustomNSPopoverView,
// 385 wide and a third of the primary screen's height tall, holding the
// settings icon (25 x 25 at 10, 10) with its menu and, 5 px after it, the
// workspace list in a scroll area.
//
// Wiring: fill appDelegate (StatusBarHost) before the view is first asked
// for; connect "ReloadStatusBarPopoverWSCollectionList" to
// reloadWSListCollectionView(), "DeletedWS" to handleWSDeleteNotifications()
// and the popover's opening to viewDidAppear(); call stop() at quit.
#include "activation/StatusBarHost.h"
#include "activation/StatusBarPopoverCollectionView.h"
#include "model/Records.h"

#include <QList>
#include <QObject>
#include <QPointer>
#include <functional>

class QMenu;
class QScrollArea;

namespace dexaro {

class CustomNSPopoverView;
class StatusBarPopoverCollectionView;
class StatusbarSettingsImageButton;
class WorkspaceStore;

class StatusBarItemViewController : public QObject {
    Q_OBJECT
public:
    static constexpr int viewWidth = 385;
    static constexpr int settingsIconInset = 10;
    static constexpr int settingsIconSize = 25;
    static constexpr int listLeft = settingsIconInset + settingsIconSize + 5;

    explicit StatusBarItemViewController(QObject* parent = nullptr);
    ~StatusBarItemViewController() override;

    StatusBarHost appDelegate;
    QList<WSListModelPtr> wsList;

    // The root view, created on first use. The controller owns it until it is
    // put into a window; the window owns it afterwards.
    CustomNSPopoverView* view();
    bool isViewLoaded() const { return m_view != nullptr; }
    StatusBarPopoverCollectionView* wsListCollectionView() const { return m_list; }
    QScrollArea* scrollView() const { return m_scrollView; }
    StatusbarSettingsImageButton* settingsIcon() const { return m_settingsIcon; }
    // "Preferences": the four commands of SettingsMenuActions.
    QMenu* settingsMenu() const { return m_settingsMenu; }
    // The popover's opacity: dimmed while the settings menu is open.
    qreal popoverOpacity() const;

    // Called once the root view exists, and each time the popover has opened.
    virtual void viewDidLoad();
    virtual void viewDidAppear();

    // Is any workspace being switched on or off now.
    bool isAnyWorkspaceBusy() const;
    // At quit: waits for the list's workers; later results are dropped.
    void stop();

    // Height of the root view for a screen of that height.
    static int viewHeightFor(int screenHeight) { return screenHeight / 3; }

public slots:
    // "ReloadStatusBarPopoverWSCollectionList": the list again from the store.
    void reloadWSListCollectionView();
    // "DeletedWS" with its "workspaceIndex".
    void handleWSDeleteNotifications(int workspaceIndex);
    // Pops the settings menu up beside the icon.
    void showPreferencesMenu();

private:
    void loadView();
    WorkspaceStore* store() const;
    bool loadWorkspaceList();
    CustomNSPopoverView* m_view = nullptr;
    QPointer<StatusBarPopoverCollectionView> m_list;
    QScrollArea* m_scrollView = nullptr;
    StatusbarSettingsImageButton* m_settingsIcon = nullptr;
    QMenu* m_settingsMenu = nullptr;
};

} // namespace dexaro
