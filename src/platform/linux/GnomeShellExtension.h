#pragma once
// Dexaro's GNOME Shell extension (resources/gnome-shell/): through it Dexaro
// reads, places and closes windows and binds hot keys under GNOME Shell, where
// no program may do so itself. Dexaro ships it and installs it on request into
// the user's own extensions folder; GNOME Shell reads that folder only when it
// starts, so an installed or updated extension is loaded at the next login.
#include <QString>

namespace dexaro::gnomeshell {

inline const QString extensionUuid = QStringLiteral("windows@dexaro.org");
// The version of the extension in Dexaro's resources (metadata.json "version").
int shippedVersion();
// $XDG_DATA_HOME/gnome-shell/extensions (~/.local/share/gnome-shell/extensions).
QString userExtensionsFolder();

struct InstallResult {
    bool ok = false;
    bool changed = false; // written anew (missing, of another version, or damaged)
    QString message;      // for the user: what happened and what follows
};
// Writes the shipped extension into <extensionsFolder>/<uuid>/, replacing one
// of another version or with other files; one that is already the same is left
// alone. The folder is written beside and swapped in, so a failure leaves
// what was there. A link or a folder that is not the user's own is refused.
InstallResult install(const QString& extensionsFolder = userExtensionsFolder());

// Adds the extension to GNOME Shell's enabled extensions (and takes it off the
// disabled ones), so that it runs from the next login. False with a reason
// when GNOME's settings are not there.
bool enableAtLogin(QString* error = nullptr);

// What GNOME Shell says of the extension, over its org.gnome.Shell.Extensions
// interface (timeout: timeoutMs).
enum class State { running, notInstalled, outdated, disabled, failed, noShell };
struct Status {
    State state = State::noShell;
    int runningVersion = 0; // the version the shell has loaded, 0 when none
    QString error;          // the shell's error for a failed extension
};
Status status(int timeoutMs = 1000);
// One paragraph for the user on a status other than running.
QString explain(const Status& status);

} // namespace dexaro::gnomeshell
