#pragma once
#include <QString>

namespace dexaro {

inline const QString MainAppBundleIdentifier = QStringLiteral("org.dexaro.Dexaro");
inline const QString LauncherBundleIdentifier =
    MainAppBundleIdentifier + QStringLiteral("launcher");
inline const QString KillLauncherNotification = QStringLiteral("killLauncher");

} // namespace dexaro
