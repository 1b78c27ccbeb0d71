#include "platform/linux/GioWorkspaceServices.h"

#include "platform/linux/ApplicationEntry.h"
#include "platform/linux/ChildReaper.h"
#include "platform/linux/ProcFs.h"
#include "platform/linux/WindowHider.h"
#include "platform/linux/X11WindowRequests.h"

#include <QFile>
#include <QFileInfo>

#include <csignal>
#include <unistd.h>

// GLib names a field "signals", which Qt defines as a keyword.
#pragma push_macro("signals")
#undef signals
#include <gio/gdesktopappinfo.h>
#include <gio/gio.h>
#pragma pop_macro("signals")

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

// The first running process of the entry among this user's processes in this
// session, or nothing. A child launched here from the entry counts also while
// it is still becoming the entry's program. Cheap checks come first: the
// whole process table is looked through.
std::optional<qint64> findRunning(const EntryIdentity& identity) {
    const QByteArray ownDisplay = displayName(qgetenv("DISPLAY"));
    const ChildReaper& children = ChildReaper::instance();
    const qint64 self = ::getpid();
    for (qint64 pid : procfs::processIds()) {
        if (pid == self || procfs::owner(pid) != ::getuid())
            continue;
        if ((children.launchedFrom(pid) == identity.path || identity.matches(pid)) &&
            isLiveInSession(pid, ownDisplay))
            return pid;
    }
    return std::nullopt;
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

GioWorkspaceServices::GioWorkspaceServices(AccessibilityBackend& windows)
    : m_windows(windows), m_hider(std::make_unique<WindowHider>(windows)) {}

QList<quint32> GioWorkspaceServices::windowsOf(const RunningApplication& app) {
    return app.pid > 0 ? x11::applicationWindows(m_windows, app.pid, {})
                       : x11::applicationWindows(m_windows, -1, app.wmClass);
}

GioWorkspaceServices::~GioWorkspaceServices() = default;

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

    if (!configuration.createsNewApplicationInstance) {
        if (const auto running = findRunning(loaded->identity())) {
            // As a desktop does when an application is opened twice: the running
            // one comes forward (or, for a hidden launch, goes out of sight).
            app.pid = *running;
            const QList<quint32> windows = x11::applicationWindows(m_windows, app.pid, {});
            if (configuration.hides) {
                for (quint32 window : windows)
                    x11::requestIconify(window);
            } else if (!windows.isEmpty()) {
                x11::requestActivate(windows.first());
            }
            return app;
        }
    }

    // Windows of the class that are there already are not the new ones.
    QList<quint32> existing;
    if (configuration.hides && !app.wmClass.isEmpty())
        existing = x11::applicationWindows(m_windows, -1, app.wmClass);

    Launched launched{loaded->identity().path, {}};
    GError* gerror = nullptr;
    const bool ok = g_desktop_app_info_launch_uris_as_manager(
        loaded->info(), nullptr, nullptr,
        GSpawnFlags(G_SPAWN_SEARCH_PATH | G_SPAWN_DO_NOT_REAP_CHILD), nullptr, nullptr, &collectPid,
        &launched, &gerror);
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
    if (configuration.hides)
        m_hider->hideAsTheyAppear(app.pid, app.wmClass, existing);
    return app;
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

void GioWorkspaceServices::terminate(const RunningApplication& app) {
    if (app.pid > 0 && !mayEnd(app))
        return;
    const QList<quint32> windows = windowsOf(app);
    for (quint32 window : windows)
        x11::requestClose(window);
    if (windows.isEmpty() && app.pid > 0)
        ::kill(pid_t(app.pid), SIGTERM);
}

void GioWorkspaceServices::forceTerminate(const RunningApplication& app) {
    if (mayEnd(app))
        ::kill(pid_t(app.pid), SIGKILL);
}

bool GioWorkspaceServices::isTerminated(const RunningApplication& app) {
    if (app.pid > 0)
        return !procfs::isAlive(app.pid);
    // Started over D-Bus: gone when no window of its class is left.
    return app.wmClass.isEmpty() || windowsOf(app).isEmpty();
}

std::unique_ptr<WorkspaceServices> makeGioWorkspaceServices(AccessibilityBackend& windows) {
    return std::make_unique<GioWorkspaceServices>(windows);
}

} // namespace dexaro
