#include "positioning/WSEditorPositionManager.h"

#include "positioning/PositionsDBManager.h"

namespace dexaro {

WSEditorPositionManager::WSEditorPositionManager(PositionsDBManager& db) : m_db(db) {}

PositionMap WSEditorPositionManager::positionsFor(const QString& wsID) {
    if (auto it = m_cache.constFind(wsID); it != m_cache.constEnd())
        return *it;
    PositionMap positions;
    // Empty pieces are dropped before the usual rules, which skip them anyway.
    if (const auto stored = m_db.positionsOf(wsID))
        positions = readPlacementString(*stored);
    m_cache.insert(wsID, positions);
    m_options.insert(wsID, optionsSource ? optionsSource(wsID) : WorkspaceOptions{});
    return positions;
}

std::optional<qint64> WSEditorPositionManager::positionOf(const QString& wsID,
                                                          const QString& appURLString) const {
    const auto entry = m_cache.constFind(wsID);
    if (entry == m_cache.constEnd())
        return std::nullopt;
    const auto value = entry->constFind(appPositionKey(appURLString));
    if (value == entry->constEnd())
        return std::nullopt;
    return *value;
}

void WSEditorPositionManager::setPosition(const QString& wsID, const QString& appURLString,
                                          qint64 rawValue) {
    const auto entry = m_cache.find(wsID);
    if (entry != m_cache.end())
        entry->insert(appPositionKey(appURLString), rawValue);
}

std::optional<PositionMap>
WSEditorPositionManager::placementsFor(const QString& wsID, const QStringList& selectedAppURLs) {
    const auto entry = m_cache.find(wsID);
    if (entry == m_cache.end())
        return std::nullopt;
    *entry = keepSelected(*entry, selectedAppURLs);
    return *entry;
}

WorkspaceOptions WSEditorPositionManager::optionsOf(const QString& wsID) const {
    return m_options.value(wsID);
}

void WSEditorPositionManager::setTarget(const QString& wsID, const QString& appURLString,
                                        const AppTarget& target) {
    const auto entry = m_options.find(wsID);
    if (entry == m_options.end())
        return;
    if (target.isDefault())
        entry->apps.remove(appPositionKey(appURLString));
    else
        entry->apps.insert(appPositionKey(appURLString), target);
}

AppTarget WSEditorPositionManager::targetOf(const QString& wsID,
                                            const QString& appURLString) const {
    return m_options.value(wsID).apps.value(appPositionKey(appURLString));
}

std::optional<WorkspaceOptions>
WSEditorPositionManager::optionsFor(const QString& wsID, const QStringList& selectedAppURLs,
                                    bool switchOnAtStart, int startDesktop) {
    const auto entry = m_options.find(wsID);
    if (entry == m_options.end())
        return std::nullopt;
    entry->apps = keepSelectedTargets(entry->apps, selectedAppURLs);
    entry->switchOnAtStart = switchOnAtStart;
    entry->startDesktop = startDesktop;
    return *entry;
}

} // namespace dexaro
