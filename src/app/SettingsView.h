#pragma once
// The "Configs" screen: the four settings as switches. Each click is stored at
// once and reflected in the application's settings; start at login also
// registers or unregisters the login launcher. Built anew on every visit, so it
// always shows the settings as they are.
#include "style/WSMainView.h"

namespace dexaro {

class Alerts;
class LoginItem;
class SettingsSwitch;
class WorkspaceStore;
struct AppSettings;

class SettingsView : public WSMainView {
    Q_OBJECT
public:
    // alerts may be null: a failure is then written to the console only.
    SettingsView(AppSettings& settings, WorkspaceStore& store, LoginItem& loginItem, Alerts* alerts,
                 QWidget* parent = nullptr);

    SettingsSwitch* runningAtLaunchButton() const { return m_runningAtLaunchButton; }
    SettingsSwitch* terminateOption() const { return m_terminateOption; }
    SettingsSwitch* appInstanceOption() const { return m_appInstanceOption; }
    SettingsSwitch* hideAppsOption() const { return m_hideAppsOption; }

private slots:
    void saveRunAtLoginWithButton();
    void saveTerminationStyleWithButton();
    void saveNewInstanceOptionWithButton();
    void saveHideAppsOptionWithButton();

private:
    SettingsSwitch* addSwitch(const QString& title, const QString& field,
                              void (SettingsView::*action)());
    void store(SettingsSwitch* button, const QString& storedName, QString AppSettings::*field);

    AppSettings& m_settings;
    WorkspaceStore& m_store;
    LoginItem& m_loginItem;
    Alerts* m_alerts;
    QWidget* m_options = nullptr;
    SettingsSwitch* m_runningAtLaunchButton = nullptr;
    SettingsSwitch* m_terminateOption = nullptr;
    SettingsSwitch* m_appInstanceOption = nullptr;
    SettingsSwitch* m_hideAppsOption = nullptr;
};

} // namespace dexaro
