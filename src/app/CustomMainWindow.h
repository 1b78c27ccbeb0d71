#pragma once
// The main window: navigation column (Create, Edit, Configs) and the content
// area. Closing only hides it; it lives for the whole run.
#include <QMainWindow>

namespace dexaro {

class Alerts;
class LoginItem;
class WorkspaceStore;
struct AppSettings;

class CustomMainWindow : public QMainWindow {
    Q_OBJECT
public:
    CustomMainWindow(AppSettings& settings, WorkspaceStore& store, LoginItem& loginItem,
                     QWidget* parent = nullptr);

signals:
    // Ctrl-Q: the application delegate runs its quit path (save, maybe ask).
    void quitRequested();
};

} // namespace dexaro
