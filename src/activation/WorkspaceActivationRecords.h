#pragma once
// What the popover remembers of each workspace while it runs: its state, the
// applications launched for it and their names, keyed by workspace identifier
// (a row's position changes when workspaces are added or removed; its
// identifier does not).
//
// Written by launch and close workers and read by the main thread: every
// access holds one lock. A generation number tells a worker whether the
// workspace was reset (deleted, switched off) since it started.
#include "activation/ItemStateEnum.h"
#include "platform/WorkspaceServices.h"

#include <QHash>
#include <QList>
#include <QString>
#include <QStringList>
#include <mutex>

namespace dexaro {

class WorkspaceActivationRecords {
public:
    ItemStateEnum state(const QString& wsID) const;
    void setState(const QString& wsID, ItemStateEnum state);
    // Sets the state only when the workspace is still in that generation.
    bool setStateIf(const QString& wsID, quint64 generation, ItemStateEnum state);

    // True while the switch counts as on.
    bool toggleIsOn(const QString& wsID) const;
    void setToggleIsOn(const QString& wsID, bool on);

    quint64 generation(const QString& wsID) const;

    // Records a launched application (its name too when it has one). False,
    // and nothing recorded, when the workspace left that generation.
    bool recordLaunchedApp(const QString& wsID, quint64 generation, const RunningApplication& app);
    // Forgets the launched applications; the state is left as it is.
    void clearLaunchedApps(const QString& wsID);
    // Forgets everything of the workspace and sets it inactive: pending work
    // of an older generation no longer touches it.
    void reset(const QString& wsID);
    // The same, only when the workspace is still in that generation.
    bool resetIf(const QString& wsID, quint64 generation);

    QList<RunningApplication> launchedApps(const QString& wsID) const;
    QStringList launchedAppNames(const QString& wsID) const;
    // Any workspace being switched on or off.
    bool anyBusy() const;

private:
    struct Record {
        ItemStateEnum state = ItemStateEnum::inactive;
        bool toggleIsOn = false;
        quint64 generation = 0;
        QList<RunningApplication> apps; // a set: no process twice
        QStringList names;              // in recording order, duplicates kept
    };
    mutable std::mutex m_lock; // std: visible to thread checkers
    QHash<QString, Record> m_records;
};

} // namespace dexaro
