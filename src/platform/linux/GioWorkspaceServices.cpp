#include "platform/linux/GioWorkspaceServices.h"

#include "platform/LaunchWindows.h"
#include "platform/Windows.h"
#include "platform/linux/ApplicationEntry.h"
#include "platform/linux/ChildReaper.h"
#include "platform/linux/ProcFs.h"

#include <QFile>
#include <QFileInfo>
#include <QSet>

#include <algorithm>
#include <csignal>
#include <unistd.h>

// GLib names a field "signals", which Qt defines as a keyword.
#pragma push_macro("signals")
#undef signals
#include <gio/gdesktopappinfo.h>
#include <gio/gio.h>
#pragma pop_macro("signals")

// A launch context that names the launch's startup-notification id: GIO hands
// it to a D-Bus activated application (its "desktop-startup-id"), and, for an
// entry with StartupNotify, sets DESKTOP_STARTUP_ID from it.
struct DexaroLaunchContext {
    GAppLaunchContext parent;
    gchar* startupId;
};
struct DexaroLaunchContextClass {
    GAppLaunchContextClass parent;
};
G_DEFINE_TYPE(DexaroLaunchContext, dexaro_launch_context, G_TYPE_APP_LAUNCH_CONTEXT)

static gchar* dexaroStartupNotifyId(GAppLaunchContext* context, GAppInfo*, GList*) {
    return g_strdup(reinterpret_cast<DexaroLaunchContext*>(context)->startupId);
}

static void dexaroLaunchContextFinalize(GObject* object) {
    g_free(reinterpret_cast<DexaroLaunchContext*>(object)->startupId);
    G_OBJECT_CLASS(dexaro_launch_context_parent_class)->finalize(object);
}

static void dexaro_launch_context_class_init(DexaroLaunchContextClass* type) {
    G_APP_LAUNCH_CONTEXT_CLASS(type)->get_startup_notify_id = dexaroStartupNotifyId;
    G_OBJECT_CLASS(type)->finalize = dexaroLaunchContextFinalize;
}

static void dexaro_launch_context_init(DexaroLaunchContext* context) {
    context->startupId = nullptr;
}

namespace dexaro {
namespace {

// ":1.0" and ":1" name the same display.
QByteArray displayName(QByteArray display) {
    const int colon = display.lastIndexOf(':');
    const int dot = display.lastIndexOf('.');
    if (colon >= 0 && dot > colon)
        display.truncate(dot);
    return display;
}

// A live process in this desktop session (same X display).
bool isLiveInSession(qint64 pid, const QByteArray& ownDisplay) {
    const auto status = procfs::status(pid);
    if (!status || status->state == 'Z' || status->state == 'X')
        return false;
    if (ownDisplay.isEmpty())
        return true;
    const auto display = procfs::environmentValue(pid, "DISPLAY");
    return display && displayName(*display) == ownDisplay;
}

// The running process of the entry among this user's processes in this
// session, or nothing: one started from the entry (GIO_LAUNCHED_DESKTOP_FILE
// names it), or a child launched here from it that is still becoming the
// entry's program. A process that merely runs the same program (a terminal
// the user opened from a shell) is not the entry's. The launched process is
// preferred to its descendants, which inherit the variable.
std::optional<qint64> findRunning(const EntryIdentity& identity) {
    const QByteArray ownDisplay = displayName(qgetenv("DISPLAY"));
    const ChildReaper& children = ChildReaper::instance();
    const qint64 self = ::getpid();
    std::optional<qint64> found;
    for (qint64 pid : procfs::processIds()) {
        if (pid == self || procfs::owner(pid) != ::getuid())
            continue;
        const bool launchedHere = children.launchedFrom(pid) == identity.path;
        if (!launchedHere && !identity.launchedFrom(pid))
            continue;
        if (!isLiveInSession(pid, ownDisplay))
            continue;
        if (launchedHere || procfs::environmentValue(pid, "GIO_LAUNCHED_DESKTOP_FILE_PID") ==
                                QByteArray::number(pid))
            return pid;
        if (!found)
            found = pid;
    }
    return found;
}

// Whether a signal or close request for app may go to its pid: a live process
// of this user, not this program, and (when the entry is known) still a
// process of that entry, so that a pid reused by another program after the
// application quit is left alone.
bool mayEnd(const RunningApplication& app) {
    if (app.pid <= 0 || app.pid == qint64(::getpid()))
        return false;
    const auto status = procfs::status(app.pid);
    if (!status || status->uid != ::getuid() || status->state == 'Z' || status->state == 'X')
        return false;
    if (app.entry.isEmpty())
        return true;
    // A child launched here is known for certain, also before it has become
    // the entry's program.
    if (const auto launchedFrom = ChildReaper::instance().launchedFrom(app.pid))
        return *launchedFrom == EntryIdentity::fromEntry(app.entry).path;
    QString ignored;
    if (const auto entry = ApplicationEntry::load(app.entry, &ignored))
        return entry->identity().matches(app.pid);
    return EntryIdentity::fromEntry(app.entry).matches(app.pid);
}

struct Launched {
    QString entryPath;
    QList<qint64> pids;
};

void collectPid(GDesktopAppInfo*, GPid pid, gpointer data) {
    auto* launched = static_cast<Launched*>(data);
    launched->pids.append(qint64(pid));
    ChildReaper::instance().watch(pid, launched->entryPath);
}

bool launchDefaultFor(const QByteArray& uri) {
    GError* error = nullptr;
    const bool ok = g_app_info_launch_default_for_uri(uri.constData(), nullptr, &error);
    if (error)
        g_error_free(error);
    return ok;
}

} // namespace

struct GioWorkspaceServices::Hiding {
    RunningApplication app;
    std::chrono::steady_clock::time_point until;
    QSet<WindowId> hidden;
};

GioWorkspaceServices::GioWorkspaceServices(Windows& windows, std::chrono::milliseconds hideFor)
    : m_windows(windows), m_hideFor(hideFor) {
    // Made here, outside any lock of ours: the layer holds its own while it
    // tells, and windowAppeared takes ours.
    m_subscription = m_windows.subscribe([this](const WindowEvent& event) {
        if (event.type == WindowEvent::Type::appeared || event.type == WindowEvent::Type::changed)
            windowAppeared(event.window);
    });
}

GioWorkspaceServices::~GioWorkspaceServices() {
    m_subscription.reset(); // no notification runs after this
}

void GioWorkspaceServices::openApplication(const QString& entry,
                                           const OpenConfiguration& configuration,
                                           OpenCompletion completion) {
    QString error;
    const auto app = launch(entry, configuration, &error);
    if (completion)
        completion(app, app ? QString() : error);
}

std::optional<RunningApplication>
GioWorkspaceServices::launch(const QString& entry, const OpenConfiguration& configuration,
                             QString* error) {
    auto loaded = ApplicationEntry::load(entry, error);
    if (!loaded)
        return std::nullopt;
    RunningApplication app;
    app.localizedName = loaded->name();
    app.wmClass = loaded->wmClass();
    app.entry = entry;
    app.desktopId = loaded->desktopId();
    app.program = loaded->programName();
    app.windowsSince = m_windows.appearanceMark();

    if (!configuration.createsNewApplicationInstance) {
        if (const auto running = findRunning(loaded->identity())) {
            // As a desktop does when an application is opened twice: the running
            // one comes forward (or, for a hidden launch, goes out of sight).
            app.pid = *running;
            app.handedBack = true;
            const QList<WindowInfo> windows = launchWindows(m_windows.windows(), app, m_windows);
            if (configuration.hides) {
                for (const WindowInfo& window : windows)
                    m_windows.iconify(window.id);
            } else {
                const auto main = std::find_if(windows.begin(), windows.end(), isMainWindowKind);
                if (main != windows.end())
                    m_windows.activate(main->id);
                else if (!windows.isEmpty())
                    m_windows.activate(windows.first().id);
            }
            return app;
        }
    }

    // The startup-notification id the application is handed (DESKTOP_STARTUP_ID)
    // comes back on its windows (_NET_STARTUP_ID), also on a window that an
    // instance already running opens for it.
    {
        std::lock_guard lock(m_mutex);
        app.startupId = QStringLiteral("dexaro-%1-%2-%3")
                            .arg(::getpid())
                            .arg(++m_launches)
                            .arg(std::chrono::duration_cast<std::chrono::milliseconds>(
                                     std::chrono::steady_clock::now().time_since_epoch())
                                     .count());
    }
    auto* launchContext =
        static_cast<DexaroLaunchContext*>(g_object_new(dexaro_launch_context_get_type(), nullptr));
    launchContext->startupId = g_strdup(app.startupId.toUtf8().constData());
    GAppLaunchContext* context = G_APP_LAUNCH_CONTEXT(launchContext);
    // Also for an entry without StartupNotify: toolkits read it all the same.
    g_app_launch_context_setenv(context, "DESKTOP_STARTUP_ID", app.startupId.toUtf8().constData());

    Launched launched{loaded->identity().path, {}};
    GError* gerror = nullptr;
    const bool ok = g_desktop_app_info_launch_uris_as_manager(
        loaded->info(), nullptr, context,
        GSpawnFlags(G_SPAWN_SEARCH_PATH | G_SPAWN_DO_NOT_REAP_CHILD), nullptr, nullptr, &collectPid,
        &launched, &gerror);
    g_object_unref(context);
    if (!ok) {
        *error = QStringLiteral("\u201c%1\u201d could not be launched: %2")
                     .arg(app.localizedName,
                          QString::fromUtf8(gerror ? gerror->message : "unknown error"));
        if (gerror)
            g_error_free(gerror);
        return std::nullopt;
    }
    // An entry started over D-Bus gives no process of its own.
    app.pid = launched.pids.isEmpty() ? -1 : launched.pids.first();
    {
        std::lock_guard lock(m_mutex);
        m_recent.append(app);
        if (m_recent.size() > 64)
            m_recent.removeFirst();
    }
    if (configuration.hides)
        hideAsTheyAppear(app);
    return app;
}

void GioWorkspaceServices::hideAsTheyAppear(const RunningApplication& app) {
    auto hiding = std::make_shared<Hiding>();
    hiding->app = app;
    hiding->until = std::chrono::steady_clock::now() + m_hideFor;
    {
        std::lock_guard lock(m_mutex);
        m_hiding.append(hiding);
    }
    // Those that came before the watch began.
    for (const WindowInfo& window : m_windows.windows())
        windowAppeared(window);
}

void GioWorkspaceServices::windowAppeared(const WindowInfo& window) {
    std::lock_guard lock(m_mutex);
    if (m_hiding.isEmpty())
        return;
    const auto now = std::chrono::steady_clock::now();
    m_hiding.removeIf([&](const auto& hiding) { return hiding->until < now; });
    for (const auto& hiding : m_hiding) {
        if (hiding->hidden.contains(window.id) ||
            launchMatch(window, hiding->app, m_windows) == LaunchMatch::none)
            continue;
        if (m_windows.iconify(window.id))
            hiding->hidden.insert(window.id);
    }
}

bool GioWorkspaceServices::openURL(const QUrl& url) {
    if (!url.isValid() || url.scheme().isEmpty())
        return false;
    return launchDefaultFor(url.toEncoded());
}

bool GioWorkspaceServices::openFile(const QString& path) {
    if (path.isEmpty())
        return false;
    const QFileInfo file(path);
    if (!file.exists())
        return false;
    const QString absolute = file.absoluteFilePath();
    if (file.isFile() && absolute.endsWith(QLatin1String(".desktop"))) {
        QString error;
        return launch(QUrl::fromLocalFile(absolute).toString(), {}, &error).has_value();
    }
    gchar* uri = g_filename_to_uri(QFile::encodeName(absolute).constData(), nullptr, nullptr);
    if (!uri)
        return false;
    const bool opened = launchDefaultFor(QByteArray(uri));
    g_free(uri);
    return opened;
}

QList<WindowInfo> GioWorkspaceServices::windowsOf(const RunningApplication& app, bool ownProcess) {
    m_windows.appearanceMark(); // the layer's list as the display has it now
    // A pid that no longer runs the entry's program (it ended, and the number
    // went to another program) no longer names the launch's windows.
    RunningApplication now = app;
    if (!ownProcess)
        now.pid = -1;
    QList<RunningApplication> others;
    {
        std::lock_guard lock(m_mutex);
        for (const RunningApplication& other : m_recent)
            if (other.startupId != app.startupId)
                others.append(other);
    }
    QList<WindowInfo> windows;
    for (const WindowInfo& window : m_windows.windows()) {
        const LaunchMatch match = launchMatch(window, now, m_windows);
        if (match == LaunchMatch::none)
            continue;
        const bool anothers =
            match == LaunchMatch::byClass &&
            std::any_of(others.begin(), others.end(), [&](const RunningApplication& other) {
                const LaunchMatch theirs = launchMatch(window, other, m_windows);
                return theirs == LaunchMatch::byStartupId ||
                       (theirs == LaunchMatch::byProcess && procfs::isAlive(other.pid));
            });
        if (!anothers)
            windows.append(window);
    }
    return windows;
}

void GioWorkspaceServices::terminate(const RunningApplication& app) {
    const bool own = mayEnd(app);
    const QList<WindowInfo> windows = windowsOf(app, own);
    const QList<WindowInfo> all = m_windows.windows();
    for (const WindowInfo& window : windows)
        m_windows.close(window.id);
    if (!own || !windows.isEmpty())
        return;
    // A process that shows no window at all (one still waiting for a server,
    // one whose window never came) is asked to end; one that shows windows of
    // its own that are not the launch's is left alone.
    const bool showsOthers = std::any_of(all.begin(), all.end(), [&](const WindowInfo& window) {
        return window.pid > 0 && m_windows.isOfProcessTree(window.pid, app.pid);
    });
    if (!showsOthers)
        ::kill(pid_t(app.pid), SIGTERM);
}

void GioWorkspaceServices::forceTerminate(const RunningApplication& app) {
    // What ran before the launch may hold the user's unsaved work from before.
    if (app.handedBack) {
        terminate(app);
        return;
    }
    const bool own = mayEnd(app);
    const QList<WindowInfo> windows = windowsOf(app, own);
    for (const WindowInfo& window : windows) {
        // A window of a process that is not the launch's own (a server that
        // ran before) is only asked to close.
        if (!own || window.pid <= 0 || !m_windows.isOfProcessTree(window.pid, app.pid))
            m_windows.close(window.id);
    }
    if (!own)
        return;
    const QList<qint64> descendants = procfs::descendants(app.pid);
    ::kill(pid_t(app.pid), SIGKILL);
    for (qint64 pid : descendants)
        if (procfs::owner(pid) == ::getuid())
            ::kill(pid_t(pid), SIGKILL);
}

bool GioWorkspaceServices::isTerminated(const RunningApplication& app) {
    const bool own = mayEnd(app);
    if (own)
        return false;
    if (app.pid <= 0 && app.wmClass.isEmpty() && app.desktopId.isEmpty() && app.program.isEmpty())
        return true;
    return windowsOf(app, false).isEmpty();
}

std::unique_ptr<WorkspaceServices> makeGioWorkspaceServices(Windows& windows) {
    return std::make_unique<GioWorkspaceServices>(windows);
}

QStringList GioWorkspaceServices::entriesOfWindows(const QList<WindowInfo>& windows,
                                                   const QStringList& entries) {
    struct Known {
        QString entry;
        RunningApplication names;
        EntryIdentity identity;
    };
    QList<Known> known;
    for (const QString& entry : entries) {
        QString error;
        auto loaded = ApplicationEntry::load(entry, &error);
        if (!loaded)
            continue; // an entry that does not load owns no window
        RunningApplication names;
        names.wmClass = loaded->wmClass();
        names.desktopId = loaded->desktopId();
        names.program = loaded->programName();
        known.append({entry, names, loaded->identity()});
    }
    QStringList found;
    for (const WindowInfo& window : windows) {
        QString entry;
        // Surest first: started from the entry, then named by it, then running
        // its program.
        for (const Known& k : known)
            if (window.pid > 0 && k.identity.launchedFrom(window.pid)) {
                entry = k.entry;
                break;
            }
        for (int i = 0; entry.isEmpty() && i < known.size(); ++i)
            if (windowNamesEntry(window, known[i].names))
                entry = known[i].entry;
        for (int i = 0; entry.isEmpty() && i < known.size(); ++i)
            if (window.pid > 0 && known[i].identity.matches(window.pid))
                entry = known[i].entry;
        found << entry;
    }
    return found;
}

} // namespace dexaro
