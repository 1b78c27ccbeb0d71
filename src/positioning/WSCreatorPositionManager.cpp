#include "positioning/WSCreatorPositionManager.h"

namespace dexaro {

void WSCreatorPositionManager::setPosition(const QString& appURLString, qint64 rawValue) {
    positionsCache.insert(appPositionKey(appURLString), rawValue);
}

PositionMap WSCreatorPositionManager::placementsFor(const QStringList& selectedAppURLs) {
    positionsCache = keepSelected(positionsCache, selectedAppURLs);
    return positionsCache;
}

void WSCreatorPositionManager::setTarget(const QString& appURLString, const AppTarget& target) {
    if (target.isDefault())
        targetsCache.remove(appPositionKey(appURLString));
    else
        targetsCache.insert(appPositionKey(appURLString), target);
}

AppTarget WSCreatorPositionManager::targetOf(const QString& appURLString) const {
    return targetsCache.value(appPositionKey(appURLString));
}

QHash<qint64, AppTarget> WSCreatorPositionManager::targetsFor(const QStringList& selectedAppURLs) {
    targetsCache = keepSelectedTargets(targetsCache, selectedAppURLs);
    return targetsCache;
}

} // namespace dexaro
