#include "app/CommandLine.h"

#include "model/WorkspaceStore.h"
#include "platform/ObjectStore.h"

#include <QCommandLineParser>
#include <QFileInfo>
#include <QTextStream>

namespace dexaro {

namespace {

const QString listOption = QStringLiteral("list");
const QString onOption = QStringLiteral("on");
const QString offOption = QStringLiteral("off");
const QString toggleOption = QStringLiteral("toggle");

struct Options {
    QCommandLineParser parser;
    QCommandLineOption help{{QStringLiteral("h"), QStringLiteral("help")},
                            QStringLiteral("Show this help and quit.")};
    QCommandLineOption version{{QStringLiteral("v"), QStringLiteral("version")},
                               QStringLiteral("Show Dexaro's version and quit.")};
    QCommandLineOption list{listOption,
                            QStringLiteral("List every workspace: identifier, state, name.")};
    QCommandLineOption on{onOption, QStringLiteral("Switch the workspace NAME on."),
                          QStringLiteral("NAME")};
    QCommandLineOption off{offOption, QStringLiteral("Switch the workspace NAME off."),
                           QStringLiteral("NAME")};
    QCommandLineOption toggle{toggleOption,
                              QStringLiteral("Switch the workspace NAME on, or off when it is on."),
                              QStringLiteral("NAME")};

    Options() {
        parser.setApplicationDescription(
            QStringLiteral("Dexaro keeps workspaces of applications, links and files and "
                           "switches them on and off. Without options it starts in the tray.\n"
                           "NAME is a workspace's name (letter case counts only where two "
                           "names differ in it alone) or its identifier."));
        parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
        parser.addOptions({help, version, list, on, off, toggle});
    }
};

QString quoted(const QString& text) {
    return QLatin1Char('"') + text + QLatin1Char('"');
}

QString names(const QList<BusWorkspace>& workspaces) {
    QStringList listed;
    for (const BusWorkspace& workspace : workspaces)
        listed << QStringLiteral("%1 (%2)").arg(quoted(workspace.name), workspace.id);
    return listed.join(QStringLiteral(", "));
}

// Keeps a message on its one line whatever a name holds.
QString oneLine(QString text) {
    text.replace(QLatin1Char('\n'), QLatin1Char(' ')).replace(QLatin1Char('\r'), QLatin1Char(' '));
    return text;
}

} // namespace

CommandLine::Request CommandLine::parse(const QStringList& arguments) {
    Request request;
    if (arguments.isEmpty())
        return request;
    Options options;
    if (!options.parser.parse(QStringList{QStringLiteral("dexaro")} + arguments)) {
        request.error = options.parser.errorText();
        return request;
    }
    if (!options.parser.positionalArguments().isEmpty()) {
        request.error = QStringLiteral("Unexpected argument %1; a workspace's name follows --on, "
                                       "--off or --toggle.")
                            .arg(quoted(options.parser.positionalArguments().first()));
        return request;
    }
    const std::pair<const QCommandLineOption*, Action> actions[] = {
        {&options.help, Action::help}, {&options.version, Action::version},
        {&options.list, Action::list}, {&options.on, Action::on},
        {&options.off, Action::off},   {&options.toggle, Action::toggle},
    };
    int given = 0;
    for (const auto& [option, action] : actions) {
        const int times = static_cast<int>(options.parser.values(*option).size());
        const bool set = option->valueName().isEmpty() ? options.parser.isSet(*option) : times > 0;
        if (!set)
            continue;
        given += std::max(times, 1);
        request.action = action;
        if (!option->valueName().isEmpty())
            request.name = options.parser.value(*option);
    }
    if (given > 1) {
        request = Request{};
        request.error = QStringLiteral("Give one of the options at a time.");
    }
    return request;
}

QString CommandLine::helpText() {
    Options options;
    return options.parser.helpText();
}

CommandLine::Match CommandLine::find(const QString& name, const QList<BusWorkspace>& workspaces) {
    Match match;
    const auto found = [&](const BusWorkspace& workspace) {
        match.id = workspace.id;
        match.name = workspace.name;
        return match;
    };
    for (const BusWorkspace& workspace : workspaces)
        if (workspace.id == name)
            return found(workspace);
    QList<BusWorkspace> exact, anyCase;
    for (const BusWorkspace& workspace : workspaces) {
        if (workspace.name == name)
            exact << workspace;
        else if (workspace.name.compare(name, Qt::CaseInsensitive) == 0)
            anyCase << workspace;
    }
    const QList<BusWorkspace>& candidates = exact.isEmpty() ? anyCase : exact;
    if (candidates.size() == 1)
        return found(candidates.first());
    match.error = candidates.isEmpty()
                      ? QStringLiteral("No workspace is named %1.").arg(quoted(name))
                      : QStringLiteral("%1 names more than one workspace: %2. Give its "
                                       "identifier instead.")
                            .arg(quoted(name), names(candidates));
    return match;
}

std::optional<QList<BusWorkspace>> CommandLine::storedWorkspaces(const QString& storePath,
                                                                 QString* error) {
    // No store yet: no workspaces yet.
    if (!QFileInfo::exists(storePath))
        return QList<BusWorkspace>{};
    const std::unique_ptr<ObjectStore> store = WorkspaceStore::openReadOnlyStore(storePath, error);
    if (!store)
        return std::nullopt;
    const auto list = WorkspaceStore::readEditorWorkspaceList(*store, error);
    if (!list)
        return std::nullopt;
    QList<BusWorkspace> workspaces;
    for (qsizetype i = 1; i < list->size(); ++i) // the Editor's placeholder first
        workspaces << BusWorkspace{list->at(i)->wsID, list->at(i)->wsName, QStringLiteral("off")};
    return workspaces;
}

int CommandLine::run(const Request& request, Environment& env) {
    const auto fail = [&env](int status, const QString& message) {
        env.err << "dexaro: " << oneLine(message) << Qt::endl;
        return status;
    };
    switch (request.action) {
    case Action::start:
        return request.error.isEmpty()
                   ? done
                   : fail(badUsage, request.error + QStringLiteral(" See dexaro --help."));
    case Action::help:
        env.out << helpText();
        env.out.flush();
        return done;
    case Action::version:
        env.out << "Dexaro " << DEXARO_VERSION << Qt::endl;
        return done;
    case Action::list:
    case Action::on:
    case Action::off:
    case Action::toggle:
        break;
    }

    const bool running = env.bus.isDexaroRunning();
    QString error;
    const std::optional<QList<BusWorkspace>> workspaces =
        running ? env.bus.list(&error) : storedWorkspaces(env.storePath, &error);
    if (!workspaces)
        return fail(refused, running
                                 ? QStringLiteral("Dexaro did not answer: %1").arg(error)
                                 : QStringLiteral("The workspaces cannot be read: %1").arg(error));
    if (request.action == Action::list) {
        for (const BusWorkspace& workspace : *workspaces)
            env.out << workspace.id << '\t' << workspace.state << '\t' << oneLine(workspace.name)
                    << '\n';
        env.out.flush();
        return done;
    }

    const Match match = find(request.name, *workspaces);
    if (match.id.isEmpty())
        return fail(refused, match.error);
    // Nothing is on while Dexaro is not running.
    if (!running && request.action == Action::off)
        return done;
    if (!running) {
        if (!env.bus.hasSessionBus())
            return fail(refused, QStringLiteral("Dexaro is not running, and there is no session "
                                                "bus to reach it through once started."));
        if (!env.startDexaro())
            return fail(refused, QStringLiteral("Dexaro could not be started."));
        if (!env.bus.waitForDexaro(env.startWaitMs))
            return fail(refused, QStringLiteral("Dexaro was started but cannot be reached."));
    }
    const QString method = request.action == Action::on    ? QStringLiteral("SwitchOn")
                           : request.action == Action::off ? QStringLiteral("SwitchOff")
                                                           : QStringLiteral("Toggle");
    switch (env.bus.call(method, match.id, &error)) {
    case BusReply::ok:
        return done;
    case BusReply::busy:
        return fail(refused, QStringLiteral("Workspace %1 is being switched on or off; ask again "
                                            "once it is done.")
                                 .arg(quoted(match.name)));
    case BusReply::noSuchWorkspace:
        return fail(refused, QStringLiteral("Workspace %1 is gone.").arg(quoted(match.name)));
    case BusReply::stopped:
        return fail(refused, QStringLiteral("Dexaro is quitting."));
    case BusReply::failed:
        break;
    }
    return fail(refused, QStringLiteral("Dexaro did not answer: %1").arg(error));
}

} // namespace dexaro
