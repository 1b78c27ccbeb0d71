#pragma once
// A temporary tree of application folders for scan tests: entries, raw files,
// folders and symbolic links at paths relative to its root.
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>
#include <unistd.h>

namespace dexaro::test {

class AppFolderTree {
public:
    QString root() const { return m_dir.path(); }
    QString path(const QString& relative) const { return m_dir.filePath(relative); }

    // relative with these bytes; parent folders are made.
    QString file(const QString& relative, const QByteArray& bytes) const {
        const QString target = path(relative);
        QDir().mkpath(QFileInfo(target).absolutePath());
        QFile out(target);
        if (out.open(QIODevice::WriteOnly | QIODevice::Truncate))
            out.write(bytes);
        return target;
    }

    // A desktop entry: the [Desktop Entry] group with these "Key=Value" lines.
    QString entry(const QString& relative, const QStringList& lines) const {
        return file(relative, (QStringLiteral("[Desktop Entry]\n") + lines.join(QLatin1Char('\n')) +
                               QLatin1Char('\n'))
                                  .toUtf8());
    }

    // An application entry named name (Exec=true), with more lines.
    QString app(const QString& relative, const QString& name, const QStringList& more = {}) const {
        return entry(relative,
                     QStringList{QStringLiteral("Type=Application"), QStringLiteral("Name=") + name,
                                 QStringLiteral("Exec=true")} +
                         more);
    }

    // A symbolic link at relative pointing to target, written as given.
    bool link(const QString& relative, const QString& target) const {
        QDir().mkpath(QFileInfo(path(relative)).absolutePath());
        return ::symlink(QFile::encodeName(target).constData(),
                         QFile::encodeName(path(relative)).constData()) == 0;
    }

private:
    QTemporaryDir m_dir;
};

} // namespace dexaro::test
