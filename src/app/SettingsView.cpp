#include "app/SettingsView.h"

#include "app/AppIdentifiers.h"
#include "app/SettingsSwitch.h"
#include "model/AppSettings.h"
#include "model/WorkspaceStore.h"
#include "platform/Alerts.h"
#include "platform/LoginItem.h"
#include "style/Colors.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QSpacerItem>
#include <QVBoxLayout>
#include <cstdio>

namespace dexaro {

namespace {

QString stateText(const SettingsSwitch* button) {
    return button->isChecked() ? QStringLiteral("1") : QStringLiteral("0");
}

QLabel* titleLabel(const QString& text, QWidget* parent) {
    auto* label = new QLabel(text, parent);
    QFont font = label->font();
    font.setPixelSize(26);
    font.setWeight(QFont::Black);
    label->setFont(font);
    return label;
}

} // namespace

SettingsView::SettingsView(AppSettings& settings, WorkspaceStore& store, LoginItem& loginItem,
                           Alerts* alerts, QWidget* parent)
    : WSMainView(parent), m_settings(settings), m_store(store), m_loginItem(loginItem),
      m_alerts(alerts) {
    setObjectName(QStringLiteral("SettingsView"));
    // Light: a light layer; dark: the window's own background.
    setColors(colorFromHex(0xfbfbfd), std::nullopt);

    auto* root = new QVBoxLayout(this);
    root->setContentsMargins(40, 30, 40, 30);
    auto* titles = new QHBoxLayout;
    titles->setSpacing(10);
    titles->addWidget(titleLabel(QStringLiteral("App"), this));
    titles->addWidget(titleLabel(QStringLiteral("Configurations"), this));
    titles->addStretch();
    root->addLayout(titles);
    root->addStretch();

    m_options = new QWidget(this);
    m_options->setObjectName(QStringLiteral("options"));
    // 700 by 200, or as wide as the longest title needs in the desktop's font.
    auto* column = new QVBoxLayout(m_options);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(14);
    column->addSpacerItem(new QSpacerItem(700, 0, QSizePolicy::Fixed, QSizePolicy::Minimum));
    m_options->setMinimumHeight(200);
    auto* centred = new QHBoxLayout;
    centred->addStretch();
    centred->addWidget(m_options);
    centred->addStretch();
    root->addLayout(centred);
    root->addStretch();

    m_runningAtLaunchButton =
        addSwitch(QStringLiteral("Start Dexaro at login automatically"), m_settings.runAtLogin,
                  &SettingsView::saveRunAtLoginWithButton);
    m_terminateOption =
        addSwitch(QStringLiteral("Force terminate (system will close workspace's apps immediately "
                                 "and unsaved data can be lost)"),
                  m_settings.forceTerminate, &SettingsView::saveTerminationStyleWithButton);
    m_appInstanceOption =
        addSwitch(QStringLiteral("Attempt to create new instance of app even if one is running "
                                 "(some apps allow to create only one instance)"),
                  m_settings.createNewInstance, &SettingsView::saveNewInstanceOptionWithButton);
    m_hideAppsOption = addSwitch(QStringLiteral("Hide launched apps"), m_settings.hideApps,
                                 &SettingsView::saveHideAppsOptionWithButton);
}

SettingsSwitch* SettingsView::addSwitch(const QString& title, const QString& field,
                                        void (SettingsView::*action)()) {
    auto* button = new SettingsSwitch(title, m_options);
    // Anything but exactly "1" (including a damaged stored value) shows off;
    // the next click stores a clean "0" or "1".
    button->setChecked(AppSettings::isOn(field));
    connect(button, &QCheckBox::clicked, this, action);
    m_options->layout()->addWidget(button);
    return button;
}

void SettingsView::store(SettingsSwitch* button, const QString& storedName,
                         QString AppSettings::*field) {
    const QString value = stateText(button);
    m_store.writeSetting(storedName, value);
    // Even when storing failed (the store has said so), the change holds for this run.
    m_settings.*field = value;
}

void SettingsView::saveRunAtLoginWithButton() {
    const bool on = m_runningAtLaunchButton->isChecked();
    QString error;
    if (!m_loginItem.setEnabled(LauncherBundleIdentifier, on, &error)) {
        // The desktop would not do as the switch says: keep everything as it was.
        m_runningAtLaunchButton->setChecked(!on);
        const QString message = on ? QStringLiteral("Could not set Dexaro to start at login!")
                                   : QStringLiteral("Could not stop Dexaro starting at login!");
        if (m_alerts)
            m_alerts->warn(QStringLiteral("Dexaro settings"), message, error);
        else
            std::fprintf(stderr, "%s %s\n", qPrintable(message), qPrintable(error));
        return;
    }
    store(m_runningAtLaunchButton, storedSettingName(QStringLiteral("runningAtLogin")),
          &AppSettings::runAtLogin);
}

void SettingsView::saveTerminationStyleWithButton() {
    store(m_terminateOption, storedSettingName(QStringLiteral("termination")),
          &AppSettings::forceTerminate);
}

void SettingsView::saveNewInstanceOptionWithButton() {
    store(m_appInstanceOption, storedSettingName(QStringLiteral("createinstance")),
          &AppSettings::createNewInstance);
}

void SettingsView::saveHideAppsOptionWithButton() {
    store(m_hideAppsOption, storedSettingName(QStringLiteral("hideApps")), &AppSettings::hideApps);
}

} // namespace dexaro
