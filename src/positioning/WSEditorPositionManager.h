#pragma once
// The placements of the workspaces opened in the Editor, collected until the
// Editor saves. A workspace's entry is loaded from the store once, the first
// time the Editor shows it. Main thread only.
#include "positioning/PositionName.h"

#include <QHash>
#include <QString>
#include <QStringList>
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

private:
    PositionsDBManager& m_db;
    QHash<QString, PositionMap> m_cache;
};

} // namespace dexaro
