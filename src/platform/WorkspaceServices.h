#pragma once
// Launching applications from their desktop entries, opening links and files,
// and ending the processes that were launched.
//
// An application entry is the file:// URL of an XDG desktop entry
// (Type=Application). A launch parses the entry's Exec line itself (never a
// shell) and hands back the process it started, or, when no new instance is
// asked for and a process of that entry already runs, that process.
#include <QString>
#include <QUrl>
#include <functional>
#include <optional>

namespace dexaro {

// A process launched (or handed back) for an application entry.
struct RunningApplication {
    qint64 pid = -1;       // -1: started over D-Bus, no process of its own
    QString localizedName; // the entry's Name; may be empty
    QString wmClass;       // the entry's StartupWMClass; may be empty
    QString entry;         // the application entry it came from

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

    // Asks the application to quit: each of its top-level windows is asked to
    // close; a process without windows gets SIGTERM. Does not wait.
    virtual void terminate(const RunningApplication& app) = 0;
    // Ends the process at once (SIGKILL). Does not wait.
    virtual void forceTerminate(const RunningApplication& app) = 0;
    virtual bool isTerminated(const RunningApplication& app) = 0;
};

} // namespace dexaro
