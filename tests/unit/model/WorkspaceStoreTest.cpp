#include "model/WorkspaceStore.h"
#include "model/Packing.h"
#include "model/TemporaryGlobalDataHolder.h"
#include "support/QtPrinters.h"
#include "support/RecordingAlerts.h"
#include "support/RunSql.h"

#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace dexaro;

namespace {

// A loaded workspace as "id|name|apps|links|file links", lists joined by commas.
QString describe(const WSListModel& m) {
    return QStringList{m.wsID, m.wsName, m.apps.join(u','), m.urlLinkAdresses.join(u','),
                       m.fileURLLinkAdresses.join(u',')}
        .join(u'|');
}

QStringList names(const QList<WSListModelPtr>& list) {
    QStringList out;
    for (const auto& m : list)
        out << m->wsName;
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
    QString create(const QString& name) {
        const QString id = ws->fillWorkspace(ws->insertWorkspace(), {name, {u"a"_qs}, {}, {}});
        EXPECT_TRUE(context->save());
        return id;
    }
    QList<WSListModelPtr> loaded() { return ws->loadWorkspaceList().value(); }

    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("Dexaro.sqlite"));
    test::RecordingAlerts alerts;
    std::unique_ptr<ObjectStore> context;
    std::unique_ptr<WorkspaceStore> ws;
};

} // namespace

TEST_F(WorkspaceStoreTest, WorkspacesReadBackUpdatesKeepTheIdentifierAndDeletesTakeEveryTwin) {
    const QString id = ws->fillWorkspace(ws->insertWorkspace(),
                                         {u"Work"_qs,
                                          {u"file:///a.desktop"_qs, u"file:///b.desktop"_qs},
                                          {{u"Docs"_qs, u"https://d.org"_qs}, {}},
                                          {}});
    ASSERT_TRUE(context->save());
    reopen();
    auto list = loaded();
    ASSERT_EQ(list.size(), 1);
    // No links: one empty element.
    EXPECT_EQ(describe(*list[0]),
              id + u"|Work|file:///a.desktop,file:///b.desktop|Docs*:///:*https://d.org|"_qs);
    ASSERT_TRUE(list[0]->wsCreateDate.has_value());
    EXPECT_LE(qAbs(list[0]->wsCreateDate->secsTo(QDateTime::currentDateTime())), 60);

    QString error;
    EXPECT_EQ(ws->updateWorkspace(u"Work"_qs, {u"Office"_qs, {u"x"_qs}, {}, {}}, &error), id)
        << error.toStdString();
    EXPECT_EQ(TemporaryGlobalDataHolder::shared().updatedAppList(id), QStringList{u"x"_qs});
    // A name that vanished meanwhile is reported, nothing is written.
    EXPECT_TRUE(ws->updateWorkspace(u"Gone"_qs, {u"G"_qs, {}, {}, {}}, &error).isNull());
    EXPECT_FALSE(error.isEmpty());
    EXPECT_FALSE(context->hasChanges());

    create(u"Twin"_qs);
    create(u"Twin"_qs);
    ASSERT_TRUE(ws->deleteWorkspaces(u"Twin"_qs, &error)) << error.toStdString();
    reopen();
    list = loaded();
    ASSERT_EQ(list.size(), 1);
    EXPECT_EQ(describe(*list[0]), id + u"|Office|x||"_qs);
    EXPECT_TRUE(alerts.shown.isEmpty());
}

TEST_F(WorkspaceStoreTest, NameExistsCountsExactMatchesAgainstAllowed) {
    create(u"Work"_qs);
    const struct {
        const char* name;
        int allowed;
        bool exists;
    } rows[] = {
        {"Work", 0, true},   {"Work", 1, false}, {"work", 0, false},
        {"Work ", 0, false}, {"Home", 0, false},
    };
    for (const auto& row : rows)
        EXPECT_EQ(ws->workspaceNameExists(QString::fromUtf8(row.name), row.allowed), row.exists)
            << row.name << " allowed " << row.allowed;

    // An unsaved insert counts too.
    auto pending = ws->insertWorkspace();
    context->setValue(pending, u"name"_qs, u"Home"_qs);
    EXPECT_TRUE(ws->workspaceNameExists(u"Home"_qs, 0));
    context->remove(pending);
    EXPECT_FALSE(ws->workspaceNameExists(u"Home"_qs, 0));
}

TEST_F(WorkspaceStoreTest, PopoverLoadRepairsDamagedRecordsAndTheEditorOnlySkipsThem) {
    create(u"Good"_qs);
    reopen("INSERT INTO Workspaces (id, name, date_add) VALUES ('1', 'NoApps', 1.0);"
           "INSERT INTO Workspaces (name, date_add, apps) VALUES ('NoId', 2.0, 'x');"
           "INSERT INTO Workspaces (id, name, date_add, apps) "
           "VALUES ('3', 'OddDate', 'yesterday', 'y');");
    QString error;
    auto editor = ws->loadEditorWorkspaceList(&error).value();
    ASSERT_EQ(editor.size(), 3) << "placeholder, Good, OddDate";
    EXPECT_TRUE(editor[0]->wsID.isNull() && editor[0]->wsName.isNull());

    auto list = loaded();
    EXPECT_EQ(names(list), (QStringList{u"Good"_qs, u"NoId"_qs, u"OddDate"_qs}));
    const QString givenId = list[1]->wsID;
    EXPECT_FALSE(givenId.isEmpty());
    EXPECT_FALSE(list[2]->wsCreateDate.has_value()) << "an unreadable date is kept, not fatal";

    reopen();
    list = loaded();
    ASSERT_EQ(list.size(), 3);
    EXPECT_EQ(list[1]->wsID, givenId) << "the repaired identifier was saved";
    EXPECT_EQ(ws->loadEditorWorkspaceList(&error)->size(), 4);
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

TEST_F(WorkspaceStoreTest, SettingsDefaultWriteInPlaceAndDuplicatesReadAsNothing) {
    EXPECT_EQ(ws->settingValue(u"hideApps"_qs), u"0"_qs);
    ws->writeSetting(u"hideApps"_qs, u"1"_qs);
    ws->writeSetting(u"hideApps"_qs, u"0"_qs);
    ws->writeSetting(u"runWSAtLogin"_qs, u"1"_qs);
    reopen("INSERT INTO Settings VALUES ('terminationStyle', '1');"
           "INSERT INTO Settings VALUES ('terminationStyle', '1');");
    EXPECT_EQ(ws->settingValue(u"hideApps"_qs), u"0"_qs);
    EXPECT_EQ(ws->settingValue(u"runningAtLogin"_qs), u"1"_qs);
    EXPECT_EQ(context->fetch(schema::settings)->size(), 4) << "the second write updated in place";
    EXPECT_FALSE(ws->readSetting(u"terminationStyle"_qs).has_value());
    EXPECT_EQ(ws->settingValue(u"termination"_qs), u"0"_qs);
    ws->writeSetting(u"terminationStyle"_qs, u"1"_qs);
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
