#pragma once
// Creating, changing and deleting workspaces, each as one operation below the
// screens: the stored record, the shortcut in the user defaults, the
// placements, the hot key bound or broken (through the activation's list),
// then one change notice. What the user sees of it is the screen's business:
// each operation answers what it did, and what it could not do although the
// workspace itself was stored. Main thread only.
#include "model/WorkspaceOptionsStore.h"
#include "model/WorkspaceStore.h"
#include "positioning/PositionName.h"
#include "shortcuts/MASShortcut.h"

#include <QObject>
#include <QStringList>
#include <optional>

namespace dexaro {

class AllPositionsHolder;
class MASShortcutBinder;
class PositionsDBManager;
class UserDefaults;
class WorkspaceActivation;

class WorkspaceCatalog : public QObject {
    Q_OBJECT
public:
    struct Result {
        QString wsID;        // the workspace's identifier; empty when nothing was stored
        QString error;       // why nothing was stored
        QStringList notDone; // what failed although the workspace was stored
        bool stored() const { return !wsID.isEmpty(); }
    };

    WorkspaceCatalog(WorkspaceStore& store, UserDefaults& defaults,
                     PositionsDBManager& positionsStore, AllPositionsHolder& positions,
                     MASShortcutBinder& binder, WorkspaceActivation& activation,
                     QObject* parent = nullptr);

    WorkspaceStore& store() const { return m_store; }
    WorkspaceActivation& activation() const { return m_activation; }

    // A new workspace with its shortcut (none: no hot key) and placements.
    // Its options (monitors, desktops, start-up) go to their own table.
    Result create(const WorkspaceContents& contents, const std::optional<MASShortcut>& shortcut,
                  const PositionMap& placements, const WorkspaceOptions& options = {});
    // The workspace with that identifier, renamed or refilled; the identifier
    // stays. Placements: nullopt leaves the stored ones as they are.
    // Options: nullopt leaves the stored ones as they are.
    Result update(const QString& wsID, const WorkspaceContents& contents,
                  const std::optional<PositionMap>& placements,
                  const std::optional<WorkspaceOptions>& options = std::nullopt);
    // The stored options of a workspace (defaults when it has none).
    WorkspaceOptions options(const QString& wsID) const;
    // The workspace, its shortcut, hot key, placements and options. A workspace that is
    // on is forgotten as it is: what it launched keeps running.
    Result remove(const QString& wsID);

signals:
    // After every operation that stored something.
    void changed();

private:
    void storePlacements(const QString& wsID, const PositionMap& placements, bool keepEmpty,
                         Result& result);
    void storeOptions(const QString& wsID, const WorkspaceOptions& options, Result& result);
    void finish();

    WorkspaceStore& m_store;
    UserDefaults& m_defaults;
    PositionsDBManager& m_positionsStore;
    AllPositionsHolder& m_positions;
    MASShortcutBinder& m_binder;
    WorkspaceActivation& m_activation;
    WorkspaceOptionsStore m_optionsStore;
};

} // namespace dexaro
