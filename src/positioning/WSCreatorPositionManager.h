#pragma once
// The placements chosen in the Creator for the workspace being created. Each
// save keeps only the selected applications' choices, so choices for
// applications that stay selected carry over to the next new workspace.
// Main thread only.
#include "model/WindowTargets.h"
#include "positioning/PositionName.h"

#include <QString>
#include <QStringList>

namespace dexaro {

class WSCreatorPositionManager {
public:
    PositionMap positionsCache;

    void setPosition(const QString& appURLString, qint64 rawValue);
    // The selected applications' placements, to be stored with the new
    // workspace; the others' are forgotten.
    PositionMap placementsFor(const QStringList& selectedAppURLs);

    // Monitors and desktops, kept as placements are.
    QHash<qint64, AppTarget> targetsCache;
    void setTarget(const QString& appURLString, const AppTarget& target);
    AppTarget targetOf(const QString& appURLString) const;
    QHash<qint64, AppTarget> targetsFor(const QStringList& selectedAppURLs);
};

} // namespace dexaro
