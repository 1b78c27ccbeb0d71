#pragma once
// The placements of the workspaces opened in the Editor, collected until the
// Editor saves. A workspace's entry is loaded from the store once, the first
// time the Editor shows it. Main thread only.
#include "model/WindowTargets.h"
#include "positioning/PositionName.h"

#include <QHash>
#include <QString>
#include <QStringList>
#include <functional>
#include <optional>

namespace dexaro {

class PositionsDBManager;

class WSEditorPositionManager {
public:
    explicit WSEditorPositionManager(PositionsDBManager& db);

    // The workspace shown in the Editor; the position picker records into it.
    QString currentSelectedWSID;

    // The workspace's cached placements, loaded from the store on first request.
    PositionMap positionsFor(const QString& wsID);
    // Nothing when the workspace is not loaded or the application has no entry.
    std::optional<qint64> positionOf(const QString& wsID, const QString& appURLString) const;
    // Only for a loaded workspace; otherwise nothing changes.
    void setPosition(const QString& wsID, const QString& appURLString, qint64 rawValue);
    // Keeps the placements of the selected applications and answers them, to
    // be stored with the workspace; nothing when the workspace was never loaded.
    std::optional<PositionMap> placementsFor(const QString& wsID,
                                             const QStringList& selectedAppURLs);

    bool isLoaded(const QString& wsID) const { return m_cache.contains(wsID); }

    // Where the stored options come from (the catalog); loaded with the
    // placements. Without it a workspace has none.
    std::function<WorkspaceOptions(const QString& wsID)> optionsSource;
    WorkspaceOptions optionsOf(const QString& wsID) const; // of a loaded workspace
    void setTarget(const QString& wsID, const QString& appURLString, const AppTarget& target);
    AppTarget targetOf(const QString& wsID, const QString& appURLString) const;
    // The options to store: the workspace's own as given, the selected
    // applications' targets; nothing when the workspace was never loaded.
    std::optional<WorkspaceOptions> optionsFor(const QString& wsID,
                                               const QStringList& selectedAppURLs,
                                               bool switchOnAtStart, int startDesktop);

private:
    PositionsDBManager& m_db;
    QHash<QString, PositionMap> m_cache;
    QHash<QString, WorkspaceOptions> m_options;
};

} // namespace dexaro
