#pragma once
// The main window: navigation column (Create, Edit, Configs) and the content
// area. Closing only hides it; it lives for the whole run. Ctrl-W hides it,
// Ctrl-Q asks the application to quit.
#include <QMainWindow>

class QVBoxLayout;

namespace dexaro {

class Alerts;
class LoginItem;
class WorkAreas;
class ToolbarItemView;
class WSMainView;
class WorkspaceStore;
struct AppSettings;

class CustomMainWindow : public QMainWindow {
    Q_OBJECT
public:
    // Screen codes of the content area (and item identifiers of the column).
    enum ViewCode { NoView = 0, CreatorView = 1, EditorView = 2, SettingsScreen = 3 };

    CustomMainWindow(AppSettings& settings, WorkspaceStore& store, LoginItem& loginItem,
                     QWidget* parent = nullptr);

    // The Creator and Editor screens, which the window keeps across switches.
    // Until they are given, plain placeholder screens stand in. The window takes
    // ownership; the placeholders they replace are deleted. The Editor view's
    // focus proxy (its workspace chooser) gets the focus when the Editor is shown.
    void setScreenViews(QWidget* creator, QWidget* editor);
    // Where the settings screen reports failures it cannot leave to the store.
    void setAlerts(Alerts* alerts);

    // Sizes the window to the primary monitor's work area and centres it, now
    // and whenever a screen comes, goes or changes.
    void followPrimaryWorkArea(WorkAreas& workAreas);
    void fitToPrimaryWorkArea(WorkAreas& workAreas);
    // The window's frame for a work area and a panel thickness.
    static QRect frameFor(const QRect& workArea, int statusBarThickness);

    // Shows the screen with that code; the code shown already, or an unknown
    // one, changes nothing. The settings screen is built anew on each visit.
    void switchMainContent(int code);

    int currentViewCode() const { return m_currentViewCode; }
    QWidget* currentView() const { return m_currentView; }
    QWidget* creatorView() const { return m_creatorView; }
    QWidget* editorView() const { return m_editorView; }
    ToolbarItemView* toolbarItem(int itemID) const;
    WSMainView* toolbarBackgroundView() const { return m_toolbarBackgroundView; }

signals:
    // Ctrl-Q: the application delegate runs its quit path (save, maybe ask).
    void quitRequested();
    // "ItemSelected": a navigation item was selected by the user.
    void itemSelected(int selectedItemsID);

private:
    void buildMainWindowContent();
    void itemWasSelected(int itemID);
    void showView(QWidget* view);

    AppSettings& m_settings;
    WorkspaceStore& m_store;
    LoginItem& m_loginItem;
    Alerts* m_alerts = nullptr;

    WSMainView* m_toolbarBackgroundView = nullptr;
    WSMainView* m_rightBorderView = nullptr;
    QVBoxLayout* m_contentLayout = nullptr;
    QList<ToolbarItemView*> m_items;
    QWidget* m_creatorView = nullptr;
    QWidget* m_editorView = nullptr;
    QWidget* m_currentView = nullptr;
    int m_currentViewCode = NoView;
};

} // namespace dexaro
