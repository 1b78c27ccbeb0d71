#pragma once
// Launching applications from their desktop entries, opening links and files,
// and ending the processes that were launched.
//
// An application entry is the file:// URL of an XDG desktop entry
// (Type=Application). A launch parses the entry's Exec line itself (never a
// shell) and hands back the process it started, or, when no new instance is
// asked for and a process of that entry already runs, that process.
#include "platform/Windows.h"

#include <QList>
#include <QString>
#include <QStringList>
#include <QUrl>
#include <functional>
#include <optional>

namespace dexaro {

// A process launched (or handed back) for an application entry, with what
// tells its windows from others' (LaunchWindows.h has the rules).
struct RunningApplication {
    qint64 pid = -1;       // -1: started over D-Bus, no process of its own
    QString localizedName; // the entry's Name; may be empty
    QString wmClass;       // the entry's StartupWMClass; may be empty
    QString entry;         // the application entry it came from

    QString startupId;        // the startup-notification id the launch handed the application
    QString desktopId;        // the entry's file name without ".desktop"
    QString program;          // file name of the entry's Exec program
    quint64 windowsSince = 0; // Windows::appearanceMark() when the launch began
    // An instance that ran before the launch and was handed back: its windows
    // from before count too, and it is never ended by force.
    bool handedBack = false;

    bool operator==(const RunningApplication&) const = default;
};

struct OpenConfiguration {
    bool hides = false;                         // iconify its windows as they appear
    bool createsNewApplicationInstance = false; // start one even if one runs
};

class WorkspaceServices {
public:
    virtual ~WorkspaceServices() = default;

    // Exactly one of the two is set: the application, or a readable error.
    using OpenCompletion =
        std::function<void(std::optional<RunningApplication> app, const QString& error)>;

    // Launches the entry. Returns at once; completion runs exactly once, on any
    // thread, possibly before this call returns. Safe to call from any thread.
    virtual void openApplication(const QString& entry, const OpenConfiguration& configuration,
                                 OpenCompletion completion) = 0;

    // Hands the address to the desktop's default handler. False when nothing
    // takes it.
    virtual bool openURL(const QUrl& url) = 0;

    // Opens the file with its default application; a desktop entry is launched
    // as an application. False when the path does not exist or nothing opens it.
    virtual bool openFile(const QString& path) = 0;

    // Asks the application to quit: each window of the launch is asked to
    // close; the launched process itself gets SIGTERM only when it shows no
    // window at all (a process that was handed back never does). Does not wait.
    virtual void terminate(const RunningApplication& app) = 0;
    // Ends the launch's own processes at once (SIGKILL: the launched one and
    // its descendants) and asks its other windows to close. A process that ran
    // before the launch (handed back, or a shared server that showed the
    // launch's window) is only asked, never killed. Does not wait.
    virtual void forceTerminate(const RunningApplication& app) = 0;
    virtual bool isTerminated(const RunningApplication& app) = 0;

    // For each window (WindowInfo of platform/Windows.h), the entry among
    // entries it is a window of, by the rules that tell a launch's windows
    // (LaunchWindows.h) for a launch Dexaro did not make: its process was
    // started from the entry, else its application id or class names the
    // entry, else its process runs the entry's program with the entry's
    // arguments. An empty string for a window of none. A backend that cannot
    // tell keeps this default: none.
    virtual QStringList entriesOfWindows(const QList<WindowInfo>& windows,
                                         const QStringList& entries) {
        Q_UNUSED(entries);
        return QStringList(windows.size(), QString());
    }
};

} // namespace dexaro
