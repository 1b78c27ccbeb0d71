#include "platform/ObjectStore.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <algorithm>
#include <sqlite3.h>
#include <sys/stat.h>

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

// What tells the file Dexaro opened from another put in its place: which file
// the path names (device, inode), and its size, time of change and header. A
// file copied over the store keeps the inode but not the rest; one moved over
// it is another inode.
struct FileState {
    dev_t device = 0;
    ino_t inode = 0;
    qint64 size = -1;
    qint64 changedNs = 0;
    QByteArray header;
    bool operator==(const FileState&) const = default;
};

FileState fileState(const QString& path) {
    FileState state;
    struct stat status {};
    if (::stat(QFile::encodeName(path).constData(), &status) != 0)
        return state;
    state.device = status.st_dev;
    state.inode = status.st_ino;
    state.size = qint64(status.st_size);
    state.changedNs = qint64(status.st_mtim.tv_sec) * 1000000000 + status.st_mtim.tv_nsec;
    QFile file(path);
    if (file.open(QIODevice::ReadOnly))
        state.header = file.read(100);
    return state;
}

// PRAGMA quick_check over a read-only connection: a connection that may write
// would, on closing, move the write-ahead log into the file and delete it. The
// empty log and the shared-memory file the check had to make are removed again.
bool quickCheck(const QString& path, QString* problem) {
    const QString wal = path + QStringLiteral("-wal");
    const QString shm = path + QStringLiteral("-shm");
    const bool hadWal = QFile::exists(wal);
    const bool hadShm = QFile::exists(shm);
    sqlite3* db = nullptr;
    bool ok = false;
    if (sqlite3_open_v2(path.toUtf8().constData(), &db, SQLITE_OPEN_READONLY | SQLITE_OPEN_NOMUTEX,
                        nullptr) != SQLITE_OK) {
        *problem = errorText(db, path);
    } else {
        sqlite3_busy_timeout(db, 2000);
        Statement check(db, QStringLiteral("PRAGMA quick_check"));
        if (!check.ok() || check.step() != SQLITE_ROW) {
            *problem = errorText(db, path);
        } else if (const QString verdict = check.column(0).toString();
                   verdict != QLatin1String("ok")) {
            *problem = QStringLiteral("%1: the database is damaged (%2)").arg(path, verdict);
        } else {
            ok = true;
        }
    }
    sqlite3_close(db);
    if (!hadWal && QFileInfo(wal).size() == 0)
        QFile::remove(wal);
    if (!hadShm)
        QFile::remove(shm);
    return ok;
}

} // namespace

struct ObjectStore::Private {
    struct Object {
        int entity = -1;
        qint64 rowid = 0;    // 0 while the insert is pending
        QVariantList stored; // by attribute index
        QHash<int, QVariant> changed;
        bool deleted = false;
    };

    sqlite3* db = nullptr;
    QString path;
    QList<Entity> entities;
    QHash<QString, int> entityIndex;
    QHash<ObjectId, Object> objects;
    QList<QHash<qint64, ObjectId>> byRow; // by entity: rowid -> handle
    QList<ObjectId> inserted;             // pending inserts, in order
    ObjectId nextId = 1;
    std::optional<FileState> opened; // the file as this store last left it

    ~Private() {
        if (!db)
            return;
        // The write-ahead log belongs to the file this store opened: closing
        // would copy it into a file copied over that one, and a file moved
        // over it would read it at its next opening. It is kept beside it
        // instead, under another name, and the file is left as it was put there.
        const bool overwritten = !replaced().isEmpty();
        if (overwritten)
            sqlite3_db_config(db, SQLITE_DBCONFIG_NO_CKPT_ON_CLOSE, 1, nullptr);
        sqlite3_close(db);
        if (overwritten) {
            const QString wal = path + QStringLiteral("-wal");
            if (QFile::exists(wal))
                QFile::rename(wal, wal + QStringLiteral(".replaced"));
            QFile::remove(path + QStringLiteral("-shm"));
        }
    }

    // Empty while the path still names the file as this store left it; else why not.
    QString replaced() const {
        if (!opened)
            return {};
        const FileState now = fileState(path);
        if (now == *opened)
            return {};
        const bool another = now.inode != opened->inode || now.device != opened->device;
        return QStringLiteral("%1 was %2 by another program while Dexaro ran; nothing was "
                              "written to it. Quit and start Dexaro again to use the file "
                              "that is there now.")
            .arg(path, another ? QStringLiteral("replaced") : QStringLiteral("overwritten"));
    }

    int column(int entity, const QString& attribute) const {
        return entities[entity].attributes.indexOf(attribute);
    }

    QVariant effective(const Object& object, int column) const {
        auto it = object.changed.constFind(column);
        if (it != object.changed.constEnd())
            return *it;
        return object.stored.value(column);
    }
};

ObjectStore::ObjectStore() : d(std::make_unique<Private>()) {}
ObjectStore::~ObjectStore() = default;

std::unique_ptr<ObjectStore> ObjectStore::open(const QString& path, const QList<Entity>& schema,
                                               QString* error, int version) {
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

    // Read before anything is written: a file that is not a database, or a
    // damaged one, must be left exactly as it is (its -wal and -shm too).
    QString message;
    if (info.exists() && !quickCheck(path, &message))
        return fail(message);

    std::unique_ptr<ObjectStore> store(new ObjectStore);
    Private& p = *store->d;
    p.path = path;
    if (sqlite3_open_v2(path.toUtf8().constData(), &p.db,
                        SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE | SQLITE_OPEN_NOMUTEX,
                        nullptr) != SQLITE_OK)
        return fail(errorText(p.db, path));
    sqlite3_busy_timeout(p.db, 2000);
    if (sqlite3_db_readonly(p.db, "main") == 1)
        return fail(QStringLiteral("%1 is read-only").arg(path));

    if (!exec(p.db, QStringLiteral("PRAGMA journal_mode=WAL"), &message) ||
        !exec(p.db, QStringLiteral("PRAGMA synchronous=NORMAL"), &message))
        return fail(QStringLiteral("%1: %2").arg(path, message));

    // Tables and columns that are missing are added; nothing is ever dropped.
    // An up-to-date store is only read here.
    QStringList statements;
    for (const Entity& entity : schema) {
        QStringList columns;
        for (const QString& attribute : entity.attributes)
            columns << quoted(attribute) + (entity.realAttributes.contains(attribute)
                                                ? QLatin1String(" REAL")
                                                : QLatin1String(" TEXT"));
        QStringList present;
        {
            Statement info(p.db, QStringLiteral("PRAGMA table_info(%1)").arg(quoted(entity.name)));
            while (info.step() == SQLITE_ROW)
                present << info.column(1).toString();
        }
        if (present.isEmpty()) {
            statements << QStringLiteral("CREATE TABLE %1 (%2)")
                              .arg(quoted(entity.name), columns.join(QStringLiteral(", ")));
        } else {
            for (int i = 0; i < entity.attributes.size(); ++i)
                if (!present.contains(entity.attributes[i]))
                    statements << QStringLiteral("ALTER TABLE %1 ADD COLUMN %2")
                                      .arg(quoted(entity.name), columns[i]);
        }
        p.entityIndex.insert(entity.name, int(p.entities.size()));
        p.entities << entity;
        p.byRow.append(QHash<qint64, ObjectId>());
    }
    int storedVersion = 0;
    {
        Statement pragma(p.db, QStringLiteral("PRAGMA user_version"));
        if (pragma.step() == SQLITE_ROW)
            storedVersion = pragma.column(0).toInt();
    }
    if (!statements.isEmpty() || storedVersion < version) {
        statements.prepend(QStringLiteral("BEGIN IMMEDIATE"));
        statements << QStringLiteral("PRAGMA user_version=%1").arg(qMax(storedVersion, version))
                   << QStringLiteral("COMMIT");
        for (const QString& statement : std::as_const(statements)) {
            if (!exec(p.db, statement, &message)) {
                exec(p.db, QStringLiteral("ROLLBACK"), nullptr);
                return fail(QStringLiteral("%1: %2").arg(path, message));
            }
        }
    }
    p.opened = fileState(path);
    return store;
}

std::unique_ptr<ObjectStore>
ObjectStore::openReadOnly(const QString& path, const QList<Entity>& schema, QString* error) {
    std::unique_ptr<ObjectStore> store(new ObjectStore);
    Private& p = *store->d;
    p.path = path;
    if (sqlite3_open_v2(path.toUtf8().constData(), &p.db,
                        SQLITE_OPEN_READONLY | SQLITE_OPEN_NOMUTEX, nullptr) != SQLITE_OK) {
        if (error)
            *error = errorText(p.db, path);
        return nullptr;
    }
    sqlite3_busy_timeout(p.db, 2000);
    for (const Entity& entity : schema) {
        p.entityIndex.insert(entity.name, int(p.entities.size()));
        p.entities << entity;
        p.byRow.append(QHash<qint64, ObjectId>());
    }
    return store;
}

QString ObjectStore::path() const {
    return d->path;
}

std::optional<QList<ObjectStore::ObjectId>> ObjectStore::fetch(const QString& entityName,
                                                               const QString& attribute,
                                                               const QVariant& value,
                                                               QString* error) {
    const int entity = d->entityIndex.value(entityName, -1);
    const int match = entity < 0 || attribute.isEmpty() ? -1 : d->column(entity, attribute);
    if (entity < 0 || (!attribute.isEmpty() && match < 0)) {
        if (error)
            *error =
                QStringLiteral("unknown entity or attribute: %1 %2").arg(entityName, attribute);
        return std::nullopt;
    }
    const QStringList& attributes = d->entities[entity].attributes;

    QStringList columns;
    for (const QString& name : attributes)
        columns << quoted(name);
    Statement select(d->db, QStringLiteral("SELECT rowid, %1 FROM %2 ORDER BY rowid")
                                .arg(columns.join(QStringLiteral(", ")), quoted(entityName)));
    if (!select.ok()) {
        if (error)
            *error = errorText(d->db, entityName);
        return std::nullopt;
    }

    QList<ObjectId> result;
    QHash<qint64, ObjectId>& rows = d->byRow[entity];
    int rc;
    while ((rc = select.step()) == SQLITE_ROW) {
        const qint64 rowid = select.int64(0);
        ObjectId& id = rows[rowid];
        if (!id)
            id = d->nextId++;
        Private::Object& object = d->objects[id];
        object.entity = entity;
        object.rowid = rowid;
        object.stored.resize(attributes.size());
        for (int i = 0; i < attributes.size(); ++i)
            object.stored[i] = select.column(i + 1);
        if (object.deleted)
            continue;
        if (match < 0 || sameValue(d->effective(object, match), value))
            result << id;
    }
    if (rc != SQLITE_DONE) {
        if (error)
            *error = errorText(d->db, entityName);
        return std::nullopt;
    }
    for (ObjectId id : std::as_const(d->inserted)) {
        const Private::Object& object = d->objects[id];
        if (object.entity == entity && (match < 0 || sameValue(d->effective(object, match), value)))
            result << id;
    }
    return result;
}

QVariant ObjectStore::value(ObjectId object, const QString& attribute) const {
    auto it = d->objects.constFind(object);
    if (it == d->objects.constEnd())
        return {};
    return d->effective(*it, d->column(it->entity, attribute));
}

ObjectStore::ObjectId ObjectStore::insert(const QString& entityName) {
    const int entity = d->entityIndex.value(entityName, -1);
    if (entity < 0)
        return 0;
    const ObjectId id = d->nextId++;
    d->objects[id].entity = entity;
    d->inserted << id;
    return id;
}

void ObjectStore::setValue(ObjectId object, const QString& attribute, const QVariant& value) {
    auto it = d->objects.find(object);
    if (it == d->objects.end())
        return;
    const int column = d->column(it->entity, attribute);
    if (column >= 0)
        it->changed.insert(column, value);
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
    // A file put in the store's place meanwhile gets nothing of this store's.
    if (const QString replaced = d->replaced(); !replaced.isEmpty()) {
        if (error)
            *error = replaced;
        return false;
    }
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

    auto tableOf = [&](const Private::Object& object) {
        return quoted(d->entities[object.entity].name);
    };
    auto columnsOf = [&](const Private::Object& object) {
        QList<int> columns = object.changed.keys();
        std::sort(columns.begin(), columns.end());
        return columns;
    };
    auto nameOf = [&](const Private::Object& object, int column) {
        return quoted(d->entities[object.entity].attributes[column]);
    };

    for (ObjectId id : std::as_const(deleted)) {
        const Private::Object& object = d->objects[id];
        Statement del(d->db, QStringLiteral("DELETE FROM %1 WHERE rowid = ?").arg(tableOf(object)));
        del.bind(1, object.rowid);
        if (!del.ok() || del.step() != SQLITE_DONE)
            return fail(errorText(d->db, QStringLiteral("delete")));
    }
    for (ObjectId id : std::as_const(updated)) {
        const Private::Object& object = d->objects[id];
        const QList<int> columns = columnsOf(object);
        QStringList sets;
        for (int column : columns)
            sets << nameOf(object, column) + QStringLiteral(" = ?");
        Statement update(d->db, QStringLiteral("UPDATE %1 SET %2 WHERE rowid = ?")
                                    .arg(tableOf(object), sets.join(QStringLiteral(", "))));
        int index = 1;
        for (int column : columns)
            update.bind(index++, object.changed.value(column));
        update.bind(index, object.rowid);
        if (!update.ok() || update.step() != SQLITE_DONE)
            return fail(errorText(d->db, QStringLiteral("update")));
    }
    QList<qint64> newRows;
    for (ObjectId id : std::as_const(d->inserted)) {
        const Private::Object& object = d->objects[id];
        const QList<int> columns = columnsOf(object);
        QString sql;
        if (columns.isEmpty()) {
            sql = QStringLiteral("INSERT INTO %1 DEFAULT VALUES").arg(tableOf(object));
        } else {
            QStringList names, marks;
            for (int column : columns) {
                names << nameOf(object, column);
                marks << QStringLiteral("?");
            }
            sql = QStringLiteral("INSERT INTO %1 (%2) VALUES (%3)")
                      .arg(tableOf(object), names.join(QStringLiteral(", ")),
                           marks.join(QStringLiteral(", ")));
        }
        Statement insert(d->db, sql);
        int index = 1;
        for (int column : columns)
            insert.bind(index++, object.changed.value(column));
        if (!insert.ok() || insert.step() != SQLITE_DONE)
            return fail(errorText(d->db, QStringLiteral("insert")));
        newRows << sqlite3_last_insert_rowid(d->db);
    }
    if (!exec(d->db, QStringLiteral("COMMIT"), &message))
        return fail(message);
    // The commit may have moved the log into the file.
    if (d->opened)
        d->opened = fileState(d->path);

    // Committed: the pending state becomes the stored state.
    auto settle = [&](Private::Object& object) {
        object.stored.resize(d->entities[object.entity].attributes.size());
        for (auto it = object.changed.cbegin(); it != object.changed.cend(); ++it)
            object.stored[it.key()] = it.value();
        object.changed.clear();
    };
    for (ObjectId id : std::as_const(deleted)) {
        d->byRow[d->objects[id].entity].remove(d->objects[id].rowid);
        d->objects.remove(id);
    }
    for (ObjectId id : std::as_const(updated))
        settle(d->objects[id]);
    for (int i = 0; i < d->inserted.size(); ++i) {
        Private::Object& object = d->objects[d->inserted[i]];
        object.rowid = newRows[i];
        settle(object);
        d->byRow[object.entity].insert(object.rowid, d->inserted[i]);
    }
    d->inserted.clear();
    return true;
}

void ObjectStore::discardChanges(ObjectId object) {
    auto it = d->objects.find(object);
    if (it == d->objects.end())
        return;
    if (it->rowid == 0) {
        d->inserted.removeOne(object);
        d->objects.erase(it);
        return;
    }
    it->changed.clear();
    it->deleted = false;
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
