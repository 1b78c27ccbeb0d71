#pragma once
// The object store: entities with named, nullable string/number attributes kept
// in SQLite, and one main-thread context over it. Inserts, changes and deletes
// stay pending until save() and are seen by fetches meanwhile; save() writes all
// of them in one transaction. A failed save keeps them pending and reports why.
//
// Tables are named after the entities and their columns after the attributes
// (every column nullable); the natural order of objects is insertion order.
#include <QHash>
#include <QList>
#include <QString>
#include <QVariant>
#include <memory>
#include <optional>

struct sqlite3;

namespace dexaro {

class ObjectStore {
public:
    // A handle to one object of the context, stored or pending; it stays valid
    // across saves until the object is deleted.
    using ObjectId = qint64;

    // Opens (creating it and its folder when missing) the store at path, with
    // the tables of the given entities. nullptr and an error text when the file
    // cannot be opened or is not a usable database; the file is then left as it was.
    struct Entity {
        QString name;
        QStringList attributes;
        QStringList realAttributes = {}; // stored as REAL; the others as TEXT
    };
    // The file's PRAGMA user_version becomes version when it was lower (and is
    // never lowered): the tables and columns of a version are added in the
    // same transaction that raises it.
    static std::unique_ptr<ObjectStore> open(const QString& path, const QList<Entity>& schema,
                                             QString* error, int version = 1);
    // A second, read-only connection to a store that open() has made: for
    // reading on another thread while the main context goes on. It sees what
    // has been saved, never the main context's pending changes; it changes
    // nothing in the file, and its save() fails. One thread at a time.
    static std::unique_ptr<ObjectStore> openReadOnly(const QString& path,
                                                     const QList<Entity>& schema, QString* error);
    ~ObjectStore();

    // Objects of an entity in natural order, pending changes included. With an
    // attribute, only those whose attribute equals value exactly (case-sensitive;
    // an absent attribute never equals). nullopt and an error text on failure.
    std::optional<QList<ObjectId>> fetch(const QString& entity, const QString& attribute = {},
                                         const QVariant& value = {}, QString* error = nullptr);
    // The attribute's value; an invalid QVariant when absent (NULL).
    QVariant value(ObjectId object, const QString& attribute) const;
    ObjectId insert(const QString& entity);
    void setValue(ObjectId object, const QString& attribute, const QVariant& value);
    void remove(ObjectId object);

    bool hasChanges() const;
    bool save(QString* error = nullptr);
    // Drops every pending change.
    void rollback();
    // Drops the pending changes of one object only: a pending insert goes away,
    // a stored object gets its stored values back and is no longer deleted.
    void discardChanges(ObjectId object);

    QString path() const;

private:
    ObjectStore();
    struct Private;
    std::unique_ptr<Private> d;
};

} // namespace dexaro
