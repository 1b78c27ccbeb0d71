#include "model/WorkspaceStore.h"
#include "support/QtPrinters.h"
#include "support/RecordingAlerts.h"
#include "support/RunSql.h"

#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace dexaro;

namespace {

// Identifier and name of each workspace listed.
QStringList describe(const QList<WSListModelPtr>& list) {
    QStringList out;
    for (const auto& m : list)
        out << m->wsID + u':' + m->wsName;
    return out;
}

class WorkspaceStoreTest : public ::testing::Test {
protected:
    void SetUp() override { reopen(); }
    // Reopens the store; with sql, runs it on the closed file first.
    void reopen(const char* sql = nullptr) {
        ws.reset();
        context.reset();
        if (sql)
            test::runSql(path, sql);
        QString error;
        context = WorkspaceStore::openStore(path, &error);
        ASSERT_TRUE(context) << error.toStdString();
        ws = std::make_unique<WorkspaceStore>(*context, alerts);
    }
    QList<WSListModelPtr> loaded() { return ws->loadWorkspaceList().value(); }
    QStringList editorList() { return describe(ws->loadEditorWorkspaceList(nullptr).value()); }

    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("Dexaro.sqlite"));
    test::RecordingAlerts alerts;
    std::unique_ptr<ObjectStore> context;
    std::unique_ptr<WorkspaceStore> ws;
};

} // namespace

// The popover's load deletes records without name, date or applications and
// gives one without an identifier a lasting one; the Editor's only skips them.
TEST_F(WorkspaceStoreTest, PopoverLoadRepairsDamagedRecordsAndTheEditorOnlySkipsThem) {
    reopen("INSERT INTO Workspaces (id, name, date_add, apps) VALUES ('1', 'Good', 1.0, 'a');"
           "INSERT INTO Workspaces (id, name, date_add) VALUES ('2', 'NoApps', 1.0);"
           "INSERT INTO Workspaces (name, date_add, apps) VALUES ('NoId', 2.0, 'x');"
           "INSERT INTO Settings VALUES ('terminationStyle', '1'), ('terminationStyle', '1');");
    EXPECT_EQ(editorList(), (QStringList{u":"_qs, u"1:Good"_qs}));

    const auto list = loaded();
    ASSERT_EQ(list.size(), 2);
    EXPECT_FALSE(list[1]->wsID.isEmpty());
    const QStringList listed = describe(list);
    EXPECT_EQ(listed, (QStringList{u"1:Good"_qs, list[1]->wsID + u":NoId"_qs}));
    reopen();
    EXPECT_EQ(describe(loaded()), listed) << "the given identifier was saved";
    EXPECT_EQ(editorList(), QStringList{u":"_qs} + listed);
    // Twin settings read as no setting at all.
    EXPECT_FALSE(ws->readSetting(u"terminationStyle"_qs).has_value());
    EXPECT_TRUE(alerts.shown.isEmpty());
}

TEST_F(WorkspaceStoreTest, StoreFailuresAreShownWithTheirReasonAndLoseNothingPending) {
    test::runSql(path, "CREATE TRIGGER deny BEFORE INSERT ON Settings "
                       "BEGIN SELECT RAISE(ABORT, 'disk says no'); END;");
    ws->writeSetting(u"hideApps"_qs, u"1"_qs);
    ASSERT_EQ(alerts.shown.size(), 1);
    EXPECT_TRUE(alerts.shown[0].informative.contains(u"disk says no"_qs));
    EXPECT_TRUE(context->hasChanges());

    test::runSql(path, "DROP TABLE Workspaces;");
    EXPECT_FALSE(ws->loadWorkspaceList().has_value());
    ASSERT_EQ(alerts.shown.size(), 2);
    EXPECT_FALSE(alerts.shown[1].informative.isEmpty()) << "the reason is shown";
    QString error;
    EXPECT_FALSE(ws->loadEditorWorkspaceList(&error).has_value());
    EXPECT_FALSE(error.isEmpty());
}

// Creation dates as numbers of seconds or ISO text; what cannot be a date
// reads as an unknown one and keeps its workspace listed.
TEST_F(WorkspaceStoreTest, DatesOutsideTheRepresentableRangeReadAsUnknown) {
    // SQLite reads 1e999 as an infinity; NaN comes as text.
    const struct {
        const char* stored;
        std::optional<qint64> msecs;
    } rows[] = {
        {"1700000000.5", 1700000000500},
        {"-86400", -86400000},
        {"'2024-01-02T03:04:05.000Z'", 1704164645000},
        {"'yesterday'", {}},
        {"1e999", {}},
        {"'NaN'", {}},
        {"9.3e15", {}}, // just past 64 bits of milliseconds
    };
    QString sql;
    for (size_t i = 0; i < std::size(rows); ++i)
        sql +=
            u"INSERT INTO Workspaces (id, name, date_add, apps) VALUES ('%1', 'W%1', %2, 'a');"_qs
                .arg(i)
                .arg(QLatin1String(rows[i].stored));
    reopen(sql.toUtf8().constData());
    const auto list = loaded();
    ASSERT_EQ(list.size(), std::size(rows));
    for (size_t i = 0; i < std::size(rows); ++i) {
        const auto& date = list[i]->wsCreateDate;
        EXPECT_EQ(date ? std::optional(date->toMSecsSinceEpoch()) : std::nullopt, rows[i].msecs)
            << rows[i].stored;
    }
    EXPECT_TRUE(alerts.shown.isEmpty());
}
