#include "platform/linux/GioDesktopEntries.h"

#include <QDir>
#include <QFile>
#include <QHash>
#include <QIcon>
#include <dlfcn.h>
#include <sys/stat.h>

// GLib names a field "signals", which Qt defines as a keyword.
#pragma push_macro("signals")
#undef signals
#include <glib-object.h>
#include <glib.h>
#pragma pop_macro("signals")

namespace dexaro {
namespace {

constexpr const char* group = G_KEY_FILE_DESKTOP_GROUP;
constexpr int iconSize = 64;

// The four GTK 3 functions the icon lookup needs, declared here so that no GTK
// header is needed; the objects are opaque.
struct Gtk {
    using ThemeNew = void* (*)();
    using SetCustomTheme = void (*)(void* theme, const char* name);
    using LookupIcon = void* (*)(void* theme, const char* name, int size, int flags);
    using InfoFilename = const char* (*)(void* info);

    ThemeNew themeNew = nullptr;
    SetCustomTheme setCustomTheme = nullptr;
    LookupIcon lookupIcon = nullptr;
    InfoFilename infoFilename = nullptr;

    bool loaded() const { return themeNew && setCustomTheme && lookupIcon && infoFilename; }
};

// Loaded once per process, on first use; never unloaded.
const Gtk& gtk() {
    static const Gtk loaded = [] {
        Gtk functions;
        void* library = dlopen("libgtk-3.so.0", RTLD_NOW | RTLD_LOCAL);
        if (!library)
            return functions;
        functions.themeNew = reinterpret_cast<Gtk::ThemeNew>(dlsym(library, "gtk_icon_theme_new"));
        functions.setCustomTheme = reinterpret_cast<Gtk::SetCustomTheme>(
            dlsym(library, "gtk_icon_theme_set_custom_theme"));
        functions.lookupIcon =
            reinterpret_cast<Gtk::LookupIcon>(dlsym(library, "gtk_icon_theme_lookup_icon"));
        functions.infoFilename =
            reinterpret_cast<Gtk::InfoFilename>(dlsym(library, "gtk_icon_info_get_filename"));
        return functions;
    }();
    return loaded;
}

QString takeString(gchar* value) {
    const QString text = QString::fromUtf8(value ? value : "");
    g_free(value);
    return text;
}

bool isFile(const QByteArray& path) {
    struct stat status {};
    return ::stat(path.constData(), &status) == 0 && S_ISREG(status.st_mode);
}

// The icon theme as it is when the reader is made; each reader loads its own,
// on its thread, so that a changed theme is seen by the next scan and no GTK
// object is shared between threads.
class IconLookup {
public:
    explicit IconLookup(QByteArray themeName) : m_themeName(std::move(themeName)) {}
    ~IconLookup() {
        if (m_theme)
            g_object_unref(m_theme);
    }
    IconLookup(const IconLookup&) = delete;
    IconLookup& operator=(const IconLookup&) = delete;

    QString file(const QString& icon) {
        if (icon.isEmpty())
            return {};
        if (QDir::isAbsolutePath(icon))
            return isFile(QFile::encodeName(icon)) ? icon : QString();
        const auto known = m_found.constFind(icon);
        if (known != m_found.constEnd())
            return *known;
        QString name = icon;
        // Names should come without extension, but some entries carry one.
        for (const char* suffix : {".png", ".svg", ".xpm"}) {
            if (name.endsWith(QLatin1String(suffix))) {
                name.chop(4);
                break;
            }
        }
        QString found;
        if (void* theme = this->theme()) {
            if (void* info = gtk().lookupIcon(theme, name.toUtf8().constData(), iconSize, 0)) {
                if (const char* filename = gtk().infoFilename(info))
                    found = QFile::decodeName(filename);
                g_object_unref(info);
            }
        }
        m_found.insert(icon, found);
        return found;
    }

private:
    void* theme() {
        if (!m_triedTheme) {
            m_triedTheme = true;
            if (gtk().loaded()) {
                m_theme = gtk().themeNew();
                if (m_theme)
                    gtk().setCustomTheme(m_theme, m_themeName.constData());
            }
        }
        return m_theme;
    }

    QByteArray m_themeName;
    void* m_theme = nullptr;
    bool m_triedTheme = false;
    QHash<QString, QString> m_found;
};

class GioDesktopEntryReader final : public DesktopEntryReader {
public:
    explicit GioDesktopEntryReader(QByteArray themeName) : m_icons(std::move(themeName)) {}

    Status read(const QString& path, DesktopEntry* entry, QString* error) override {
        gchar* contents = nullptr;
        gsize length = 0;
        GError* gerror = nullptr;
        // File errors (permission, vanished, I/O) are worth telling; anything
        // wrong with the text only means that this is no desktop entry.
        if (!g_file_get_contents(QFile::encodeName(path).constData(), &contents, &length,
                                 &gerror)) {
            *error = QString::fromUtf8(gerror->message);
            g_error_free(gerror);
            return Status::unreadable;
        }
        const std::unique_ptr<gchar, decltype(&g_free)> text(contents, &g_free);
        if (!g_utf8_validate(contents, gssize(length), nullptr))
            return Status::malformed;
        std::unique_ptr<GKeyFile, decltype(&g_key_file_free)> keys(g_key_file_new(),
                                                                   &g_key_file_free);
        if (!g_key_file_load_from_data(keys.get(), contents, length, G_KEY_FILE_NONE, nullptr))
            return Status::malformed;
        if (!g_key_file_has_group(keys.get(), group))
            return Status::malformed;

        GKeyFile* k = keys.get();
        entry->name = takeString(g_key_file_get_locale_string(k, group, "Name", nullptr, nullptr));
        entry->executable = program(takeString(g_key_file_get_string(k, group, "Exec", nullptr)));
        entry->listed = takeString(g_key_file_get_string(k, group, "Type", nullptr)) ==
                            QLatin1String("Application") &&
                        !g_key_file_get_boolean(k, group, "NoDisplay", nullptr) &&
                        !g_key_file_get_boolean(k, group, "Hidden", nullptr) &&
                        shownOnThisDesktop(k) && tryExecFound(k);
        entry->iconFile =
            entry->listed
                ? m_icons.file(takeString(g_key_file_get_string(k, group, "Icon", nullptr)))
                : QString();
        return Status::read;
    }

private:
    static QString program(const QString& exec) {
        if (exec.isEmpty())
            return {};
        int argc = 0;
        gchar** argv = nullptr;
        if (!g_shell_parse_argv(exec.toUtf8().constData(), &argc, &argv, nullptr))
            return {};
        const QString first = QString::fromUtf8(argv[0]);
        g_strfreev(argv);
        return first;
    }

    // OnlyShowIn / NotShowIn against $XDG_CURRENT_DESKTOP, as menus decide it:
    // the first current desktop either list names settles it; otherwise only
    // entries without OnlyShowIn are shown.
    static bool shownOnThisDesktop(GKeyFile* keys) {
        const QStringList only = stringList(keys, "OnlyShowIn");
        const QStringList never = stringList(keys, "NotShowIn");
        if (only.isEmpty() && never.isEmpty())
            return true;
        const QStringList current =
            qEnvironmentVariable("XDG_CURRENT_DESKTOP").split(QLatin1Char(':'), Qt::SkipEmptyParts);
        for (const QString& desktop : current) {
            if (only.contains(desktop))
                return true;
            if (never.contains(desktop))
                return false;
        }
        return only.isEmpty();
    }

    static QStringList stringList(GKeyFile* keys, const char* key) {
        QStringList list;
        gchar** values = g_key_file_get_string_list(keys, group, key, nullptr, nullptr);
        for (gchar** value = values; value && *value; ++value)
            list.append(QString::fromUtf8(*value));
        g_strfreev(values);
        return list;
    }

    static bool tryExecFound(GKeyFile* keys) {
        gchar* tryExec = g_key_file_get_string(keys, group, "TryExec", nullptr);
        if (!tryExec)
            return true;
        // An empty TryExec names nothing to test.
        gchar* found = *tryExec ? g_find_program_in_path(tryExec) : nullptr;
        const bool installed = !*tryExec || found != nullptr;
        g_free(tryExec);
        g_free(found);
        return installed;
    }

    IconLookup m_icons;
};

} // namespace

QStringList GioDesktopEntries::applicationFolders() const {
    QStringList folders;
    const auto add = [&folders](const gchar* dataDir) {
        const QString dir = QFile::decodeName(dataDir);
        if (!QDir::isAbsolutePath(dir))
            return;
        const QString folder = QDir::cleanPath(dir + QStringLiteral("/applications"));
        if (!folders.contains(folder))
            folders.append(folder);
    };
    add(g_get_user_data_dir());
    for (const gchar* const* dir = g_get_system_data_dirs(); *dir; ++dir)
        add(*dir);
    return folders;
}

std::unique_ptr<DesktopEntryReader> GioDesktopEntries::makeReader() {
    QString theme = QIcon::themeName();
    if (theme.isEmpty())
        theme = QStringLiteral("hicolor");
    return std::make_unique<GioDesktopEntryReader>(theme.toUtf8());
}

} // namespace dexaro
