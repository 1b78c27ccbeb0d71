#include "positioning/WSEditorPositionManager.h"

#include "platform/Alerts.h"
#include "positioning/AllPositionsHolder.h"
#include "positioning/PositionsDBManager.h"

namespace dexaro {

WSEditorPositionManager::WSEditorPositionManager(PositionsDBManager& db, AllPositionsHolder& holder)
    : m_db(db), m_holder(holder) {}

PositionMap WSEditorPositionManager::positionsFor(const QString& wsID) {
    if (auto it = m_cache.constFind(wsID); it != m_cache.constEnd())
        return *it;
    PositionMap positions;
    // Empty pieces are dropped before the usual rules, which skip them anyway.
    if (const auto stored = m_db.positionsOf(wsID))
        positions = readPlacementString(*stored);
    m_cache.insert(wsID, positions);
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

bool WSEditorPositionManager::save(const QString& wsID, const QStringList& selectedAppURLs) {
    const auto entry = m_cache.find(wsID);
    if (entry == m_cache.end()) {
        m_db.alerts().warn(QStringLiteral("Dexaro positions"),
                           QStringLiteral("Could not save position!"),
                           QStringLiteral("Could not save app position!"));
        return false;
    }
    *entry = keepSelected(*entry, selectedAppURLs);
    const QString text = writePlacementString(*entry);
    for (auto it = entry->cbegin(); it != entry->cend(); ++it)
        m_holder.setAppPosition(wsID, it.key(), it.value());
    return m_db.save(wsID, text);
}

} // namespace dexaro
