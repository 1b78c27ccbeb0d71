#pragma once
// dexaro-launcher: started by the desktop at login. Starts Dexaro unless it
// already runs, then waits until Dexaro tells it to go ("killLauncher" on the
// session bus). Shares no code with Dexaro; the two meet only on the bus.
#include <QObject>
#include <QString>

class Launcher : public QObject {
    Q_OBJECT
public:
    // Well-known bus names and the notification both programs agree on.
    static constexpr const char* mainServiceName = "org.dexaro.Dexaro";
    static constexpr const char* launcherServiceName = "org.dexaro.Dexarolauncher";
    static constexpr const char* notificationPath = "/org/dexaro/Notifications";
    static constexpr const char* notificationInterface = "org.dexaro.Notifications";
    static constexpr const char* killLauncherMember = "killLauncher";

    // Dexaro's executable for a launcher at launcherPath: the last three path
    // components (libexec/dexaro/dexaro-launcher) replaced by bin/dexaro. A null
    // string when the path is too short to hold them.
    static QString mainProgramPath(const QString& launcherPath);

    // Runs the start-up. Answers the exit status when the launcher is done at
    // once, or -1 when it keeps running until "killLauncher" arrives.
    int start();

private slots:
    void killLauncher(const QString& object);
};
