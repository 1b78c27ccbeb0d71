#include "Launcher.h"

#include <QCoreApplication>
#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <cstdio>

namespace {

void say(const QString& text) {
    std::fprintf(stderr, "dexaro-launcher: %s\n", qPrintable(text));
}

} // namespace

QString Launcher::mainProgramPath(const QString& launcherPath) {
    QStringList parts = QDir::cleanPath(launcherPath).split(u'/', Qt::SkipEmptyParts);
    if (!QDir::isAbsolutePath(launcherPath) || parts.size() < 3)
        return {};
    parts.resize(parts.size() - 3);
    parts << QStringLiteral("bin") << QStringLiteral("dexaro");
    return u'/' + parts.join(u'/');
}

int Launcher::start() {
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected()) {
        say(QStringLiteral("no D-Bus session bus (%1); cannot start Dexaro")
                .arg(bus.lastError().message()));
        return 1;
    }
    QDBusConnectionInterface* names = bus.interface();
    if (names->isServiceRegistered(QString::fromLatin1(mainServiceName)))
        return 0;

    // Subscribe before taking our name: Dexaro looks for that name at its
    // start-up and posts at once, so the signal cannot slip past us.
    if (!bus.connect(QString(), QString::fromLatin1(notificationPath),
                     QString::fromLatin1(notificationInterface),
                     QString::fromLatin1(killLauncherMember), this, SLOT(killLauncher(QString)))) {
        say(QStringLiteral("cannot listen for killLauncher: %1").arg(bus.lastError().message()));
        return 1;
    }
    if (!bus.registerService(QString::fromLatin1(launcherServiceName))) {
        // Another launcher holds the name and does the job already.
        say(QStringLiteral("another launcher is running"));
        return 0;
    }

    const QString program = mainProgramPath(QCoreApplication::applicationFilePath());
    if (program.isEmpty()) {
        say(QStringLiteral("cannot find Dexaro from %1")
                .arg(QCoreApplication::applicationFilePath()));
        return 1;
    }
    if (!QFileInfo(program).isExecutable()) {
        say(QStringLiteral("cannot start Dexaro: %1 is missing or not executable").arg(program));
        return 1;
    }
    if (!QProcess::startDetached(program, QStringList(), QDir::homePath())) {
        say(QStringLiteral("cannot start Dexaro (%1)").arg(program));
        return 1;
    }
    return -1;
}

void Launcher::killLauncher(const QString& object) {
    if (object != QLatin1String(mainServiceName)) {
        say(QStringLiteral("ignoring killLauncher from %1").arg(object));
        return;
    }
    QCoreApplication::quit();
}
