#include "activation/WorkspaceCatalog.h"

#include "activation/WorkspaceActivation.h"
#include "platform/ObjectStore.h"
#include "platform/UserDefaults.h"
#include "positioning/AllPositionsHolder.h"
#include "positioning/PositionsDBManager.h"
#include "shortcuts/MASShortcutBinder.h"

namespace dexaro {

WorkspaceCatalog::WorkspaceCatalog(WorkspaceStore& store, UserDefaults& defaults,
                                   PositionsDBManager& positionsStore,
                                   AllPositionsHolder& positions, MASShortcutBinder& binder,
                                   WorkspaceActivation& activation, QObject* parent)
    : QObject(parent), m_store(store), m_defaults(defaults), m_positionsStore(positionsStore),
      m_positions(positions), m_binder(binder), m_activation(activation),
      m_optionsStore(store.context()) {}

WorkspaceCatalog::Result WorkspaceCatalog::create(const WorkspaceContents& contents,
                                                  const std::optional<MASShortcut>& shortcut,
                                                  const PositionMap& placements,
                                                  const WorkspaceOptions& options) {
    Result result;
    ObjectStore& objects = m_store.context();
    const ObjectStore::ObjectId record = m_store.insertWorkspace();
    const QString wsID = m_store.fillWorkspace(record, contents);
    if (!objects.save(&result.error)) {
        // Nothing of the failed workspace stays behind: no pending record for a
        // later save to write, no shortcut, no placements.
        objects.discardChanges(record);
        return result;
    }
    result.wsID = wsID;
    if (shortcut) {
        QString error;
        if (!m_defaults.setValue(wsID, shortcut->encode(), &error))
            result.notDone
                << QStringLiteral("its keyboard shortcut could not be saved (%1)").arg(error);
    }
    storePlacements(wsID, placements, false, result);
    if (!options.isDefault())
        storeOptions(wsID, options, result);
    finish();
    return result;
}

WorkspaceCatalog::Result WorkspaceCatalog::update(const QString& wsID,
                                                  const WorkspaceContents& contents,
                                                  const std::optional<PositionMap>& placements,
                                                  const std::optional<WorkspaceOptions>& options) {
    Result result;
    result.wsID = m_store.updateWorkspaceWithID(wsID, contents, &result.error);
    if (!result.stored())
        return result;
    if (placements)
        storePlacements(wsID, *placements, true, result);
    else
        result.notDone << QStringLiteral("its window placements could not be saved");
    if (options)
        storeOptions(wsID, *options, result);
    finish();
    return result;
}

WorkspaceCatalog::Result WorkspaceCatalog::remove(const QString& wsID) {
    Result result;
    if (!m_store.deleteWorkspaceWithID(wsID, &result.error))
        return result;
    result.wsID = wsID;
    // Records first: work still under way for it records nothing from now on.
    m_activation.forgetWorkspace(wsID);
    m_binder.breakBinding(wsID);
    QString error;
    if (!m_defaults.removeValue(wsID, &error))
        result.notDone
            << QStringLiteral("its keyboard shortcut could not be removed (%1)").arg(error);
    if (!m_positionsStore.remove(wsID, &error))
        result.notDone
            << QStringLiteral("its window placements could not be removed (%1)").arg(error);
    m_positions.setOptions(wsID, {});
    if (!m_optionsStore.remove(wsID, &error))
        result.notDone << QStringLiteral("its monitors, desktops and start-up choice could not "
                                         "be removed (%1)")
                              .arg(error);
    finish();
    return result;
}

// A workspace without placements gets no record unless it had one to empty.
void WorkspaceCatalog::storePlacements(const QString& wsID, const PositionMap& placements,
                                       bool keepEmpty, Result& result) {
    for (auto it = placements.cbegin(); it != placements.cend(); ++it)
        m_positions.setAppPosition(wsID, it.key(), it.value());
    const QString text = writePlacementString(placements);
    if (text.isEmpty() && !keepEmpty)
        return;
    QString error;
    if (!m_positionsStore.save(wsID, text, &error))
        result.notDone
            << QStringLiteral("its window placements could not be saved (%1)").arg(error);
}

WorkspaceOptions WorkspaceCatalog::options(const QString& wsID) const {
    return m_positions.optionsOf(wsID);
}

void WorkspaceCatalog::storeOptions(const QString& wsID, const WorkspaceOptions& options,
                                    Result& result) {
    QString error;
    if (!m_optionsStore.save(wsID, options, &error)) {
        result.notDone << QStringLiteral("its monitors, desktops and start-up choice could not be "
                                         "saved (%1)")
                              .arg(error);
        return;
    }
    m_positions.setOptions(wsID, options);
}

// The activation's list again (binding a new workspace's hot key, dropping a
// deleted one's), then the one notice.
void WorkspaceCatalog::finish() {
    m_activation.reloadWorkspaces();
    emit changed();
}

} // namespace dexaro
