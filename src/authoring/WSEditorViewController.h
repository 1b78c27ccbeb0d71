#pragma once
// The Editor, the main window's second tab: pick a stored workspace from the
// pop-up, change its name, applications, links, placements and shortcut and
// save it, or delete it after a confirmation. With no workspace picked it shows
// its empty state and its controls are locked. The list loads off the GUI
// thread (WSEditorListLoader). The workspace being edited is found by its
// identifier, which a rename keeps. Main thread only.
#include "authoring/AuthoringContext.h"
#include "model/Records.h"
#include "positioning/WSEditorPositionManager.h"
#include "style/WSMainView.h"

#include <QList>

class QComboBox;
class QLabel;
class QPushButton;
class QStackedLayout;

namespace dexaro {

class AppListCollectionView;
class BusySpinner;
class InstalledAppsScanner;
class LinkPopover;
class MASShortcutView;
class StartChoiceView;
class WSEditorListLoader;
class WSEmptyStateView;
class WSNameCheckerPopover;
class WSNameTyping;
class WSTextField;

class WSEditorViewController : public WSMainView {
    Q_OBJECT
public:
    explicit WSEditorViewController(const AuthoringContext& context, QWidget* parent = nullptr);
    ~WSEditorViewController() override;

    // The pop-up's action: index 0 is the placeholder.
    void popUpWsButtonSelectionHandler(int index);
    // "Save" and "Delete".
    void saveWS();
    void deleteWS();

    // Placeholder first, then the stored workspaces; index-aligned with the pop-up.
    const QList<WSListModelPtr>& wsList() const { return m_wsList; }
    int currentSelectedPopItemIndex() const { return m_currentIndex; }
    bool isLoadingList() const;

    QComboBox* popUpButton() const { return m_popUpButton; }
    WSTextField* nameField() const { return m_nameField; }
    QPushButton* saveButton() const { return m_saveButton; }
    QPushButton* deleteButton() const { return m_deleteButton; }
    MASShortcutView* shortcutView() const { return m_shortcutView; }
    AppListCollectionView* collectionView() const { return m_collectionView; }
    LinkPopover* urlPopover() const { return m_urlPopover; }
    LinkPopover* filePopover() const { return m_filePopover; }
    WSNameCheckerPopover* nameLengthWarning() const { return m_nameWarning; }
    WSEmptyStateView* emptyView() const { return m_emptyView; }
    InstalledAppsScanner* scanner() const { return m_scanner; }
    WSEditorPositionManager& positionManager() { return m_positionManager; }
    StartChoiceView* startChoice() const { return m_startChoice; }

    static inline const QString alertTitle = QStringLiteral("Workspace updating");
    static inline const QString deleteAlertTitle = QStringLiteral("Workspace deleting");
    static inline const QString placeholderTitle = QStringLiteral("Select Workspace to edit");
    // The user-defaults key the recorder rests on while no workspace is picked.
    static inline const QString scratchKey = QStringLiteral("0000");

signals:
    // The list came back from the store and the pop-up shows it.
    void listReloaded();

protected:
    // Each time the tab is shown: a fresh scan, the list reloaded when it is
    // out of date, the pop-up refilled.
    void showEvent(QShowEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void buildView();
    void scanFinished();
    void reloadList();
    void listLoaded(const QList<WSListModelPtr>& list);
    void listFailed(const QString& error);
    void finishAppearing();
    void refillPopUp();
    void showNoSelection();
    void setLoadingLook(bool loading);
    void resetRecorderToScratchKey();
    void closeLinkPopovers();
    void refuse(const QString& message, const QString& informative);

    AuthoringContext m_context;
    WSEditorPositionManager m_positionManager;
    QList<WSListModelPtr> m_wsList;
    int m_currentIndex = 0;
    bool m_firstScanDone = false;
    bool m_saveAfterScan = false;

    QComboBox* m_popUpButton = nullptr;
    BusySpinner* m_spinner = nullptr;
    WSTextField* m_nameField = nullptr;
    WSNameCheckerPopover* m_nameWarning = nullptr;
    WSNameTyping* m_nameTyping = nullptr;
    MASShortcutView* m_shortcutView = nullptr;
    StartChoiceView* m_startChoice = nullptr;
    QStackedLayout* m_pages = nullptr;
    WSEmptyStateView* m_emptyView = nullptr;
    QWidget* m_editingPage = nullptr;
    AppListCollectionView* m_collectionView = nullptr;
    QPushButton* m_saveButton = nullptr;
    QPushButton* m_deleteButton = nullptr;
    LinkPopover* m_urlPopover = nullptr;
    LinkPopover* m_filePopover = nullptr;
    InstalledAppsScanner* m_scanner = nullptr;
    WSEditorListLoader* m_loader = nullptr;
};

} // namespace dexaro
