// Dexaro: workspaces of applications, links and files, switched on and off
// from the desktop's status area.
#include "app/AppDelegate.h"
#include "app/AppIdentifiers.h"
#include "app/CommandLine.h"
#include "model/WorkspaceStore.h"
#include "platform/Platform.h"
#include "platform/TerminationSignals.h"

#include <QApplication>
#include <QIcon>
#include <QProcess>
#include <QTextStream>
#include <csignal>
#include <cstdio>

namespace {

// The command line's requests: no display, no widgets.
int runCommandLine(int argc, char* argv[], const dexaro::CommandLine::Request& request) {
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("Dexaro"));
    const std::unique_ptr<dexaro::WorkspaceBusClient> bus =
        dexaro::WorkspaceBusClient::forSession();
    QTextStream out(stdout);
    QTextStream err(stderr);
    dexaro::CommandLine::Environment environment{
        *bus, dexaro::WorkspaceStore::defaultStorePath(),
        [] { return QProcess::startDetached(QCoreApplication::applicationFilePath(), {}); }, out,
        err};
    return dexaro::CommandLine::run(request, environment);
}

} // namespace

int main(int argc, char* argv[]) {
    QStringList arguments;
    for (int i = 1; i < argc; ++i)
        arguments << QString::fromLocal8Bit(argv[i]);
    const dexaro::CommandLine::Request request = dexaro::CommandLine::parse(arguments);
    if (request.action != dexaro::CommandLine::Action::start || !request.error.isEmpty())
        return runCommandLine(argc, argv, request);

    dexaro::Platform::beforeApplication();
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Dexaro"));
    QApplication::setDesktopFileName(dexaro::MainAppBundleIdentifier);
    QApplication::setWindowIcon(QIcon(QStringLiteral(":/images/AppIcon.svg")));
    // Dexaro lives in the status area: closing its last window does not end it.
    QApplication::setQuitOnLastWindowClosed(false);

    // A console that went away (a terminal closed, the login launcher's pipe
    // gone) must not end Dexaro at its next warning: writes to it just fail.
    std::signal(SIGPIPE, SIG_IGN);
    // Installed first, so that a termination during start-up waits for the loop.
    dexaro::TerminationSignals terminationSignals;

    const std::unique_ptr<dexaro::Platform> platform =
        dexaro::Platform::forDesktop(QCoreApplication::applicationFilePath());
    dexaro::AppDelegate delegate(*platform, dexaro::AppServices::fromPlatform(*platform));
    QObject::connect(
        &terminationSignals, &dexaro::TerminationSignals::terminationRequested, &delegate,
        [&delegate] { delegate.requestQuit(dexaro::AppDelegate::QuitRequester::session); });

    switch (delegate.applicationDidFinishLaunching()) {
    case dexaro::AppDelegate::LaunchResult::StoreFailed:
        return 1;
    case dexaro::AppDelegate::LaunchResult::QuitDuringStartUp:
        return 0;
    case dexaro::AppDelegate::LaunchResult::AlreadyRunning:
        std::fprintf(stderr, "Dexaro is already running.\n");
        return 0;
    case dexaro::AppDelegate::LaunchResult::Started:
        break;
    }
    return app.exec();
}
