#pragma once
// The Creator, the main window's first tab: a new workspace's name,
// applications picked from the installed ones, links, files, placements and
// shortcut. "Save" checks the input in a fixed order, has the catalog store the
// workspace with its shortcut and placements, says how that went and empties
// the screen for the next one. Main thread only.
#include "authoring/AuthoringContext.h"
#include "positioning/WSCreatorPositionManager.h"
#include "shortcuts/MASShortcut.h"
#include "style/WSMainView.h"

#include <optional>

class QLabel;
class QPushButton;

namespace dexaro {

class AppListCollectionView;
class InstalledAppsScanner;
class LinkPopover;
class MASShortcutView;
class StartChoiceView;
class WSNameCheckerPopover;
class WSNameTyping;
class WSTextField;

class WSCreatorViewController : public WSMainView {
    Q_OBJECT
public:
    explicit WSCreatorViewController(const AuthoringContext& context, QWidget* parent = nullptr);
    ~WSCreatorViewController() override;

    // "Save".
    void saveWS();
    // "From open windows": the applications of the windows open now are
    // picked, each with its nearest placement, monitor and desktop.
    void captureOpenWindows();
    QPushButton* captureButton() const { return m_captureButton; }

    // The shortcut that "Save" stores: the recorder's value as the user left it.
    std::optional<MASShortcut> shortcutValue() const { return m_shortcutValue; }

    WSTextField* nameField() const { return m_nameField; }
    QPushButton* saveButton() const { return m_saveButton; }
    MASShortcutView* shortcutView() const { return m_shortcutView; }
    AppListCollectionView* collectionView() const { return m_collectionView; }
    LinkPopover* urlPopover() const { return m_urlPopover; }
    LinkPopover* filePopover() const { return m_filePopover; }
    WSNameCheckerPopover* nameLengthWarning() const { return m_nameWarning; }
    // Shown where the desktop lets no application take shortcuts: the command
    // to bind in the desktop's keyboard settings instead.
    QLabel* shortcutNotice() const { return m_shortcutNotice; }
    InstalledAppsScanner* scanner() const { return m_scanner; }
    WSCreatorPositionManager& positionManager() { return m_positionManager; }
    StartChoiceView* startChoice() const { return m_startChoice; }

    static inline const QString alertTitle = QStringLiteral("Workspace creating");

protected:
    // Each time the tab is shown: the search is emptied and a fresh scan fills the grid.
    void showEvent(QShowEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void buildView();
    void scanFinished();
    void updateShortcutNotice();
    void refuse(const QString& message, const QString& informative);
    void resetScreen();

    AuthoringContext m_context;
    WSCreatorPositionManager m_positionManager;
    std::optional<MASShortcut> m_shortcutValue;
    bool m_firstScanDone = false;
    bool m_saveAfterScan = false;
    bool m_captureAfterScan = false;

    WSTextField* m_nameField = nullptr;
    WSNameCheckerPopover* m_nameWarning = nullptr;
    WSNameTyping* m_nameTyping = nullptr;
    QLabel* m_selectAppLabel = nullptr;
    QLabel* m_shortcutNotice = nullptr;
    AppListCollectionView* m_collectionView = nullptr;
    QPushButton* m_saveButton = nullptr;
    QPushButton* m_captureButton = nullptr;
    MASShortcutView* m_shortcutView = nullptr;
    LinkPopover* m_urlPopover = nullptr;
    LinkPopover* m_filePopover = nullptr;
    InstalledAppsScanner* m_scanner = nullptr;
    StartChoiceView* m_startChoice = nullptr;
};

} // namespace dexaro
