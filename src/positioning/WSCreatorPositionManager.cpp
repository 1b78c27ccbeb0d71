#include "positioning/WSCreatorPositionManager.h"

#include "positioning/AllPositionsHolder.h"
#include "positioning/PositionsDBManager.h"

namespace dexaro {

WSCreatorPositionManager::WSCreatorPositionManager(PositionsDBManager& db,
                                                   AllPositionsHolder& holder)
    : m_db(db), m_holder(holder) {}

void WSCreatorPositionManager::setPosition(const QString& appURLString, qint64 rawValue) {
    positionsCache.insert(appPositionKey(appURLString), rawValue);
}

bool WSCreatorPositionManager::save(const QString& wsID, const QStringList& selectedAppURLs) {
    positionsCache = keepSelected(positionsCache, selectedAppURLs);
    for (auto it = positionsCache.cbegin(); it != positionsCache.cend(); ++it)
        m_holder.setAppPosition(wsID, it.key(), it.value());
    const QString text = writePlacementString(positionsCache);
    if (text.isEmpty())
        return true;
    return m_db.save(wsID, text);
}

} // namespace dexaro
