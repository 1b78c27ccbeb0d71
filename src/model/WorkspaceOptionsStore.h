#pragma once
// The stored WorkspaceOptions, in a table of Dexaro's own beside the
// workspaces, settings and placements (whose columns and texts stay as they
// are). Rows of one workspace: one with no appKey for the workspace itself
// (atStart "1"/"0", desktop: the desktop shown when it is switched on), and one
// per application with a monitor or a desktop (appKey: the application key in
// decimal). A workspace with nothing but defaults has no rows. Main thread only.
#include "model/WindowTargets.h"
#include "platform/ObjectStore.h"

#include <optional>

namespace dexaro {

class WorkspaceOptionsStore {
public:
    explicit WorkspaceOptionsStore(ObjectStore& context);

    // Every workspace's options; rows that do not read (no wsID, an appKey
    // that is no number) are skipped. nullopt and error when the fetch failed.
    std::optional<QHash<QString, WorkspaceOptions>> fetchAll(QString* error = nullptr);
    // Replaces the workspace's rows. On failure nothing changed.
    bool save(const QString& wsID, const WorkspaceOptions& options, QString* error = nullptr);
    // Removes the workspace's rows.
    bool remove(const QString& wsID, QString* error = nullptr);

private:
    ObjectStore& m_context;
};

} // namespace dexaro
