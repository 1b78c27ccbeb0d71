// dexaro-launcher: the login item. Starts Dexaro unless it runs and quits when
// Dexaro says so.
#include "Launcher.h"

#include <QCoreApplication>

int main(int argc, char* argv[]) {
    QCoreApplication app(argc, argv);
    Launcher launcher;
    const int status = launcher.start();
    if (status >= 0)
        return status;
    return app.exec();
}
