#pragma once
// The popover's content controller. Its root view is a CustomNSPopoverView,
// 385 wide and a third of the primary screen's height tall, holding the
// settings icon (25 x 25 at 10, 10) with its menu and, 5 px after it, the
// workspace list in a scroll area.
//
// The list shows the workspaces of a WorkspaceActivation, which does the
// switching. Wiring: fill appDelegate (StatusBarHost) before the view is first
// asked for, and connect the popover's opening to viewDidAppear().
#include "activation/StatusBarHost.h"
#include "activation/StatusBarPopoverCollectionView.h"

#include <QObject>
#include <QPointer>

class QLabel;
class QMenu;
class QPushButton;
class QScrollArea;

namespace dexaro {

class CustomNSPopoverView;
class StatusBarPopoverCollectionView;
class StatusbarSettingsImageButton;
class WorkspaceActivation;

class StatusBarItemViewController : public QObject {
    Q_OBJECT
public:
    static constexpr int viewWidth = 385;
    static constexpr int settingsIconInset = 10;
    static constexpr int settingsIconSize = 25;
    static constexpr int listLeft = settingsIconInset + settingsIconSize + 5;

    explicit StatusBarItemViewController(WorkspaceActivation& activation,
                                         QObject* parent = nullptr);
    ~StatusBarItemViewController() override;

    StatusBarHost appDelegate;
    WorkspaceActivation& activation() const { return m_activation; }

    // The root view, created on first use. The controller owns it until it is
    // put into a window; the window owns it afterwards.
    CustomNSPopoverView* view();
    bool isViewLoaded() const { return m_view != nullptr; }
    StatusBarPopoverCollectionView* wsListCollectionView() const { return m_list; }
    QScrollArea* scrollView() const { return m_scrollView; }
    StatusbarSettingsImageButton* settingsIcon() const { return m_settingsIcon; }
    // With no workspace stored: a line saying so and a button to make one.
    QWidget* emptyState() const { return m_emptyState; }
    QPushButton* createButton() const { return m_createButton; }
    // "Preferences": the four commands of SettingsMenuActions.
    QMenu* settingsMenu() const { return m_settingsMenu; }
    // The popover's opacity: dimmed while the settings menu is open.
    qreal popoverOpacity() const;

    // Called once the root view exists, and each time the popover has opened.
    virtual void viewDidLoad();
    virtual void viewDidAppear();

    // Height of the root view for a screen of that height.
    static int viewHeightFor(int screenHeight) { return screenHeight / 3; }

public slots:
    // The list again from the store.
    void reloadWSListCollectionView();
    // Pops the settings menu up beside the icon.
    void showPreferencesMenu();

private:
    void loadView();
    void buildEmptyState();
    void showEmptyStateIfEmpty();
    void reloadIfMarked();

    WorkspaceActivation& m_activation;
    CustomNSPopoverView* m_view = nullptr;
    QPointer<StatusBarPopoverCollectionView> m_list;
    QScrollArea* m_scrollView = nullptr;
    StatusbarSettingsImageButton* m_settingsIcon = nullptr;
    QMenu* m_settingsMenu = nullptr;
    QWidget* m_emptyState = nullptr;
    QPushButton* m_createButton = nullptr;
};

} // namespace dexaro
