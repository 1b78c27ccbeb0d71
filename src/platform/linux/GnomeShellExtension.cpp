#include "platform/linux/GnomeShellExtension.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusReply>
#include <QDBusVariant>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QJsonDocument>
#include <QJsonObject>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QVariantMap>

// GIO names a struct member "signals", which Qt defines as a keyword.
#pragma push_macro("signals")
#undef signals
#include <gio/gio.h>
#pragma pop_macro("signals")
#include <sys/stat.h>
#include <unistd.h>

namespace dexaro::gnomeshell {
namespace {

const QString resourceFolder = QStringLiteral(":/gnome-shell/") + extensionUuid;
const QString shellService = QStringLiteral("org.gnome.Shell");
const QString shellPath = QStringLiteral("/org/gnome/Shell");
// The extension's states as GNOME Shell's ExtensionState numbers them.
constexpr int shellEnabled = 1, shellError = 3, shellOutOfDate = 4;

int versionOf(const QByteArray& metadata) {
    const QJsonObject object = QJsonDocument::fromJson(metadata).object();
    return object.value(QStringLiteral("version")).toInt(0);
}

QByteArray readAll(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// The shipped files, by name relative to the extension's folder.
QList<std::pair<QString, QByteArray>> shippedFiles() {
    QList<std::pair<QString, QByteArray>> files;
    QDirIterator it(resourceFolder, QDir::Files, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString path = it.next();
        files.append({path.mid(resourceFolder.size() + 1), readAll(path)});
    }
    return files;
}

bool sameFiles(const QString& folder, const QList<std::pair<QString, QByteArray>>& files) {
    for (const auto& [name, content] : files) {
        const QFileInfo info(folder + QLatin1Char('/') + name);
        if (info.isSymLink() || !info.isFile() || readAll(info.filePath()) != content)
            return false;
    }
    return true;
}

// A path that exists and is a link, or is not the user's own.
QString refusal(const QString& path) {
    struct stat st {};
    if (::lstat(QFile::encodeName(path).constData(), &st) != 0)
        return {};
    if (S_ISLNK(st.st_mode))
        return QStringLiteral("%1 is a link; Dexaro writes its extension only into a folder of "
                              "your own.")
            .arg(path);
    if (st.st_uid != ::geteuid())
        return QStringLiteral("%1 belongs to another user; Dexaro writes its extension only into "
                              "a folder of your own.")
            .arg(path);
    return {};
}

int runningVersion(int timeoutMs) {
    QDBusMessage call = QDBusMessage::createMethodCall(
        shellService, QStringLiteral("/org/dexaro/ShellWindows"),
        QStringLiteral("org.dexaro.ShellWindows"), QStringLiteral("Version"));
    const QDBusReply<uint> reply =
        QDBusConnection::sessionBus().call(call, QDBus::Block, timeoutMs);
    return reply.isValid() ? int(reply.value()) : 0;
}

} // namespace

int shippedVersion() {
    return versionOf(readAll(resourceFolder + QStringLiteral("/metadata.json")));
}

QString userExtensionsFolder() {
    return QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation) +
           QStringLiteral("/gnome-shell/extensions");
}

InstallResult install(const QString& extensionsFolder) {
    InstallResult result;
    const auto files = shippedFiles();
    const QString target = extensionsFolder + QLatin1Char('/') + extensionUuid;
    const auto failed = [&](const QString& why) {
        result.message =
            QStringLiteral("Dexaro's GNOME Shell extension could not be installed: ") + why;
        return result;
    };
    if (files.isEmpty())
        return failed(QStringLiteral("this copy of Dexaro carries no extension."));
    for (const QString& path : {extensionsFolder, target})
        if (const QString why = refusal(path); !why.isEmpty())
            return failed(why);
    if (QFileInfo(target).isDir() && sameFiles(target, files)) {
        result.ok = true;
        result.message = QStringLiteral("Dexaro's GNOME Shell extension is installed already.");
        return result;
    }
    if (!QDir().mkpath(extensionsFolder))
        return failed(QStringLiteral("%1 could not be made.").arg(extensionsFolder));
    // Written beside the target and swapped in: a failure on the way leaves
    // what was there.
    QTemporaryDir fresh(extensionsFolder + QStringLiteral("/.dexaro-XXXXXX"));
    if (!fresh.isValid())
        return failed(QStringLiteral("%1 cannot be written.").arg(extensionsFolder));
    for (const auto& [name, content] : files) {
        const QString path = fresh.path() + QLatin1Char('/') + name;
        QDir().mkpath(QFileInfo(path).path());
        QFile file(path);
        if (!file.open(QIODevice::WriteOnly) || file.write(content) != content.size() ||
            !file.flush())
            return failed(QStringLiteral("%1 could not be written.").arg(path));
        file.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup |
                            QFile::ReadOther);
    }
    QFile::setPermissions(fresh.path(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner |
                                            QFile::ReadGroup | QFile::ExeGroup | QFile::ReadOther |
                                            QFile::ExeOther);
    const bool hadCopy = QFileInfo(target + QStringLiteral("/metadata.json")).isFile();
    const int oldVersion = versionOf(readAll(target + QStringLiteral("/metadata.json")));
    const bool existed = QFileInfo::exists(target);
    QString old;
    if (existed) {
        old = fresh.path() + QStringLiteral(".old");
        if (!QDir().rename(target, old))
            return failed(QStringLiteral("%1 could not be replaced.").arg(target));
    }
    if (!QDir().rename(fresh.path(), target)) {
        if (existed)
            QDir().rename(old, target);
        return failed(QStringLiteral("%1 could not be written.").arg(target));
    }
    fresh.setAutoRemove(false);
    if (existed && QFileInfo(old).isDir())
        QDir(old).removeRecursively();
    else if (existed)
        QFile::remove(old); // a file in the folder's place
    result.ok = true;
    result.changed = true;
    const QString login = QStringLiteral(
        "GNOME Shell loads extensions when it starts: log out and in again, and Dexaro can then "
        "place and close windows.");
    if (hadCopy && oldVersion != shippedVersion())
        result.message = QStringLiteral("Dexaro's GNOME Shell extension was updated from version "
                                        "%1 to %2. ")
                             .arg(oldVersion)
                             .arg(shippedVersion()) +
                         login;
    else
        result.message = QStringLiteral("Dexaro's GNOME Shell extension was installed. ") + login;
    return result;
}

bool enableAtLogin(QString* error) {
    GSettingsSchemaSource* source = g_settings_schema_source_get_default();
    GSettingsSchema* schema =
        source ? g_settings_schema_source_lookup(source, "org.gnome.shell", TRUE) : nullptr;
    if (!schema) {
        if (error)
            *error = QStringLiteral("GNOME Shell's settings are not installed.");
        return false;
    }
    g_settings_schema_unref(schema);
    GSettings* settings = g_settings_new("org.gnome.shell");
    const QByteArray uuid = extensionUuid.toUtf8();
    const auto edit = [&](const char* key, bool present) {
        gchar** values = g_settings_get_strv(settings, key);
        GPtrArray* list = g_ptr_array_new();
        bool found = false;
        for (gchar** v = values; *v; ++v) {
            if (uuid == *v) {
                found = true;
                if (!present)
                    continue;
            }
            g_ptr_array_add(list, *v);
        }
        if (present && !found)
            g_ptr_array_add(list, const_cast<char*>(uuid.constData()));
        g_ptr_array_add(list, nullptr);
        const bool ok = found == present ||
                        g_settings_set_strv(settings, key, (const gchar* const*)list->pdata);
        g_ptr_array_free(list, TRUE);
        g_strfreev(values);
        return ok;
    };
    const bool ok = edit("enabled-extensions", true) && edit("disabled-extensions", false);
    g_settings_sync();
    g_object_unref(settings);
    if (!ok && error)
        *error = QStringLiteral("GNOME Shell's settings could not be changed.");
    return ok;
}

Status status(int timeoutMs) {
    Status s;
    QDBusMessage call = QDBusMessage::createMethodCall(shellService, shellPath,
                                                       QStringLiteral("org.gnome.Shell.Extensions"),
                                                       QStringLiteral("GetExtensionInfo"));
    call << extensionUuid;
    const QDBusReply<QVariantMap> reply =
        QDBusConnection::sessionBus().call(call, QDBus::Block, timeoutMs);
    if (!reply.isValid()) {
        s.state = State::noShell;
        return s;
    }
    const QVariantMap info = reply.value();
    if (info.isEmpty()) {
        s.state = State::notInstalled;
        return s;
    }
    const int state = int(info.value(QStringLiteral("state")).toDouble());
    s.error = info.value(QStringLiteral("error")).toString();
    if (state == shellEnabled) {
        s.runningVersion = runningVersion(timeoutMs);
        s.state = s.runningVersion >= shippedVersion() ? State::running : State::outdated;
    } else if (state == shellError || state == shellOutOfDate) {
        s.state = State::failed;
        if (s.error.isEmpty())
            s.error = state == shellOutOfDate
                          ? QStringLiteral("it does not support this version of GNOME Shell")
                          : QStringLiteral("it failed to start");
    } else {
        s.state = State::disabled;
    }
    // An older copy, loaded or on disk, is outdated: Dexaro installs the new one.
    const int loaded = int(info.value(QStringLiteral("version")).toDouble());
    const QString path = info.value(QStringLiteral("path")).toString();
    const int onDisk = versionOf(readAll(path + QStringLiteral("/metadata.json")));
    if (s.state != State::failed &&
        ((loaded > 0 && loaded < shippedVersion()) || (onDisk > 0 && onDisk < shippedVersion())))
        s.state = State::outdated;
    return s;
}

QString explain(const Status& s) {
    switch (s.state) {
    case State::running:
        return {};
    case State::noShell:
        return QStringLiteral("GNOME Shell does not answer on the session bus, so Dexaro cannot "
                              "place windows here. Workspaces still open their applications, "
                              "links and files.");
    case State::notInstalled:
        return QStringLiteral(
            "Under GNOME Shell, Dexaro places and closes windows through a small GNOME Shell "
            "extension of its own, which is not installed. Dexaro can install it into your "
            "extensions folder; GNOME loads it at your next login. Until then workspaces open "
            "their applications, links and files but leave windows where they appear.");
    case State::outdated:
        return QStringLiteral(
            "GNOME Shell runs an older version of Dexaro's extension. Dexaro installs the new "
            "one; GNOME loads it at your next login. Until then windows are left where they "
            "appear.");
    case State::disabled:
        return QStringLiteral(
            "Dexaro's GNOME Shell extension is installed but switched off. Switch on \"Dexaro "
            "windows\" in GNOME's Extensions application (it runs from then on), or let Dexaro "
            "switch it on for your next login.");
    case State::failed:
        return QStringLiteral("GNOME Shell could not run Dexaro's extension: %1. Windows are left "
                              "where they appear.")
            .arg(s.error);
    }
    return {};
}

} // namespace dexaro::gnomeshell
