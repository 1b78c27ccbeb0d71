#include "positioning/AllPositionsHolder.h"

namespace dexaro {

void AllPositionsHolder::loadAllPositions(const QHash<QString, QString>& placementStrings) {
    // Parse outside the lock; placers only wait for the merge.
    QHash<QString, PositionMap> parsed;
    for (auto it = placementStrings.cbegin(); it != placementStrings.cend(); ++it)
        parsed.insert(it.key(), readPlacementString(it.value()));
    std::unique_lock lock(m_lock);
    for (auto it = parsed.cbegin(); it != parsed.cend(); ++it) {
        PositionMap& entry = m_allPositions[it.key()];
        for (auto p = it->cbegin(); p != it->cend(); ++p)
            entry.insert(p.key(), p.value());
    }
}

PositionName AllPositionsHolder::positionForApp(const QString& wsID,
                                                const QString& appURLString) const {
    const qint64 key = appPositionKey(appURLString);
    std::shared_lock lock(m_lock);
    const auto entry = m_allPositions.constFind(wsID);
    if (entry == m_allPositions.constEnd())
        return PositionName::def;
    const auto value = entry->constFind(key);
    if (value == entry->constEnd())
        return PositionName::def;
    return positionOrDefault(*value);
}

void AllPositionsHolder::setAppPosition(const QString& wsID, qint64 key, qint64 rawValue) {
    std::unique_lock lock(m_lock);
    m_allPositions[wsID].insert(key, rawValue);
}

QHash<QString, PositionMap> AllPositionsHolder::allPositions() const {
    std::shared_lock lock(m_lock);
    return m_allPositions;
}

void AllPositionsHolder::loadAllOptions(const QHash<QString, WorkspaceOptions>& options) {
    std::unique_lock lock(m_lock);
    m_options = options;
}

WorkspaceOptions AllPositionsHolder::optionsOf(const QString& wsID) const {
    std::shared_lock lock(m_lock);
    return m_options.value(wsID);
}

void AllPositionsHolder::setOptions(const QString& wsID, const WorkspaceOptions& options) {
    std::unique_lock lock(m_lock);
    if (options.isDefault())
        m_options.remove(wsID);
    else
        m_options.insert(wsID, options);
}

AppTarget AllPositionsHolder::targetForApp(const QString& wsID, const QString& appURLString) const {
    const qint64 key = appPositionKey(appURLString);
    std::shared_lock lock(m_lock);
    return m_options.value(wsID).apps.value(key);
}

} // namespace dexaro
