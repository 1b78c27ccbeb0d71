#pragma once
// Answers the session bus's workspace requests (WorkspaceBus.h) with the
// running Dexaro's WorkspaceActivation, and announces every change of a
// workspace's state there. Main thread only.
#include "platform/WorkspaceBus.h"

#include <QObject>
#include <memory>

namespace dexaro {

class WorkspaceActivation;

class WorkspaceBusRequests : public QObject, public WorkspaceBusHandler {
    Q_OBJECT
public:
    // Publishes the service with these answers; a session without a bus
    // gets one line on the console.
    WorkspaceBusRequests(WorkspaceActivation& activation,
                         std::unique_ptr<WorkspaceBusService> service, QObject* parent = nullptr);
    ~WorkspaceBusRequests() override;

    // "on", "off" or "busy", as the bus tells a workspace's state.
    static QString stateText(const WorkspaceActivation& activation, const QString& id);

    QList<BusWorkspace> list() override;
    BusReply switchOn(const QString& id) override;
    BusReply switchOff(const QString& id) override;
    BusReply toggle(const QString& id) override;

private:
    WorkspaceActivation& m_activation;
    std::unique_ptr<WorkspaceBusService> m_service;
};

} // namespace dexaro
