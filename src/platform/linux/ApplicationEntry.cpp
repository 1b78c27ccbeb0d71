#include "platform/linux/ApplicationEntry.h"

#include "platform/linux/ProcFs.h"

#include <QFile>
#include <QFileInfo>
#include <QUrl>

// GLib names a field "signals", which Qt defines as a keyword.
#pragma push_macro("signals")
#undef signals
#include <gio/gdesktopappinfo.h>
#include <glib.h>
#pragma pop_macro("signals")

namespace dexaro {
namespace {

constexpr const char* group = G_KEY_FILE_DESKTOP_GROUP;

QString quoted(const QString& text) {
    return QStringLiteral("\u201c%1\u201d").arg(text);
}

// The local path of a file:// URL; empty when the text is something else.
// Entries are stored in QUrl's display form, where a space or a non-ASCII
// letter of the file name stays as it is ("file:///a/My Clock.desktop"), or
// fully encoded ("My%20Clock.desktop"): both name the same file. "%" itself
// is always encoded in either form.
QString localPath(const QString& entry) {
    const QUrl url(entry, QUrl::TolerantMode);
    if (!url.isValid() || !url.isLocalFile())
        return {};
    return url.toLocalFile();
}

QString takeString(gchar* value) {
    const QString text = QString::fromUtf8(value ? value : "");
    g_free(value);
    return text;
}

// An Exec argument that holds a field code (%f, %U, ...) stands for something
// filled in at launch; a literal "%%" is no field code.
bool hasFieldCode(const QString& argument) {
    for (int i = 0; i + 1 < argument.size(); ++i) {
        if (argument[i] != QLatin1Char('%'))
            continue;
        if (argument[i + 1] == QLatin1Char('%')) {
            ++i;
            continue;
        }
        return true;
    }
    return false;
}

struct Exec {
    QString program;  // as written
    QString resolved; // canonical path; empty when not found
    QStringList fixedArguments;
};

std::optional<Exec> parseExec(const QString& line, QString* error) {
    int argc = 0;
    gchar** argv = nullptr;
    GError* gerror = nullptr;
    if (!g_shell_parse_argv(line.toUtf8().constData(), &argc, &argv, &gerror)) {
        *error = QString::fromUtf8(gerror->message);
        g_error_free(gerror);
        return std::nullopt;
    }
    Exec exec;
    exec.program = QString::fromUtf8(argv[0]);
    for (int i = 1; i < argc; ++i) {
        const QString argument = QString::fromUtf8(argv[i]);
        if (!hasFieldCode(argument))
            exec.fixedArguments.append(
                QString(argument).replace(QStringLiteral("%%"), QStringLiteral("%")));
    }
    g_strfreev(argv);
    if (gchar* found = g_find_program_in_path(exec.program.toUtf8().constData())) {
        exec.resolved = QFileInfo(QFile::decodeName(found)).canonicalFilePath();
        g_free(found);
    }
    return exec;
}

} // namespace

void ApplicationEntry::Unref::operator()(GDesktopAppInfo* info) const {
    g_object_unref(info);
}

ApplicationEntry::~ApplicationEntry() = default;
ApplicationEntry::ApplicationEntry(ApplicationEntry&&) noexcept = default;
ApplicationEntry& ApplicationEntry::operator=(ApplicationEntry&&) noexcept = default;

std::optional<ApplicationEntry> ApplicationEntry::load(const QString& entry, QString* error) {
    const QString path = localPath(entry);
    if (path.isEmpty()) {
        *error = QStringLiteral("%1 is not the file:// address of an application entry.")
                     .arg(quoted(entry));
        return std::nullopt;
    }
    const QFileInfo file(path);
    if (!file.isFile()) {
        *error = QStringLiteral("There is no application entry at %1.").arg(quoted(path));
        return std::nullopt;
    }

    std::unique_ptr<GKeyFile, decltype(&g_key_file_free)> keys(g_key_file_new(), &g_key_file_free);
    GError* gerror = nullptr;
    if (!g_key_file_load_from_file(keys.get(), QFile::encodeName(path).constData(), G_KEY_FILE_NONE,
                                   &gerror)) {
        *error = QStringLiteral("%1 is not a readable desktop entry: %2")
                     .arg(quoted(path), QString::fromUtf8(gerror->message));
        g_error_free(gerror);
        return std::nullopt;
    }
    if (!g_key_file_has_group(keys.get(), group)) {
        *error = QStringLiteral("%1 is not a desktop entry: it has no [Desktop Entry] group.")
                     .arg(quoted(path));
        return std::nullopt;
    }
    QString name =
        takeString(g_key_file_get_locale_string(keys.get(), group, "Name", nullptr, nullptr));
    if (name.isEmpty())
        name = file.completeBaseName();
    const QString type = takeString(g_key_file_get_string(keys.get(), group, "Type", nullptr));
    if (type != QLatin1String("Application")) {
        *error = type.isEmpty()
                     ? QStringLiteral("%1 (%2) is not an application: the entry has no Type.")
                           .arg(quoted(name), path)
                     : QStringLiteral("%1 (%2) is not an application but an entry of Type %3.")
                           .arg(quoted(name), path, type);
        return std::nullopt;
    }

    ApplicationEntry result;
    result.m_entry = entry;
    result.m_name = name;
    result.m_identity.path = path;
    result.m_desktopId = file.fileName().endsWith(QLatin1String(".desktop"))
                             ? file.fileName().chopped(8)
                             : file.fileName();
    result.m_dbusActivatable =
        g_key_file_get_boolean(keys.get(), group, "DBusActivatable", nullptr);
    const QString execLine = takeString(g_key_file_get_string(keys.get(), group, "Exec", nullptr));
    if (execLine.isEmpty() && !result.m_dbusActivatable) {
        *error = QStringLiteral("%1 cannot be launched: its entry %2 has no Exec line.")
                     .arg(quoted(name), path);
        return std::nullopt;
    }
    if (!execLine.isEmpty()) {
        QString why;
        const auto exec = parseExec(execLine, &why);
        if (!exec) {
            *error = QStringLiteral("%1 cannot be launched: the Exec line of %2 cannot be read: %3")
                         .arg(quoted(name), path, why);
            return std::nullopt;
        }
        if (exec->resolved.isEmpty() && !result.m_dbusActivatable) {
            *error = QStringLiteral("%1 cannot be launched: its program %2 was not found.")
                         .arg(quoted(name), quoted(exec->program));
            return std::nullopt;
        }
        result.m_identity.program = exec->resolved;
        result.m_programName = QFileInfo(exec->program).fileName();
        result.m_identity.fixedArguments = exec->fixedArguments;
    }

    GDesktopAppInfo* info =
        g_desktop_app_info_new_from_filename(QFile::encodeName(path).constData());
    if (!info) {
        const QString tryExec =
            takeString(g_key_file_get_string(keys.get(), group, "TryExec", nullptr));
        *error = tryExec.isEmpty()
                     ? QStringLiteral("%1 cannot be launched from %2.").arg(quoted(name), path)
                     : QStringLiteral("%1 cannot be launched: the program %2 that its entry "
                                      "asks for (TryExec) is not installed.")
                           .arg(quoted(name), quoted(tryExec));
        return std::nullopt;
    }
    result.m_info.reset(info);
    const char* localized = g_app_info_get_name(G_APP_INFO(info));
    if (localized && *localized)
        result.m_name = QString::fromUtf8(localized);
    result.m_wmClass = QString::fromUtf8(g_desktop_app_info_get_startup_wm_class(info));
    return result;
}

bool EntryIdentity::launchedFrom(qint64 pid) const {
    if (path.isEmpty())
        return false;
    const auto file = procfs::environmentValue(pid, "GIO_LAUNCHED_DESKTOP_FILE");
    return file && QFile::decodeName(*file) == path;
}

EntryIdentity EntryIdentity::fromEntry(const QString& entry) {
    EntryIdentity identity;
    identity.path = localPath(entry);
    return identity;
}

bool EntryIdentity::matches(qint64 pid) const {
    // The program first: reading it is cheaper than the environment.
    if (!program.isEmpty() && procfs::executable(pid) == program) {
        const QList<QByteArray> arguments = procfs::commandLine(pid);
        int next = 1; // the fixed arguments appear in order after the program
        bool all = true;
        for (const QString& wanted : fixedArguments) {
            const QByteArray bytes = wanted.toUtf8();
            while (next < arguments.size() && arguments[next] != bytes)
                ++next;
            if (next >= arguments.size()) {
                all = false;
                break;
            }
            ++next;
        }
        if (all)
            return true;
    }
    if (path.isEmpty())
        return false;
    const QList<QByteArray> environment = procfs::environment(pid);
    const auto file = procfs::valueIn(environment, "GIO_LAUNCHED_DESKTOP_FILE");
    // Children of a launched process inherit both variables; _PID tells the
    // launched process itself from them.
    return file && QFile::decodeName(*file) == path &&
           procfs::valueIn(environment, "GIO_LAUNCHED_DESKTOP_FILE_PID") == QByteArray::number(pid);
}

} // namespace dexaro
