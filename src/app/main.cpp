// Dexaro: workspaces of applications, links and files, switched on and off
// from the desktop's status area.
#include "app/AppDelegate.h"
#include "app/AppIdentifiers.h"
#include "platform/Platform.h"
#include "platform/TerminationSignals.h"

#include <QApplication>
#include <QIcon>
#include <csignal>
#include <cstdio>

int main(int argc, char* argv[]) {
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
