#pragma once
// The placements of every workspace, as the launch consults them: workspace
// identifier -> application key -> placement raw value. Start-up makes one,
// loads it from the store and hands it to the launch and the position caches.
// Read from launching threads while the main thread writes, so every access
// holds the lock.
#include "model/WindowTargets.h"
#include "positioning/PositionName.h"

#include <QHash>
#include <QString>
#include <shared_mutex>

namespace dexaro {

class AllPositionsHolder {
public:
    AllPositionsHolder() = default;

    // Reads each workspace's placement string and merges it into its entry.
    void loadAllPositions(const QHash<QString, QString>& placementStrings);
    // def when nothing or no valid raw value is stored.
    PositionName positionForApp(const QString& wsID, const QString& appURLString) const;
    void setAppPosition(const QString& wsID, qint64 key, qint64 rawValue);

    // A consistent copy of the whole table.
    QHash<QString, PositionMap> allPositions() const;

    // Monitors, desktops and start-up, as stored (WorkspaceOptionsStore).
    // Unlike placements, a workspace's options are replaced as a whole.
    void loadAllOptions(const QHash<QString, WorkspaceOptions>& options);
    WorkspaceOptions optionsOf(const QString& wsID) const; // defaults when none
    void setOptions(const QString& wsID, const WorkspaceOptions& options);
    AppTarget targetForApp(const QString& wsID, const QString& appURLString) const;

private:
    mutable std::shared_mutex m_lock; // std: visible to thread checkers
    QHash<QString, PositionMap> m_allPositions;
    QHash<QString, WorkspaceOptions> m_options;
};

} // namespace dexaro
