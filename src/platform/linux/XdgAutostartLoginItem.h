#pragma once
// LoginItem as an XDG autostart entry: $XDG_CONFIG_HOME/autostart/<identifier>.desktop
// (Type=Application; Exec and TryExec name the launcher program). Disabling
// deletes the entry: systemd's autostart generator ignores the
// X-GNOME-Autostart-enabled key, so an entry that exists always runs.
#include "platform/LoginItem.h"

#include <QString>

namespace dexaro {

class XdgAutostartLoginItem : public LoginItem {
public:
    // launcherPath: absolute path of the program the entry starts.
    explicit XdgAutostartLoginItem(QString launcherPath);

    bool setEnabled(const QString& identifier, bool enabled, QString* error = nullptr) override;
    bool isEnabled(const QString& identifier) const override;

    QString entryPath(const QString& identifier) const;

    // The launcher beside a program at <prefix>/bin/<name>:
    // <prefix>/libexec/dexaro/dexaro-launcher.
    static QString launcherPathFor(const QString& programPath);
    // The entry's text for that launcher.
    static QByteArray entryText(const QString& launcherPath);
    // One argument of an Exec key: quoted when it holds a reserved character,
    // '%' doubled, then escaped as a string value.
    static QString execArgument(const QString& argument);
    // A string value of a desktop entry: backslash, newline, tab and carriage
    // return escaped, a leading space as \s.
    static QString escapeString(const QString& value);

private:
    QString m_launcherPath;
};

} // namespace dexaro
