#include "platform/ObjectStore.h"
#include "support/RunSql.h"

#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace dexaro;
using dexaro::test::runSql;

namespace {

const QList<ObjectStore::Entity> kSchema = {
    {QStringLiteral("Things"),
     {QStringLiteral("name"), QStringLiteral("size")},
     {QStringLiteral("size")}},
};

QByteArray contents(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

class ObjectStoreTest : public ::testing::Test {
protected:
    void SetUp() override {
        path = dir.filePath(QStringLiteral("data/store.sqlite"));
        QString error;
        store = ObjectStore::open(path, kSchema, &error);
        ASSERT_TRUE(store) << error.toStdString();
    }
    ObjectStore::ObjectId add(const QString& name) {
        auto id = store->insert(QStringLiteral("Things"));
        store->setValue(id, QStringLiteral("name"), name);
        return id;
    }
    QList<ObjectStore::ObjectId> named(const QString& name) {
        return store->fetch(QStringLiteral("Things"), QStringLiteral("name"), name).value();
    }

    QTemporaryDir dir;
    QString path;
    std::unique_ptr<ObjectStore> store;
};

} // namespace

TEST_F(ObjectStoreTest, PendingChangesAreFetchedAndOneSaveWritesThemInOrderWithNullsKept) {
    auto a = add(QStringLiteral("a"));
    auto b = add(QStringLiteral("b"));
    EXPECT_EQ(named(QStringLiteral("a")).size(), 1) << "a pending insert is fetched";
    EXPECT_TRUE(named(QStringLiteral("A")).isEmpty()) << "matching is case-sensitive";
    store->remove(add(QStringLiteral("temp")));
    ASSERT_TRUE(store->save());

    store->remove(a);
    store->setValue(b, QStringLiteral("name"), QStringLiteral("renamed"));
    store->setValue(add(QStringLiteral("c")), QStringLiteral("size"), 2.5);
    EXPECT_TRUE(named(QStringLiteral("a")).isEmpty());
    EXPECT_EQ(named(QStringLiteral("renamed")), QList<ObjectStore::ObjectId>{b});
    ASSERT_TRUE(store->save());
    EXPECT_FALSE(store->hasChanges());
    store.reset();
    store = ObjectStore::open(path, kSchema, nullptr);
    const auto all = store->fetch(QStringLiteral("Things")).value();
    ASSERT_EQ(all.size(), 2) << "a and the deleted insert are gone";
    EXPECT_EQ(store->value(all[0], QStringLiteral("name")).toString(), QStringLiteral("renamed"));
    EXPECT_FALSE(store->value(all[0], QStringLiteral("size")).isValid()) << "absent stays absent";
    EXPECT_DOUBLE_EQ(store->value(all[1], QStringLiteral("size")).toDouble(), 2.5);
    // An absent attribute never equals anything, not even the empty string.
    EXPECT_TRUE(
        store->fetch(QStringLiteral("Things"), QStringLiteral("size"), QString())->isEmpty());
}

TEST_F(ObjectStoreTest, FailedSaveKeepsEveryPendingChangeAndSaysWhy) {
    auto kept = add(QStringLiteral("kept"));
    ASSERT_TRUE(store->save());
    // Another client makes every write to the table fail.
    runSql(path, "CREATE TRIGGER deny_insert BEFORE INSERT ON Things "
                 "BEGIN SELECT RAISE(ABORT, 'writes refused'); END;");

    store->setValue(kept, QStringLiteral("size"), 7.0);
    add(QStringLiteral("new"));
    QString error;
    EXPECT_FALSE(store->save(&error));
    EXPECT_TRUE(error.contains(QStringLiteral("writes refused"))) << error.toStdString();
    EXPECT_TRUE(store->hasChanges());
    EXPECT_EQ(named(QStringLiteral("new")).size(), 1);
    EXPECT_DOUBLE_EQ(store->value(kept, QStringLiteral("size")).toDouble(), 7.0);

    // Nothing of the failed transaction reached the file.
    {
        auto other = ObjectStore::open(path, kSchema, nullptr);
        auto all = other->fetch(QStringLiteral("Things")).value();
        ASSERT_EQ(all.size(), 1);
        EXPECT_FALSE(other->value(all[0], QStringLiteral("size")).isValid());
    }

    runSql(path, "DROP TRIGGER deny_insert;");
    ASSERT_TRUE(store->save(&error)) << error.toStdString();
    EXPECT_FALSE(store->hasChanges());
    EXPECT_EQ(store->fetch(QStringLiteral("Things"))->size(), 2);
}

TEST(ObjectStoreOpen, RefusesFilesThatAreNotIntactDatabasesWithoutTouchingThem) {
    QTemporaryDir dir;
    // A real database, then damaged in the middle of its pages.
    const QString good = dir.filePath(QStringLiteral("good.sqlite"));
    {
        auto store = ObjectStore::open(good, kSchema, nullptr);
        ASSERT_TRUE(store);
        for (int i = 0; i < 200; ++i) {
            auto id = store->insert(QStringLiteral("Things"));
            store->setValue(id, QStringLiteral("name"), QString(200, QLatin1Char('x')));
        }
        ASSERT_TRUE(store->save());
    }
    runSql(good, "PRAGMA wal_checkpoint(TRUNCATE);");
    QByteArray damaged = contents(good);
    for (qsizetype i = 4096; i < 8192 && i < damaged.size(); ++i)
        damaged[i] = char(0xA5);

    const struct {
        const char* name;
        QByteArray contents;
    } cases[] = {
        {"text file", QByteArray("these are not the bytes of a database\n").repeated(100)},
        {"damaged database", damaged},
    };
    for (const auto& c : cases) {
        const QString path = dir.filePath(QString::fromUtf8(c.name));
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(c.contents);
        file.close();

        QString error;
        EXPECT_FALSE(ObjectStore::open(path, kSchema, &error)) << c.name;
        EXPECT_FALSE(error.isEmpty()) << c.name;
        EXPECT_EQ(contents(path), c.contents) << c.name << " was modified";
        EXPECT_FALSE(QFile::exists(path + QStringLiteral("-wal"))) << c.name;
    }
}

TEST(ObjectStoreOpen, AddsColumnsMissingFromAnOlderTable) {
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("old.sqlite"));
    runSql(path, "CREATE TABLE Things (name TEXT); INSERT INTO Things VALUES ('old');");
    auto store = ObjectStore::open(path, kSchema, nullptr);
    ASSERT_TRUE(store);
    auto all = store->fetch(QStringLiteral("Things")).value();
    ASSERT_EQ(all.size(), 1);
    store->setValue(all[0], QStringLiteral("size"), 3.0);
    EXPECT_TRUE(store->save());
}
