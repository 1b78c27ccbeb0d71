#include "app/WorkspaceBusRequests.h"

#include "activation/WorkspaceActivation.h"

#include <cstdio>

namespace dexaro {

namespace {

BusReply replyFor(WorkspaceActivation::Answer answer) {
    switch (answer) {
    case WorkspaceActivation::Answer::switching:
    case WorkspaceActivation::Answer::unchanged:
        return BusReply::ok;
    case WorkspaceActivation::Answer::unknownWorkspace:
        return BusReply::noSuchWorkspace;
    case WorkspaceActivation::Answer::busy:
        return BusReply::busy;
    case WorkspaceActivation::Answer::stopped:
        return BusReply::stopped;
    }
    return BusReply::failed;
}

} // namespace

WorkspaceBusRequests::WorkspaceBusRequests(WorkspaceActivation& activation,
                                           std::unique_ptr<WorkspaceBusService> service,
                                           QObject* parent)
    : QObject(parent), m_activation(activation), m_service(std::move(service)) {
    QString error;
    if (!m_service->publish(*this, &error))
        std::fprintf(stderr, "Dexaro: no workspace requests over the bus: %s\n", qPrintable(error));
    const auto announce = [this](const QString& id) {
        m_service->announceStateChanged(id, stateText(m_activation, id));
    };
    connect(&activation, &WorkspaceActivation::switchingStarted, this,
            [announce](const QString& id) { announce(id); });
    connect(&activation, &WorkspaceActivation::stateChanged, this,
            [announce](const QString& id) { announce(id); });
}

WorkspaceBusRequests::~WorkspaceBusRequests() = default;

QString WorkspaceBusRequests::stateText(const WorkspaceActivation& activation, const QString& id) {
    if (activation.itemState(id) == ItemStateEnum::runningApp)
        return QStringLiteral("busy");
    return activation.isOn(id) ? QStringLiteral("on") : QStringLiteral("off");
}

QList<BusWorkspace> WorkspaceBusRequests::list() {
    QList<BusWorkspace> listed;
    for (const WSListModelPtr& workspace : m_activation.workspaces())
        if (workspace)
            listed << BusWorkspace{workspace->wsID, workspace->wsName,
                                   stateText(m_activation, workspace->wsID)};
    return listed;
}

BusReply WorkspaceBusRequests::switchOn(const QString& id) {
    return replyFor(m_activation.switchOn(id));
}

BusReply WorkspaceBusRequests::switchOff(const QString& id) {
    return replyFor(m_activation.switchOff(id));
}

BusReply WorkspaceBusRequests::toggle(const QString& id) {
    return replyFor(m_activation.toggleWorkspace(id));
}

} // namespace dexaro
