#include "platform/ObjectStore.h"
#include "support/QtPrinters.h"
#include "support/RunSql.h"

#include <QFile>
#include <QTemporaryDir>
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
    // A real database, then damaged in the middle of its pages.
    const QString good = dir.filePath(QStringLiteral("good.sqlite"));
    {
        auto store = ObjectStore::open(good, kSchema, nullptr);
        for (int i = 0; i < 200; ++i)
            store->setValue(store->insert(things), nameKey, QString(200, QLatin1Char('x')));
        ASSERT_TRUE(store->save());
    }
    runSql(good, "PRAGMA wal_checkpoint(TRUNCATE);");
    QByteArray damaged = contents(good);
    damaged.replace(4096, 4096, QByteArray(4096, char(0xA5)));

    const QString path = dir.filePath(QStringLiteral("bad.sqlite"));
    for (const QByteArray& bytes :
         {QByteArray("not the bytes of a database\n").repeated(100), damaged}) {
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        file.write(bytes);
        file.close();
        QString error;
        EXPECT_FALSE(ObjectStore::open(path, kSchema, &error));
        EXPECT_FALSE(error.isEmpty());
        EXPECT_EQ(contents(path), bytes) << "the file was modified";
        EXPECT_FALSE(QFile::exists(path + QStringLiteral("-wal")));
    }

    // A table of an older version gains the missing columns.
    const QString old = dir.filePath(QStringLiteral("old.sqlite"));
    runSql(old, "CREATE TABLE Things (name TEXT); INSERT INTO Things VALUES ('old');");
    auto store = ObjectStore::open(old, kSchema, nullptr);
    ASSERT_TRUE(store);
    store->setValue(store->fetch(things)->value(0), sizeKey, 3.0);
    EXPECT_TRUE(store->save());
    EXPECT_EQ(rows(*store), QStringList{QStringLiteral("old/3")});
}
