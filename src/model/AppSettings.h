#pragma once
// The four user settings as loaded at start-up and changed by the settings
// screen: the texts "0" / "1" that the rest of the program reads. Held by the
// application delegate for the whole run.
#include <QString>

namespace dexaro {

struct AppSettings {
    QString forceTerminate;    // "termination": "1" force-terminates on close
    QString createNewInstance; // "createinstance": "1" asks for a new instance
    QString hideApps;          // "hideApps": "1" launches applications hidden
    QString runAtLogin;        // "runningAtLogin": "1" starts Dexaro at login
    QString scanDefaultApps = QStringLiteral("1");

    static bool isOn(const QString& value) { return value == QLatin1String("1"); }
};

} // namespace dexaro
