// The command line: what each set of arguments asks, how a name finds its
// workspace, and what each request does against a running Dexaro, a Dexaro
// that must be started and none at all (a recording bus). A real Dexaro
// driven from other processes is x11_app's.
#include "app/CommandLine.h"
#include "model/WorkspaceStore.h"
#include "platform/ObjectStore.h"
#include "support/RecordingAlerts.h"

#include <QTemporaryDir>
#include <QTextStream>
#include <gtest/gtest.h>

using namespace dexaro;
using Action = CommandLine::Action;

namespace {

TEST(CommandLine, ArgumentsAskForOneThingOrAreBadUsage) {
    const struct {
        QStringList arguments;
        Action action;
        QString name;
        bool bad;
    } rows[] = {
        {{}, Action::start, {}, false},
        {{"--list"}, Action::list, {}, false},
        {{"--on", "My Work"}, Action::on, "My Work", false},
        {{"--off=Büro"}, Action::off, "Büro", false},
        {{"--toggle", "-4242"}, Action::toggle, "-4242", false},
        {{"-v"}, Action::version, {}, false},
        {{"--help"}, Action::help, {}, false},
        {{"--on"}, Action::start, {}, true},
        {{"--on", "A", "--off", "B"}, Action::start, {}, true},
        {{"--list", "extra"}, Action::start, {}, true},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.arguments.join(' ').toStdString());
        const CommandLine::Request request = CommandLine::parse(row.arguments);
        EXPECT_EQ(std::tuple(request.action, request.name, !request.error.isEmpty()),
                  std::tuple(row.action, row.name, row.bad));
    }
}

TEST(CommandLine, ANameFindsItsWorkspaceByIdentifierExactNameThenAnyCase) {
    const QList<BusWorkspace> workspaces = {{"11", "Work", "off"},
                                            {"22", "work", "off"},
                                            {"33", "Büro Zwei", "on"},
                                            {"44", "Mail", "off"},
                                            {"55", "MAIL", "off"}};
    const struct {
        QString name;
        QString id; // empty: refused
        const char* errorHolds;
    } rows[] = {
        {"Work", "11", nullptr},
        {"work", "22", nullptr},
        {"büro zwei", "33", nullptr},
        {"44", "44", nullptr},
        {"mail", "", "(44), \"MAIL\" (55)"},
        {"Nothing", "", "No workspace is named \"Nothing\""},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name.toStdString());
        const CommandLine::Match match = CommandLine::find(row.name, workspaces);
        EXPECT_EQ(match.id, row.id);
        if (row.errorHolds) {
            EXPECT_TRUE(match.error.contains(QString::fromUtf8(row.errorHolds)))
                << match.error.toStdString();
        }
    }
}

class RecordingBus : public WorkspaceBusClient {
public:
    bool hasSessionBus() override { return bus; }
    bool isDexaroRunning() override { return running; }
    bool waitForDexaro(int) override { return running = startsDexaro; }
    std::optional<QList<BusWorkspace>> list(QString*) override { return workspaces; }
    BusReply call(const QString& method, const QString& id, QString*) override {
        calls << method + ' ' + id;
        return reply;
    }
    bool bus = true, running = false, startsDexaro = true;
    QList<BusWorkspace> workspaces;
    BusReply reply = BusReply::ok;
    QStringList calls;
};

struct Command {
    explicit Command(const QString& storePath) : storePath(storePath) {}
    int operator()(const QStringList& arguments) {
        out.clear();
        err.clear();
        QTextStream outStream(&out), errStream(&err);
        CommandLine::Environment env{bus, storePath,
                                     [this] {
                                         ++starts;
                                         return startable;
                                     },
                                     outStream, errStream};
        return CommandLine::run(CommandLine::parse(arguments), env);
    }
    QString storePath;
    RecordingBus bus;
    bool startable = true;
    int starts = 0;
    QString out, err;
};

TEST(CommandLine, RequestsGoToTheRunningDexaroOrStartItAndAnswerTheirStatus) {
    QTemporaryDir dir;
    const QString storePath = dir.filePath(QStringLiteral("Dexaro.sqlite"));
    Command run(storePath);
    // No store yet: nothing to list, no name to find.
    EXPECT_EQ(std::tuple(run({"--list"}), run.out), std::tuple(0, QString()));
    EXPECT_EQ(run({"--on", "Work"}), 1);
    {
        test::RecordingAlerts alerts;
        auto objects = WorkspaceStore::openStore(storePath, nullptr);
        WorkspaceStore store(*objects, alerts);
        store.fillWorkspace(store.insertWorkspace(), {"Work\nLate", {"file:///x.desktop"}, {}, {}});
        ASSERT_TRUE(objects->save());
    }
    ASSERT_EQ(run({"--list"}), 0) << "read from the store";
    const QString id = run.out.section('\t', 0, 0);
    EXPECT_EQ(run.out, id + "\toff\tWork Late\n") << "one line each, whatever the name holds";

    // Not running: --off has nothing to do, --on starts Dexaro, then asks it.
    EXPECT_EQ(std::tuple(run({"--off", "work\nlate"}), run.starts), std::tuple(0, 0));
    EXPECT_EQ(run({"--on", "Work\nLate"}), 0);
    EXPECT_EQ(std::tuple(run.starts, run.bus.calls), std::tuple(1, QStringList{"SwitchOn " + id}));
    run.bus.running = false;
    run.bus.startsDexaro = false;
    EXPECT_EQ(run({"--toggle", id}), 1) << run.err.toStdString();
    run.startable = false;
    EXPECT_EQ(run({"--toggle", id}), 1);
    run.bus.bus = false;
    EXPECT_EQ(run({"--toggle", id}), 1);
    EXPECT_TRUE(run.err.contains("no session bus")) << run.err.toStdString();

    // Running: its own list and answers.
    const int starts = run.starts;
    run.bus = RecordingBus{};
    run.bus.running = true;
    run.bus.workspaces = {{"7", "Mail", "busy"}};
    EXPECT_EQ(std::tuple(run({"--list"}), run.out), std::tuple(0, QString("7\tbusy\tMail\n")));
    run.bus.reply = BusReply::busy;
    EXPECT_EQ(run({"--toggle", "mail"}), 1);
    EXPECT_TRUE(run.err.startsWith("dexaro: Workspace \"Mail\" is being switched"));
    EXPECT_EQ(run.err.count('\n'), 1);
    EXPECT_EQ(run.starts, starts) << "never a second Dexaro";
    EXPECT_EQ(run({"--frobnicate"}), 2);
}

} // namespace
