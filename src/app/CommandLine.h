#pragma once
// `dexaro` with options: list the workspaces, switch one on or off, or tell
// the version, from a terminal, a desktop's keyboard shortcut or a login
// script. A running Dexaro is asked over the session bus; --on and --toggle
// start it first when it is not running, --list then reads the store
// read-only. No display is needed and no widget is made.
//
// Exit status: 0 done, 1 refused (no such or an ambiguous workspace, Dexaro
// busy or unreachable, the store unreadable), 2 bad usage. Every message is
// one line on stderr.
#include "platform/WorkspaceBus.h"

#include <QString>
#include <QStringList>
#include <functional>

class QTextStream;

namespace dexaro {

class CommandLine {
public:
    enum class Action { start, list, on, off, toggle, version, help };
    enum Status { done = 0, refused = 1, badUsage = 2 };

    struct Request {
        Action action = Action::start;
        QString name;  // the workspace asked for
        QString error; // bad usage: what is wrong
    };
    // arguments without the program's own name. No arguments: start.
    static Request parse(const QStringList& arguments);
    static QString helpText();

    // A workspace by identifier, then by its exact name, then by its name in
    // any letter case. Empty id and error (the candidates named) otherwise.
    struct Match {
        QString id;
        QString name;
        QString error;
    };
    static Match find(const QString& name, const QList<BusWorkspace>& workspaces);

    // What the command line needs of the world.
    struct Environment {
        WorkspaceBusClient& bus;
        QString storePath;
        // Starts Dexaro in the background; false when it could not be started.
        std::function<bool()> startDexaro;
        QTextStream& out;
        QTextStream& err;
        // How long a started Dexaro may take to be reachable.
        int startWaitMs = 20000;
    };
    // Carries out a request other than start; answers the exit status.
    static int run(const Request& request, Environment& environment);

private:
    static std::optional<QList<BusWorkspace>> storedWorkspaces(const QString& storePath,
                                                               QString* error);
};

} // namespace dexaro
