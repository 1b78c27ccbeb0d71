#pragma once
// The placements chosen in the Creator for the workspace being created. Each
// save keeps only the selected applications' choices, so choices for
// applications that stay selected carry over to the next new workspace.
// Main thread only.
#include "positioning/PositionName.h"

#include <QString>
#include <QStringList>

namespace dexaro {

class AllPositionsHolder;
class PositionsDBManager;

class WSCreatorPositionManager {
public:
    WSCreatorPositionManager(PositionsDBManager& db, AllPositionsHolder& holder);

    PositionMap positionsCache;

    void setPosition(const QString& appURLString, qint64 rawValue);
    // Writes the selected applications' placements to the table, and to the
    // store unless there are none. false when the store refused.
    bool save(const QString& wsID, const QStringList& selectedAppURLs);

private:
    PositionsDBManager& m_db;
    AllPositionsHolder& m_holder;
};

} // namespace dexaro
