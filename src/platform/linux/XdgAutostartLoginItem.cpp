#include "platform/linux/XdgAutostartLoginItem.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QStandardPaths>

namespace dexaro {

XdgAutostartLoginItem::XdgAutostartLoginItem(QString launcherPath)
    : m_launcherPath(std::move(launcherPath)) {}

QString XdgAutostartLoginItem::entryPath(const QString& identifier) const {
    return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) +
           QStringLiteral("/autostart/") + identifier + QStringLiteral(".desktop");
}

QString XdgAutostartLoginItem::launcherPathFor(const QString& programPath) {
    // <prefix>/bin/<name> -> <prefix>/libexec/dexaro/dexaro-launcher
    return QDir::cleanPath(QFileInfo(programPath).absolutePath() +
                           QStringLiteral("/../libexec/dexaro/dexaro-launcher"));
}

QString XdgAutostartLoginItem::escapeString(const QString& value) {
    QString out;
    out.reserve(value.size());
    for (qsizetype i = 0; i < value.size(); ++i) {
        const QChar c = value.at(i);
        if (c == u'\\')
            out += QStringLiteral("\\\\");
        else if (c == u'\n')
            out += QStringLiteral("\\n");
        else if (c == u'\t')
            out += QStringLiteral("\\t");
        else if (c == u'\r')
            out += QStringLiteral("\\r");
        else if (c == u' ' && i == 0)
            out += QStringLiteral("\\s");
        else
            out += c;
    }
    return out;
}

QString XdgAutostartLoginItem::execArgument(const QString& argument) {
    static const QString reserved = QStringLiteral(" \t\n\"'\\><~|&;$*?#()`");
    bool needsQuotes = argument.isEmpty();
    for (const QChar c : argument)
        needsQuotes = needsQuotes || reserved.contains(c);
    QString quoted;
    if (needsQuotes) {
        quoted += u'"';
        for (const QChar c : argument) {
            if (c == u'"' || c == u'`' || c == u'$' || c == u'\\')
                quoted += u'\\';
            quoted += c;
        }
        quoted += u'"';
    } else {
        quoted = argument;
    }
    quoted.replace(u'%', QStringLiteral("%%"));
    // The string escapes apply before the quoting rule when the entry is read.
    return escapeString(quoted);
}

QByteArray XdgAutostartLoginItem::entryText(const QString& launcherPath) {
    QString text;
    text += QStringLiteral("[Desktop Entry]\n");
    text += QStringLiteral("Type=Application\n");
    text += QStringLiteral("Name=Dexaro\n");
    text += QStringLiteral("Comment=Starts Dexaro when you log in\n");
    text += QStringLiteral("Exec=") + execArgument(launcherPath) + u'\n';
    text += QStringLiteral("TryExec=") + escapeString(launcherPath) + u'\n';
    text += QStringLiteral("Icon=org.dexaro.Dexaro\n");
    text += QStringLiteral("Terminal=false\n");
    text += QStringLiteral("NoDisplay=true\n");
    return text.toUtf8();
}

bool XdgAutostartLoginItem::setEnabled(const QString& identifier, bool enabled, QString* error) {
    const QString path = entryPath(identifier);
    if (!enabled) {
        QFile file(path);
        if (!file.exists() || file.remove())
            return true;
        if (error)
            *error = QStringLiteral("Could not remove %1: %2").arg(path, file.errorString());
        return false;
    }
    if (!QFileInfo(m_launcherPath).isAbsolute()) {
        if (error)
            *error = QStringLiteral("The launcher's path is not absolute: %1").arg(m_launcherPath);
        return false;
    }
    if (!QDir().mkpath(QFileInfo(path).absolutePath())) {
        if (error)
            *error = QStringLiteral("Could not create the folder of %1").arg(path);
        return false;
    }
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(entryText(m_launcherPath)) < 0 ||
        !file.commit()) {
        if (error)
            *error = QStringLiteral("Could not write %1: %2").arg(path, file.errorString());
        return false;
    }
    return true;
}

bool XdgAutostartLoginItem::isEnabled(const QString& identifier) const {
    return QFileInfo::exists(entryPath(identifier));
}

} // namespace dexaro
