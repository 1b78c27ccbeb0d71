#include "positioning/WSCreatorPositionManager.h"

namespace dexaro {

void WSCreatorPositionManager::setPosition(const QString& appURLString, qint64 rawValue) {
    positionsCache.insert(appPositionKey(appURLString), rawValue);
}

PositionMap WSCreatorPositionManager::placementsFor(const QStringList& selectedAppURLs) {
    positionsCache = keepSelected(positionsCache, selectedAppURLs);
    return positionsCache;
}

} // namespace dexaro
