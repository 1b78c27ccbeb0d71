#include "activation/WorkspaceActivationRecords.h"

namespace dexaro {

ItemStateEnum WorkspaceActivationRecords::state(const QString& wsID) const {
    std::lock_guard guard(m_lock);
    const auto it = m_records.constFind(wsID);
    if (it == m_records.cend() || it->state == ItemStateEnum::notSet)
        return ItemStateEnum::inactive;
    return it->state;
}

void WorkspaceActivationRecords::setState(const QString& wsID, ItemStateEnum state) {
    std::lock_guard guard(m_lock);
    m_records[wsID].state = state;
}

bool WorkspaceActivationRecords::setStateIf(const QString& wsID, quint64 generation,
                                            ItemStateEnum state) {
    std::lock_guard guard(m_lock);
    Record& record = m_records[wsID];
    if (record.generation != generation)
        return false;
    record.state = state;
    return true;
}

bool WorkspaceActivationRecords::toggleIsOn(const QString& wsID) const {
    std::lock_guard guard(m_lock);
    return m_records.value(wsID).toggleIsOn;
}

void WorkspaceActivationRecords::setToggleIsOn(const QString& wsID, bool on) {
    std::lock_guard guard(m_lock);
    m_records[wsID].toggleIsOn = on;
}

quint64 WorkspaceActivationRecords::generation(const QString& wsID) const {
    std::lock_guard guard(m_lock);
    return m_records.value(wsID).generation;
}

bool WorkspaceActivationRecords::recordLaunchedApp(const QString& wsID, quint64 generation,
                                                   const RunningApplication& app) {
    std::lock_guard guard(m_lock);
    Record& record = m_records[wsID];
    if (record.generation != generation)
        return false;
    if (!record.apps.contains(app))
        record.apps.append(app);
    if (!app.localizedName.isEmpty())
        record.names.append(app.localizedName);
    return true;
}

void WorkspaceActivationRecords::clearLaunchedApps(const QString& wsID) {
    std::lock_guard guard(m_lock);
    const auto it = m_records.find(wsID);
    if (it == m_records.end())
        return;
    it->apps.clear();
    it->names.clear();
}

void WorkspaceActivationRecords::reset(const QString& wsID) {
    std::lock_guard guard(m_lock);
    Record& record = m_records[wsID];
    record.apps.clear();
    record.names.clear();
    record.state = ItemStateEnum::inactive;
    record.toggleIsOn = false;
    ++record.generation;
}

bool WorkspaceActivationRecords::resetIf(const QString& wsID, quint64 generation) {
    std::lock_guard guard(m_lock);
    Record& record = m_records[wsID];
    if (record.generation != generation)
        return false;
    record.apps.clear();
    record.names.clear();
    record.state = ItemStateEnum::inactive;
    record.toggleIsOn = false;
    ++record.generation;
    return true;
}

QList<RunningApplication> WorkspaceActivationRecords::launchedApps(const QString& wsID) const {
    std::lock_guard guard(m_lock);
    return m_records.value(wsID).apps;
}

QStringList WorkspaceActivationRecords::launchedAppNames(const QString& wsID) const {
    std::lock_guard guard(m_lock);
    return m_records.value(wsID).names;
}

bool WorkspaceActivationRecords::anyBusy() const {
    std::lock_guard guard(m_lock);
    for (const Record& record : m_records)
        if (record.state == ItemStateEnum::runningApp)
            return true;
    return false;
}

} // namespace dexaro
