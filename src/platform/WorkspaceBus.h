#pragma once
// Dexaro's workspaces on the session bus, so that other programs (its own
// command line, a desktop's keyboard shortcut, a login script) can list and
// switch them. On D-Bus:
//
//     bus name   org.dexaro.Dexaro (owned by the running Dexaro)
//     object     /org/dexaro/Dexaro
//     interface  org.dexaro.Workspaces1
//       List() -> a(sss)        identifier, name and state ("on", "off" or
//                               "busy") of every workspace, in the popover's order
//       SwitchOn(s identifier), SwitchOff(s identifier), Toggle(s identifier)
//       signal StateChanged(s identifier, s state)
//     errors     org.dexaro.Workspaces1.Error.NoSuchWorkspace, .Busy, .Stopped
//
// Only the user's own session bus: nothing listens on a network.
#include <QList>
#include <QObject>
#include <QString>
#include <memory>
#include <optional>

namespace dexaro {

inline constexpr char WorkspacesPath[] = "/org/dexaro/Dexaro";
inline constexpr char WorkspacesInterface[] = "org.dexaro.Workspaces1";

struct BusWorkspace {
    QString id;
    QString name;
    QString state; // "on", "off" or "busy"

    bool operator==(const BusWorkspace&) const = default;
};

// What a request to switch came to.
enum class BusReply { ok, noSuchWorkspace, busy, stopped, failed };

// What the running Dexaro answers; called on the main thread.
class WorkspaceBusHandler {
public:
    virtual ~WorkspaceBusHandler() = default;
    virtual QList<BusWorkspace> list() = 0;
    // A workspace already in the state asked for answers ok.
    virtual BusReply switchOn(const QString& id) = 0;
    virtual BusReply switchOff(const QString& id) = 0;
    virtual BusReply toggle(const QString& id) = 0;
};

// The running Dexaro's side.
class WorkspaceBusService {
public:
    virtual ~WorkspaceBusService() = default;
    // Answers requests with handler from now on (Dexaro owns its bus name
    // already). False and error when there is no session bus.
    virtual bool publish(WorkspaceBusHandler& handler, QString* error) = 0;
    virtual void announceStateChanged(const QString& id, const QString& state) = 0;
};

// Another process's side: blocking calls, each with a time limit; needs no
// display.
class WorkspaceBusClient {
public:
    virtual ~WorkspaceBusClient() = default;

    // The session's bus, defined by the backend that CMake builds.
    static std::unique_ptr<WorkspaceBusClient> forSession();

    virtual bool hasSessionBus() = 0;
    virtual bool isDexaroRunning() = 0;
    // Waits until Dexaro owns its name, at most waitMs (events keep running).
    virtual bool waitForDexaro(int waitMs) = 0;
    // nullopt and error when Dexaro did not answer.
    virtual std::optional<QList<BusWorkspace>> list(QString* error) = 0;
    // method: "SwitchOn", "SwitchOff" or "Toggle". error holds Dexaro's message.
    virtual BusReply call(const QString& method, const QString& id, QString* error) = 0;
};

} // namespace dexaro
