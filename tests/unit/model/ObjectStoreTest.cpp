#include "platform/ObjectStore.h"
#include "support/QtPrinters.h"
#include "support/RunSql.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <cstdio>
#include <gtest/gtest.h>

using namespace dexaro;
using dexaro::test::runSql;

namespace {

const QString things = QStringLiteral("Things"), nameKey = QStringLiteral("name"),
              sizeKey = QStringLiteral("size");
const QList<ObjectStore::Entity> kSchema = {{things, {nameKey, sizeKey}, {sizeKey}}};

QByteArray contents(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// Every row of Things in insertion order, as "name/size" ("-" for an absent value).
QStringList rows(ObjectStore& store) {
    QStringList out;
    const auto ids = store.fetch(things).value();
    for (auto id : ids) {
        const QVariant name = store.value(id, nameKey), size = store.value(id, sizeKey);
        out << (name.isValid() ? name.toString() : QStringLiteral("-")) + QLatin1Char('/') +
                   (size.isValid() ? size.toString() : QStringLiteral("-"));
    }
    return out;
}

class ObjectStoreTest : public ::testing::Test {
protected:
    void SetUp() override {
        QString error;
        store = ObjectStore::open(path, kSchema, &error);
        ASSERT_TRUE(store) << error.toStdString();
    }
    ObjectStore::ObjectId add(const QString& name) {
        auto id = store->insert(things);
        store->setValue(id, nameKey, name);
        return id;
    }
    QStringList rowsOnDisk() { return rows(*ObjectStore::open(path, kSchema, nullptr)); }

    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("data/store.sqlite"));
    std::unique_ptr<ObjectStore> store;
};

} // namespace

// A refused save keeps every pending change readable and says why; the next
// one writes them all, in insertion order with absent values kept. (Inserts
// dropped before a save and deletions of saved records are checked through
// the Creator's and the Editor's saves.)
TEST_F(ObjectStoreTest, FailedSaveKeepsEveryPendingChangeAndSaysWhy) {
    auto kept = add(QStringLiteral("kept"));
    ASSERT_TRUE(store->save());
    // Another client makes every write to the table fail.
    runSql(path, "CREATE TRIGGER deny_insert BEFORE INSERT ON Things "
                 "BEGIN SELECT RAISE(ABORT, 'writes refused'); END;");
    store->setValue(kept, sizeKey, 7.0);
    add(QStringLiteral("new"));
    QString error;
    EXPECT_FALSE(store->save(&error));
    EXPECT_TRUE(error.contains(QStringLiteral("writes refused"))) << error.toStdString();
    const QStringList pending{QStringLiteral("kept/7"), QStringLiteral("new/-")};
    EXPECT_EQ(rows(*store), pending);
    EXPECT_EQ(rowsOnDisk(), QStringList{QStringLiteral("kept/-")}) << "nothing reached the file";

    runSql(path, "DROP TRIGGER deny_insert;");
    ASSERT_TRUE(store->save(&error)) << error.toStdString();
    EXPECT_EQ(rowsOnDisk(), pending);
}

TEST(ObjectStoreOpen, RefusesFilesThatAreNotIntactDatabasesAndMigratesOlderTables) {
    QTemporaryDir dir;
    // Not a database at all. A damaged real one (with its log) is
    // ObjectStoreReplaced's last case.
    const QString path = dir.filePath(QStringLiteral("bad.sqlite"));
    const QByteArray bytes = QByteArray("not the bytes of a database\n").repeated(100);
    {
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        file.write(bytes);
    }
    QString error;
    EXPECT_FALSE(ObjectStore::open(path, kSchema, &error));
    EXPECT_FALSE(error.isEmpty());
    EXPECT_EQ(contents(path), bytes) << "the file was modified";
    EXPECT_FALSE(QFile::exists(path + QStringLiteral("-wal")));

    // A table of an older version gains the missing columns.
    const QString old = dir.filePath(QStringLiteral("old.sqlite"));
    runSql(old, "CREATE TABLE Things (name TEXT); INSERT INTO Things VALUES ('old');");
    auto store = ObjectStore::open(old, kSchema, nullptr);
    ASSERT_TRUE(store);
    store->setValue(store->fetch(things)->value(0), sizeKey, 3.0);
    EXPECT_TRUE(store->save());
    EXPECT_EQ(rows(*store), QStringList{QStringLiteral("old/3")});
}

// A file copied or moved over the store while it is open (a backup tool, an
// older copy put back) gets nothing written into it: the save says why, and
// closing the store leaves the file as it was put there. A damaged file found
// at the next start is left exactly as it is, its -wal and -shm too.
TEST(ObjectStoreReplaced, AFileCopiedOrMovedOverALiveStoreIsNeverWrittenTo) {
    QTemporaryDir dir;
    // The older copy: a clean database of the same schema.
    const QString older = dir.filePath(QStringLiteral("older.sqlite"));
    {
        auto store = ObjectStore::open(older, kSchema, nullptr);
        store->setValue(store->insert(things), nameKey, QStringLiteral("older"));
        ASSERT_TRUE(store->save());
    }
    ASSERT_FALSE(QFile::exists(older + QStringLiteral("-wal")));
    const QByteArray olderBytes = contents(older);

    for (const bool moved : {false, true}) {
        SCOPED_TRACE(moved ? "moved over" : "copied over");
        const QString path =
            dir.filePath(moved ? QStringLiteral("m.sqlite") : QStringLiteral("c.sqlite"));
        auto store = ObjectStore::open(path, kSchema, nullptr);
        ASSERT_TRUE(store);
        store->setValue(store->insert(things), nameKey, QStringLiteral("live"));
        ASSERT_TRUE(store->save()); // in the write-ahead log
        if (moved) {
            const QString incoming = dir.filePath(QStringLiteral("incoming.sqlite"));
            ASSERT_TRUE(QFile::copy(older, incoming));
            ASSERT_EQ(::rename(QFile::encodeName(incoming).constData(),
                               QFile::encodeName(path).constData()),
                      0);
        } else {
            QFile file(path); // same inode, other bytes
            ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
            file.write(olderBytes);
        }

        store->setValue(store->insert(things), nameKey, QStringLiteral("after"));
        QString error;
        EXPECT_FALSE(store->save(&error));
        EXPECT_TRUE(error.contains(moved ? "was replaced" : "was overwritten"))
            << qPrintable(error);
        EXPECT_TRUE(store->hasChanges()) << "the change stays pending";
        EXPECT_EQ(contents(path), olderBytes);
        store.reset();
        EXPECT_EQ(contents(path), olderBytes) << "closing wrote into the file";
        EXPECT_FALSE(QFile::exists(path + QStringLiteral("-wal")));
        EXPECT_TRUE(QFile::exists(path + QStringLiteral("-wal.replaced")))
            << "what was saved before is kept";
        // Read back: the file put there, untouched.
        auto reopened = ObjectStore::open(path, kSchema, &error);
        ASSERT_TRUE(reopened) << qPrintable(error);
        EXPECT_EQ(rows(*reopened), QStringList{QStringLiteral("older/-")});
    }

    // A damaged database with a log beside it: refused, all three files unchanged.
    const QString damaged = dir.filePath(QStringLiteral("damaged.sqlite"));
    for (int i = 0; i < 200; ++i) {
        auto store = ObjectStore::open(damaged, kSchema, nullptr);
        store->setValue(store->insert(things), nameKey, QString(200, QLatin1Char('x')));
        ASSERT_TRUE(store->save());
        // The last log left behind, as by a crash.
        if (i == 199)
            ASSERT_TRUE(QFile::copy(damaged + QStringLiteral("-wal"), dir.filePath("wal")));
    }
    ASSERT_TRUE(QFile::copy(dir.filePath("wal"), damaged + QStringLiteral("-wal")));
    QByteArray bytes = contents(damaged);
    bytes.replace(4096, 4096, QByteArray(4096, char(0xA5)));
    {
        QFile file(damaged);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        file.write(bytes);
    }
    const QByteArray wal = contents(damaged + QStringLiteral("-wal"));
    ASSERT_FALSE(wal.isEmpty());
    QString error;
    EXPECT_FALSE(ObjectStore::open(damaged, kSchema, &error));
    EXPECT_FALSE(error.isEmpty());
    EXPECT_EQ(contents(damaged), bytes);
    EXPECT_EQ(contents(damaged + QStringLiteral("-wal")), wal);
    EXPECT_FALSE(QFile::exists(damaged + QStringLiteral("-shm")));
}

// A store on a full disk (a small tmpfs, where this machine lets the test
// mount one): the save says why and keeps everything pending; nothing saved
// before is lost, and once there is room the next save writes it all once.
TEST(ObjectStoreFull, AFullDiskRefusesTheSaveAndLosesNothing) {
    QTemporaryDir dir;
    const QString mountPoint = dir.filePath(QStringLiteral("small"));
    QDir().mkpath(mountPoint);
    if (QProcess::execute(QStringLiteral("mount"),
                          {QStringLiteral("-t"), QStringLiteral("tmpfs"), QStringLiteral("-o"),
                           QStringLiteral("size=512k"), QStringLiteral("tmpfs"), mountPoint}) != 0)
        GTEST_SKIP() << "no tmpfs can be mounted here";
    struct Unmount {
        QString at;
        ~Unmount() { QProcess::execute(QStringLiteral("umount"), {at}); }
    } unmount{mountPoint};

    const QString path = mountPoint + QStringLiteral("/store.sqlite");
    auto store = ObjectStore::open(path, kSchema, nullptr);
    ASSERT_TRUE(store);
    store->setValue(store->insert(things), nameKey, QStringLiteral("kept"));
    ASSERT_TRUE(store->save());
    // The rest of the disk taken.
    const QString filler = mountPoint + QStringLiteral("/filler");
    {
        QFile file(filler);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        const QByteArray block(4096, 'f');
        while (file.write(block) == block.size() && file.flush()) {
        }
    }
    for (int i = 0; i < 20; ++i)
        store->setValue(store->insert(things), nameKey, QString(8000, QLatin1Char('x')));
    QString error;
    EXPECT_FALSE(store->save(&error));
    EXPECT_TRUE(error.contains(QStringLiteral("full"), Qt::CaseInsensitive)) << qPrintable(error);
    EXPECT_TRUE(store->hasChanges());
    EXPECT_EQ(rows(*ObjectStore::open(path, kSchema, nullptr)).size(), 1) << "the saved row";

    ASSERT_TRUE(QFile::remove(filler));
    EXPECT_TRUE(store->save(&error)) << qPrintable(error);
    EXPECT_EQ(rows(*ObjectStore::open(path, kSchema, nullptr)).size(), 21);
    store.reset();
}
