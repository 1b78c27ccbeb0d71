#pragma once
// Every operation on stored workspaces and settings, over the main-thread
// object context. Each operation reports its own failure through Alerts and
// leaves stored data as it was. Main thread only.
#include "model/Records.h"
#include "platform/ObjectStore.h"

#include <QList>
#include <QString>
#include <memory>
#include <optional>

namespace dexaro {

class Alerts;

// Entity and attribute names of the stored schema.
namespace schema {
inline const QString workspaces = QStringLiteral("Workspaces");
inline const QString settings = QStringLiteral("Settings");
inline const QString positions = QStringLiteral("PositionsEntity");
// Dexaro's own: monitors, desktops and start-up (WorkspaceOptionsStore).
inline const QString options = QStringLiteral("WorkspaceOptions");
// PRAGMA user_version of a store: 1 has the first three tables, 2 adds options.
inline constexpr int version = 2;
} // namespace schema

// Logical setting key -> stored setting name; unknown keys map to themselves.
QString storedSettingName(const QString& logicalKey);

// What a new or edited workspace holds.
struct WorkspaceContents {
    QString name; // trimmed by the caller
    QStringList apps;
    QList<URLLinkModel> urls;
    QList<FileURLLinkModel> files;
};

class WorkspaceStore {
public:
    WorkspaceStore(ObjectStore& context, Alerts& alerts);

    // Opens the store file at its standard place ($XDG_DATA_HOME/Dexaro/Dexaro.sqlite)
    // or at path, with the schema above. nullptr and error when it cannot be opened.
    static std::unique_ptr<ObjectStore> openStore(const QString& path, QString* error);
    static QString defaultStorePath();
    // A read-only connection to the store at path (ObjectStore::openReadOnly),
    // for reading the Editor's list off the main thread.
    static std::unique_ptr<ObjectStore> openReadOnlyStore(const QString& path, QString* error);

    ObjectStore& context() { return m_context; }

    // The popover's list; deletes invalid records and gives missing identifiers.
    // nullopt after a fetch failure (alerted here): the caller keeps its list.
    std::optional<QList<WSListModelPtr>> loadWorkspaceList();
    // The Editor's list: a leading empty placeholder, invalid records skipped.
    // nullopt and error on a fetch failure (the Editor shows its own alert).
    std::optional<QList<WSListModelPtr>> loadEditorWorkspaceList(QString* error);
    // The same over any context, such as a read-only one on a worker thread.
    static std::optional<QList<WSListModelPtr>> readEditorWorkspaceList(ObjectStore& context,
                                                                        QString* error);

    // Whether more than allowed stored workspaces have this name
    // (sameWorkspaceName: names that look alike count).
    bool workspaceNameExists(const QString& name, int allowed);

    // Inserts an empty Workspaces record (pending until save) and fills it.
    ObjectStore::ObjectId insertWorkspace();
    // Fills a record inserted by insertWorkspace; answers the new identifier.
    QString fillWorkspace(ObjectStore::ObjectId record, const WorkspaceContents& contents);

    // The Editor's operations find the record by its identifier, which a rename
    // keeps (two workspaces may share a name in an older store). Nothing is
    // alerted here; on any failure the error says why and the context holds
    // none of the operation's changes (nothing is left pending for a later save
    // to write). updateWorkspaceWithID answers the record's identifier, or a
    // null string on failure; it leaves date_add and id as they are.
    QString updateWorkspaceWithID(const QString& wsID, const WorkspaceContents& contents,
                                  QString* error);
    bool deleteWorkspaceWithID(const QString& wsID, QString* error);

    std::optional<QString> readSetting(const QString& storedName);
    void writeSetting(const QString& storedName, const QString& value);
    QString settingValue(const QString& logicalKey); // "0" when nothing stored

private:
    ObjectStore& m_context;
    Alerts& m_alerts;
};

} // namespace dexaro
