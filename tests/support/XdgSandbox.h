#pragma once
// A private XDG desktop for tests that launch applications: XDG_DATA_HOME,
// XDG_CONFIG_HOME, XDG_DATA_DIRS and XDG_CONFIG_DIRS point into a temporary
// folder, so that only the desktop entries a test writes exist (the shared
// MIME database stays visible). GLib reads these variables once: create the
// sandbox before anything uses GLib, for example from a static initializer.
#include <QDir>
#include <QFile>
#include <QString>
#include <QTemporaryDir>
#include <QUrl>

namespace dexaro::test {

class XdgSandbox {
public:
    XdgSandbox() {
        QDir root(m_dir.path());
        for (const char* sub : {"data/applications", "config", "system", "system-config"})
            root.mkpath(QLatin1String(sub));
        QFile::link(QStringLiteral("/usr/share/mime"), path(QStringLiteral("system/mime")));
        qputenv("XDG_DATA_HOME", QFile::encodeName(path(QStringLiteral("data"))));
        qputenv("XDG_CONFIG_HOME", QFile::encodeName(path(QStringLiteral("config"))));
        qputenv("XDG_DATA_DIRS", QFile::encodeName(path(QStringLiteral("system"))));
        qputenv("XDG_CONFIG_DIRS", QFile::encodeName(path(QStringLiteral("system-config"))));
    }

    QString path(const QString& relative) const { return m_dir.filePath(relative); }

    // Writes applications/<id> in the data home with the [Desktop Entry] lines
    // given ("Key=Value"); answers its file:// URL.
    QString writeEntry(const QString& id, const QStringList& lines) const {
        const QString file = path(QStringLiteral("data/applications/") + id);
        writeText(file, ("[Desktop Entry]\n" + lines.join(u'\n') + u'\n').toUtf8());
        return QUrl::fromLocalFile(file).toString();
    }

    static void writeText(const QString& file, const QByteArray& bytes) {
        QFile out(file);
        if (out.open(QIODevice::WriteOnly | QIODevice::Truncate))
            out.write(bytes);
    }

private:
    QTemporaryDir m_dir;
};

} // namespace dexaro::test
