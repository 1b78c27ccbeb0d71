#include "platform/ObjectStore.h"

#include <QDir>
#include <QFileInfo>
#include <sqlite3.h>

namespace dexaro {

namespace {

// Identifiers come from our own schema, never from stored data, but quote them anyway.
QString quoted(const QString& identifier) {
    return QLatin1Char('"') + QString(identifier).replace(QLatin1Char('"'), QLatin1String("\"\"")) +
           QLatin1Char('"');
}

QString errorText(sqlite3* db, const QString& what) {
    return what + QStringLiteral(": ") + QString::fromUtf8(sqlite3_errmsg(db));
}

class Statement {
public:
    Statement(sqlite3* db, const QString& sql) : m_db(db) {
        const QByteArray utf8 = sql.toUtf8();
        m_ok = sqlite3_prepare_v2(db, utf8.constData(), int(utf8.size()), &m_stmt, nullptr) ==
               SQLITE_OK;
    }
    ~Statement() { sqlite3_finalize(m_stmt); }
    Statement(const Statement&) = delete;
    Statement& operator=(const Statement&) = delete;

    bool ok() const { return m_ok; }

    void bind(int index, const QVariant& value) {
        if (!value.isValid() || value.isNull()) {
            sqlite3_bind_null(m_stmt, index);
            return;
        }
        switch (value.typeId()) {
        case QMetaType::Double:
        case QMetaType::Float:
            sqlite3_bind_double(m_stmt, index, value.toDouble());
            break;
        case QMetaType::Int:
        case QMetaType::LongLong:
        case QMetaType::UInt:
        case QMetaType::ULongLong:
        case QMetaType::Bool:
            sqlite3_bind_int64(m_stmt, index, value.toLongLong());
            break;
        default: {
            const QByteArray text = value.toString().toUtf8();
            sqlite3_bind_text(m_stmt, index, text.constData(), int(text.size()), SQLITE_TRANSIENT);
        }
        }
    }

    int step() { return sqlite3_step(m_stmt); }

    QVariant column(int index) const {
        switch (sqlite3_column_type(m_stmt, index)) {
        case SQLITE_NULL:
            return {};
        case SQLITE_INTEGER:
            return QVariant(qint64(sqlite3_column_int64(m_stmt, index)));
        case SQLITE_FLOAT:
            return QVariant(sqlite3_column_double(m_stmt, index));
        default: {
            const auto* text = reinterpret_cast<const char*>(sqlite3_column_text(m_stmt, index));
            return QVariant(QString::fromUtf8(text, sqlite3_column_bytes(m_stmt, index)));
        }
        }
    }

    qint64 int64(int index) const { return sqlite3_column_int64(m_stmt, index); }

private:
    sqlite3* m_db;
    sqlite3_stmt* m_stmt = nullptr;
    bool m_ok = false;
};

bool exec(sqlite3* db, const QString& sql, QString* error) {
    char* message = nullptr;
    if (sqlite3_exec(db, sql.toUtf8().constData(), nullptr, nullptr, &message) == SQLITE_OK)
        return true;
    if (error)
        *error = QString::fromUtf8(message ? message : sqlite3_errmsg(db));
    sqlite3_free(message);
    return false;
}

bool sameValue(const QVariant& a, const QVariant& b) {
    if (!a.isValid() || a.isNull() || !b.isValid() || b.isNull())
        return false;
    return a.toString() == b.toString();
}

} // namespace

struct ObjectStore::Private {
    struct Object {
        QString entity;
        qint64 rowid = 0; // 0 while the insert is pending
        QHash<QString, QVariant> stored;
        QHash<QString, QVariant> changed;
        bool deleted = false;
    };

    sqlite3* db = nullptr;
    QString path;
    QHash<QString, QStringList> attributes; // entity -> attribute names
    QHash<ObjectId, Object> objects;
    QHash<QString, QHash<qint64, ObjectId>> byRow; // entity -> rowid -> handle
    QList<ObjectId> inserted;                      // pending inserts, in order
    ObjectId nextId = 1;

    ~Private() {
        if (db)
            sqlite3_close(db);
    }

    QVariant effective(const Object& object, const QString& attribute) const {
        auto it = object.changed.constFind(attribute);
        if (it != object.changed.constEnd())
            return *it;
        return object.stored.value(attribute);
    }
};

ObjectStore::ObjectStore() : d(std::make_unique<Private>()) {}
ObjectStore::~ObjectStore() = default;

std::unique_ptr<ObjectStore> ObjectStore::open(const QString& path, const QList<Entity>& schema,
                                               QString* error) {
    auto fail = [&](const QString& text) -> std::unique_ptr<ObjectStore> {
        if (error)
            *error = text;
        return nullptr;
    };

    const QFileInfo info(path);
    if (!QDir().mkpath(info.absolutePath()))
        return fail(QStringLiteral("cannot create the folder %1").arg(info.absolutePath()));
    if (!QFileInfo(info.absolutePath()).isWritable())
        return fail(QStringLiteral("the folder %1 is not writable").arg(info.absolutePath()));
    if (info.exists() && (!info.isFile() || !info.isReadable() || !info.isWritable()))
        return fail(QStringLiteral("%1 cannot be read and written").arg(path));

    std::unique_ptr<ObjectStore> store(new ObjectStore);
    Private& p = *store->d;
    p.path = path;
    if (sqlite3_open_v2(path.toUtf8().constData(), &p.db,
                        SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE | SQLITE_OPEN_NOMUTEX,
                        nullptr) != SQLITE_OK)
        return fail(errorText(p.db, path));
    sqlite3_busy_timeout(p.db, 2000);

    // Read before anything is written: a file that is not a database, or a
    // damaged one, must be left exactly as it is.
    QString message;
    {
        Statement check(p.db, QStringLiteral("PRAGMA quick_check"));
        if (!check.ok())
            return fail(errorText(p.db, path));
        int rc = check.step();
        if (rc != SQLITE_ROW)
            return fail(errorText(p.db, path));
        const QString verdict = check.column(0).toString();
        if (verdict != QLatin1String("ok"))
            return fail(QStringLiteral("%1: the database is damaged (%2)").arg(path, verdict));
    }
    if (sqlite3_db_readonly(p.db, "main") == 1)
        return fail(QStringLiteral("%1 is read-only").arg(path));

    if (!exec(p.db, QStringLiteral("PRAGMA journal_mode=WAL"), &message) ||
        !exec(p.db, QStringLiteral("PRAGMA synchronous=NORMAL"), &message) ||
        !exec(p.db, QStringLiteral("BEGIN IMMEDIATE"), &message))
        return fail(QStringLiteral("%1: %2").arg(path, message));

    // Tables and columns that are missing are added; nothing is ever dropped.
    for (const Entity& entity : schema) {
        QStringList columns;
        for (const QString& attribute : entity.attributes)
            columns << quoted(attribute) + (entity.realAttributes.contains(attribute)
                                                ? QLatin1String(" REAL")
                                                : QLatin1String(" TEXT"));
        bool ok = exec(p.db,
                       QStringLiteral("CREATE TABLE IF NOT EXISTS %1 (%2)")
                           .arg(quoted(entity.name), columns.join(QStringLiteral(", "))),
                       &message);
        QStringList present;
        if (ok) {
            Statement info(p.db, QStringLiteral("PRAGMA table_info(%1)").arg(quoted(entity.name)));
            while (info.step() == SQLITE_ROW)
                present << info.column(1).toString();
        }
        for (int i = 0; ok && i < entity.attributes.size(); ++i) {
            if (!present.contains(entity.attributes[i]))
                ok = exec(p.db,
                          QStringLiteral("ALTER TABLE %1 ADD COLUMN %2")
                              .arg(quoted(entity.name), columns[i]),
                          &message);
        }
        if (!ok) {
            exec(p.db, QStringLiteral("ROLLBACK"), nullptr);
            return fail(QStringLiteral("%1: %2").arg(path, message));
        }
        p.attributes.insert(entity.name, entity.attributes);
    }
    if (!exec(p.db, QStringLiteral("PRAGMA user_version=1"), &message) ||
        !exec(p.db, QStringLiteral("COMMIT"), &message)) {
        exec(p.db, QStringLiteral("ROLLBACK"), nullptr);
        return fail(QStringLiteral("%1: %2").arg(path, message));
    }
    return store;
}

QString ObjectStore::path() const {
    return d->path;
}

std::optional<QList<ObjectStore::ObjectId>> ObjectStore::fetch(const QString& entity,
                                                               const QString& attribute,
                                                               const QVariant& value,
                                                               QString* error) {
    auto schemaIt = d->attributes.constFind(entity);
    if (schemaIt == d->attributes.constEnd() ||
        (!attribute.isEmpty() && !schemaIt->contains(attribute))) {
        if (error)
            *error = QStringLiteral("unknown entity or attribute: %1 %2").arg(entity, attribute);
        return std::nullopt;
    }
    const QStringList& attributes = *schemaIt;

    QStringList columns;
    for (const QString& name : attributes)
        columns << quoted(name);
    Statement select(d->db, QStringLiteral("SELECT rowid, %1 FROM %2 ORDER BY rowid")
                                .arg(columns.join(QStringLiteral(", ")), quoted(entity)));
    if (!select.ok()) {
        if (error)
            *error = errorText(d->db, entity);
        return std::nullopt;
    }

    QList<ObjectId> result;
    auto& rows = d->byRow[entity];
    int rc;
    while ((rc = select.step()) == SQLITE_ROW) {
        const qint64 rowid = select.int64(0);
        ObjectId id = rows.value(rowid, 0);
        if (!id) {
            id = d->nextId++;
            rows.insert(rowid, id);
            Private::Object& object = d->objects[id];
            object.entity = entity;
            object.rowid = rowid;
        }
        Private::Object& object = d->objects[id];
        for (int i = 0; i < attributes.size(); ++i)
            object.stored.insert(attributes[i], select.column(i + 1));
        if (object.deleted)
            continue;
        if (attribute.isEmpty() || sameValue(d->effective(object, attribute), value))
            result << id;
    }
    if (rc != SQLITE_DONE) {
        if (error)
            *error = errorText(d->db, entity);
        return std::nullopt;
    }
    for (ObjectId id : std::as_const(d->inserted)) {
        const Private::Object& object = d->objects[id];
        if (object.entity == entity &&
            (attribute.isEmpty() || sameValue(d->effective(object, attribute), value)))
            result << id;
    }
    return result;
}

QVariant ObjectStore::value(ObjectId object, const QString& attribute) const {
    auto it = d->objects.constFind(object);
    if (it == d->objects.constEnd())
        return {};
    return d->effective(*it, attribute);
}

ObjectStore::ObjectId ObjectStore::insert(const QString& entity) {
    const ObjectId id = d->nextId++;
    d->objects[id].entity = entity;
    d->inserted << id;
    return id;
}

void ObjectStore::setValue(ObjectId object, const QString& attribute, const QVariant& value) {
    auto it = d->objects.find(object);
    if (it == d->objects.end() || !d->attributes.value(it->entity).contains(attribute))
        return;
    it->changed.insert(attribute, value);
}

void ObjectStore::remove(ObjectId object) {
    auto it = d->objects.find(object);
    if (it == d->objects.end())
        return;
    if (it->rowid == 0) {
        d->inserted.removeOne(object);
        d->objects.erase(it);
    } else {
        it->deleted = true;
    }
}

bool ObjectStore::hasChanges() const {
    if (!d->inserted.isEmpty())
        return true;
    for (const Private::Object& object : std::as_const(d->objects))
        if (object.deleted || !object.changed.isEmpty())
            return true;
    return false;
}

bool ObjectStore::save(QString* error) {
    if (!hasChanges())
        return true;
    QString message;
    if (!exec(d->db, QStringLiteral("BEGIN IMMEDIATE"), &message)) {
        if (error)
            *error = message;
        return false;
    }
    auto fail = [&](const QString& text) {
        exec(d->db, QStringLiteral("ROLLBACK"), nullptr);
        if (error)
            *error = text;
        return false;
    };

    QList<ObjectId> deleted;
    QList<ObjectId> updated;
    for (auto it = d->objects.cbegin(); it != d->objects.cend(); ++it) {
        if (it->rowid == 0)
            continue;
        if (it->deleted)
            deleted << it.key();
        else if (!it->changed.isEmpty())
            updated << it.key();
    }

    for (ObjectId id : std::as_const(deleted)) {
        const Private::Object& object = d->objects[id];
        Statement del(d->db,
                      QStringLiteral("DELETE FROM %1 WHERE rowid = ?").arg(quoted(object.entity)));
        del.bind(1, object.rowid);
        if (!del.ok() || del.step() != SQLITE_DONE)
            return fail(errorText(d->db, QStringLiteral("delete")));
    }
    for (ObjectId id : std::as_const(updated)) {
        const Private::Object& object = d->objects[id];
        QStringList sets;
        const QStringList names = object.changed.keys();
        for (const QString& name : names)
            sets << quoted(name) + QStringLiteral(" = ?");
        Statement update(d->db, QStringLiteral("UPDATE %1 SET %2 WHERE rowid = ?")
                                    .arg(quoted(object.entity), sets.join(QStringLiteral(", "))));
        int index = 1;
        for (const QString& name : names)
            update.bind(index++, object.changed.value(name));
        update.bind(index, object.rowid);
        if (!update.ok() || update.step() != SQLITE_DONE)
            return fail(errorText(d->db, QStringLiteral("update")));
    }
    QList<qint64> newRows;
    for (ObjectId id : std::as_const(d->inserted)) {
        const Private::Object& object = d->objects[id];
        const QStringList names = object.changed.keys();
        QString sql;
        if (names.isEmpty()) {
            sql = QStringLiteral("INSERT INTO %1 DEFAULT VALUES").arg(quoted(object.entity));
        } else {
            QStringList columns, marks;
            for (const QString& name : names) {
                columns << quoted(name);
                marks << QStringLiteral("?");
            }
            sql = QStringLiteral("INSERT INTO %1 (%2) VALUES (%3)")
                      .arg(quoted(object.entity), columns.join(QStringLiteral(", ")),
                           marks.join(QStringLiteral(", ")));
        }
        Statement insert(d->db, sql);
        int index = 1;
        for (const QString& name : names)
            insert.bind(index++, object.changed.value(name));
        if (!insert.ok() || insert.step() != SQLITE_DONE)
            return fail(errorText(d->db, QStringLiteral("insert")));
        newRows << sqlite3_last_insert_rowid(d->db);
    }
    if (!exec(d->db, QStringLiteral("COMMIT"), &message))
        return fail(message);

    // Committed: the pending state becomes the stored state.
    for (ObjectId id : std::as_const(deleted)) {
        d->byRow[d->objects[id].entity].remove(d->objects[id].rowid);
        d->objects.remove(id);
    }
    for (ObjectId id : std::as_const(updated)) {
        Private::Object& object = d->objects[id];
        object.stored.insert(object.changed);
        object.changed.clear();
    }
    for (int i = 0; i < d->inserted.size(); ++i) {
        Private::Object& object = d->objects[d->inserted[i]];
        object.rowid = newRows[i];
        object.stored.insert(object.changed);
        object.changed.clear();
        d->byRow[object.entity].insert(object.rowid, d->inserted[i]);
    }
    d->inserted.clear();
    return true;
}

void ObjectStore::rollback() {
    for (ObjectId id : std::as_const(d->inserted))
        d->objects.remove(id);
    d->inserted.clear();
    for (Private::Object& object : d->objects) {
        object.changed.clear();
        object.deleted = false;
    }
}

} // namespace dexaro
