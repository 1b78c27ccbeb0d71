#include "model/WorkspaceStore.h"
#include "model/Packing.h"
#include "model/TemporaryGlobalDataHolder.h"
#include "support/RecordingAlerts.h"
#include "support/RunSql.h"

#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace dexaro;
using dexaro::test::RecordingAlerts;
using dexaro::test::runSql;

namespace {

class WorkspaceStoreTest : public ::testing::Test {
protected:
    void SetUp() override { reopen(); }
    void reopen() {
        ws.reset();
        context.reset();
        QString error;
        context = WorkspaceStore::openStore(dir.filePath(QStringLiteral("Dexaro.sqlite")), &error);
        ASSERT_TRUE(context) << error.toStdString();
        ws = std::make_unique<WorkspaceStore>(*context, alerts);
    }
    QString create(const QString& name, const QStringList& apps = {QStringLiteral("a")}) {
        auto record = ws->insertWorkspace();
        const QString id = ws->fillWorkspace(record, {name, apps, {}, {}});
        EXPECT_TRUE(context->save());
        return id;
    }
    QString path() const { return dir.filePath(QStringLiteral("Dexaro.sqlite")); }

    QTemporaryDir dir;
    RecordingAlerts alerts;
    std::unique_ptr<ObjectStore> context;
    std::unique_ptr<WorkspaceStore> ws;
};

} // namespace

TEST_F(WorkspaceStoreTest, CreatedWorkspaceReadsBackAndAnUpdateKeepsItsIdentifier) {
    auto record = ws->insertWorkspace();
    const QString id = ws->fillWorkspace(
        record, {QStringLiteral("Work"),
                 {QStringLiteral("file:///a.desktop"), QStringLiteral("file:///b.desktop")},
                 {{QStringLiteral("Docs"), QStringLiteral("https://d.org")}, {}},
                 {}});
    ASSERT_TRUE(context->save());
    reopen();
    auto list = ws->loadWorkspaceList().value();
    ASSERT_EQ(list.size(), 1);
    const WSListModel& m = *list[0];
    EXPECT_EQ(m.wsID, id);
    EXPECT_EQ(m.wsName, QStringLiteral("Work"));
    ASSERT_TRUE(m.wsCreateDate.has_value());
    EXPECT_LE(qAbs(m.wsCreateDate->secsTo(QDateTime::currentDateTime())), 60);
    EXPECT_EQ(m.apps, (QStringList{QStringLiteral("file:///a.desktop"),
                                   QStringLiteral("file:///b.desktop")}));
    EXPECT_EQ(m.urlLinkAdresses, QStringList{QStringLiteral("Docs*:///:*https://d.org")});
    EXPECT_EQ(m.fileURLLinkAdresses, QStringList{QString()}) << "no links: one empty element";

    QString error;
    EXPECT_EQ(ws->updateWorkspace(QStringLiteral("Work"),
                                  {QStringLiteral("Office"), {QStringLiteral("x")}, {}, {}},
                                  &error),
              id)
        << error.toStdString();
    EXPECT_EQ(TemporaryGlobalDataHolder::shared().updatedAppList(id),
              QStringList{QStringLiteral("x")});
    reopen();
    list = ws->loadWorkspaceList().value();
    ASSERT_EQ(list.size(), 1);
    EXPECT_EQ(list[0]->wsName, QStringLiteral("Office"));
    EXPECT_EQ(list[0]->wsID, id);
    // A name that vanished meanwhile is reported, nothing is written.
    EXPECT_TRUE(
        ws->updateWorkspace(QStringLiteral("Gone"), {QStringLiteral("G"), {}, {}, {}}, &error)
            .isNull());
    EXPECT_FALSE(error.isEmpty());
    EXPECT_FALSE(context->hasChanges());
    EXPECT_TRUE(alerts.shown.isEmpty());
}

TEST_F(WorkspaceStoreTest, NameExistsCountsExactMatchesAgainstAllowed) {
    create(QStringLiteral("Work"));
    struct Row {
        const char* name;
        int allowed;
        bool exists;
    };
    const Row rows[] = {{"Work", 0, true},
                        {"Work", 1, false},
                        {"work", 0, false},
                        {"Work ", 0, false},
                        {"Home", 0, false}};
    for (const Row& row : rows)
        EXPECT_EQ(ws->workspaceNameExists(QString::fromUtf8(row.name), row.allowed), row.exists)
            << row.name << " allowed " << row.allowed;

    // An unsaved insert counts too.
    auto pending = ws->insertWorkspace();
    context->setValue(pending, QStringLiteral("name"), QStringLiteral("Home"));
    EXPECT_TRUE(ws->workspaceNameExists(QStringLiteral("Home"), 0));
    context->remove(pending);
    EXPECT_FALSE(ws->workspaceNameExists(QStringLiteral("Home"), 0));
    EXPECT_FALSE(context->hasChanges());
}

TEST_F(WorkspaceStoreTest, DeleteRemovesEveryRecordSharingTheName) {
    create(QStringLiteral("Twin"));
    create(QStringLiteral("Twin"));
    create(QStringLiteral("Other"));
    QString error;
    ASSERT_TRUE(ws->deleteWorkspaces(QStringLiteral("Twin"), &error)) << error.toStdString();
    reopen();
    auto list = ws->loadWorkspaceList().value();
    ASSERT_EQ(list.size(), 1);
    EXPECT_EQ(list[0]->wsName, QStringLiteral("Other"));
}

TEST_F(WorkspaceStoreTest, PopoverLoadRepairsDamagedRecordsAndTheEditorOnlySkipsThem) {
    create(QStringLiteral("Good"));
    context.reset();
    ws.reset();
    runSql(path(), "INSERT INTO Workspaces (id, name, date_add) VALUES ('1', 'NoApps', 1.0);"
                   "INSERT INTO Workspaces (name, date_add, apps) VALUES ('NoId', 2.0, 'x');"
                   "INSERT INTO Workspaces (id, name, date_add, apps) "
                   "VALUES ('3', 'OddDate', 'yesterday', 'y');");
    reopen();

    QString error;
    auto editor = ws->loadEditorWorkspaceList(&error).value();
    ASSERT_EQ(editor.size(), 3) << "placeholder, Good, OddDate";
    EXPECT_TRUE(editor[0]->wsID.isNull() && editor[0]->wsName.isNull());

    auto list = ws->loadWorkspaceList().value();
    QStringList names;
    for (const auto& m : list)
        names << m->wsName;
    EXPECT_EQ(names, (QStringList{QStringLiteral("Good"), QStringLiteral("NoId"),
                                  QStringLiteral("OddDate")}));
    const QString givenId = list[1]->wsID;
    EXPECT_FALSE(givenId.isEmpty());
    EXPECT_FALSE(list[2]->wsCreateDate.has_value()) << "an unreadable date is kept, not fatal";

    reopen();
    list = ws->loadWorkspaceList().value();
    ASSERT_EQ(list.size(), 3);
    EXPECT_EQ(list[1]->wsID, givenId) << "the repaired identifier was saved";
    EXPECT_EQ(ws->loadEditorWorkspaceList(&error)->size(), 4);
    EXPECT_TRUE(alerts.shown.isEmpty());
}

TEST_F(WorkspaceStoreTest, StoreFailuresAreShownWithTheirReasonAndLoseNothingPending) {
    runSql(path(), "CREATE TRIGGER deny BEFORE INSERT ON Settings "
                   "BEGIN SELECT RAISE(ABORT, 'disk says no'); END;");
    ws->writeSetting(QStringLiteral("hideApps"), QStringLiteral("1"));
    ASSERT_EQ(alerts.shown.size(), 1);
    EXPECT_TRUE(alerts.shown[0].informative.contains(QStringLiteral("disk says no")));
    EXPECT_TRUE(context->hasChanges());

    runSql(path(), "DROP TABLE Workspaces;");
    EXPECT_FALSE(ws->loadWorkspaceList().has_value());
    ASSERT_EQ(alerts.shown.size(), 2);
    EXPECT_FALSE(alerts.shown[1].informative.isEmpty()) << "the reason is shown";
    QString error;
    EXPECT_FALSE(ws->loadEditorWorkspaceList(&error).has_value());
    EXPECT_FALSE(error.isEmpty());
}

TEST_F(WorkspaceStoreTest, SettingsDefaultWriteInPlaceAndDuplicatesReadAsNothing) {
    EXPECT_EQ(ws->settingValue(QStringLiteral("hideApps")), QStringLiteral("0"));
    EXPECT_FALSE(ws->readSetting(QStringLiteral("runWSAtLogin")).has_value());
    ws->writeSetting(QStringLiteral("hideApps"), QStringLiteral("1"));
    ws->writeSetting(QStringLiteral("hideApps"), QStringLiteral("0"));
    ws->writeSetting(QStringLiteral("runWSAtLogin"), QStringLiteral("1"));
    reopen();
    EXPECT_EQ(ws->settingValue(QStringLiteral("hideApps")), QStringLiteral("0"));
    EXPECT_EQ(ws->settingValue(QStringLiteral("runningAtLogin")), QStringLiteral("1"));
    EXPECT_EQ(context->fetch(schema::settings)->size(), 2) << "the second write updated in place";

    context.reset();
    ws.reset();
    runSql(path(), "INSERT INTO Settings VALUES ('terminationStyle', '1');"
                   "INSERT INTO Settings VALUES ('terminationStyle', '1');");
    reopen();
    EXPECT_FALSE(ws->readSetting(QStringLiteral("terminationStyle")).has_value());
    EXPECT_EQ(ws->settingValue(QStringLiteral("termination")), QStringLiteral("0"));
    ws->writeSetting(QStringLiteral("terminationStyle"), QStringLiteral("1"));
    EXPECT_EQ(context->fetch(schema::settings)->size(), 5) << "a duplicate is never updated";
}

TEST_F(WorkspaceStoreTest, DatesOutsideTheRepresentableRangeReadAsUnknown) {
    // SQLite reads 1e999 as an infinity; NaN also comes as text.
    const struct {
        const char* stored;
        std::optional<qint64> msecs;
    } rows[] = {
        {"1700000000.5", 1700000000500},
        {"-86400", -86400000},
        {"1e300", {}},
        {"-5e18", {}},
        {"1e999", {}},
        {"'NaN'", {}},
        {"9.3e15", {}}, // just past 64 bits of milliseconds
    };
    context.reset();
    ws.reset();
    for (size_t i = 0; i < std::size(rows); ++i)
        runSql(path(), QStringLiteral("INSERT INTO Workspaces (id, name, date_add, apps) VALUES "
                                      "('%1', 'W%1', %2, 'a');")
                           .arg(i)
                           .arg(QString::fromLatin1(rows[i].stored))
                           .toUtf8()
                           .constData());
    reopen();
    const auto list = ws->loadWorkspaceList().value();
    ASSERT_EQ(list.size(), std::size(rows));
    for (size_t i = 0; i < std::size(rows); ++i) {
        SCOPED_TRACE(rows[i].stored);
        const auto& date = list[i]->wsCreateDate;
        ASSERT_EQ(date.has_value(), rows[i].msecs.has_value());
        if (date) {
            EXPECT_EQ(date->toMSecsSinceEpoch(), *rows[i].msecs);
        }
    }
    EXPECT_TRUE(alerts.shown.isEmpty());
}
