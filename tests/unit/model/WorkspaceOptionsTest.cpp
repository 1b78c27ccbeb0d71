// Monitors, desktops and start-up in Dexaro's own table: a store from before
// it keeps its tables as they were, and each workspace's rows read back as
// written, go with the workspace and survive bad text.
#include "model/WorkspaceOptionsStore.h"
#include "model/WorkspaceStore.h"
#include "support/QtPrinters.h"
#include "support/RecordingAlerts.h"
#include "support/RunSql.h"

#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace dexaro;

namespace {

QList<QStringList> columns(const QString& path, const char* table) {
    return test::querySql(path,
                          QByteArray("SELECT name, type FROM pragma_table_info('") + table + "')");
}

class WorkspaceOptionsTest : public ::testing::Test {
protected:
    void open() {
        options.reset();
        context.reset();
        QString error;
        context = WorkspaceStore::openStore(path, &error);
        ASSERT_TRUE(context) << error.toStdString();
        options = std::make_unique<WorkspaceOptionsStore>(*context);
    }
    QHash<QString, WorkspaceOptions> all() { return options->fetchAll().value(); }

    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("Dexaro.sqlite"));
    std::unique_ptr<ObjectStore> context;
    std::unique_ptr<WorkspaceOptionsStore> options;
};

} // namespace

TEST_F(WorkspaceOptionsTest, AStoreFromBeforeReadsAsBeforeAndGainsOnlyTheNewTable) {
    // As the first version wrote it: three tables, user_version 1.
    test::runSql(path,
                 "CREATE TABLE Workspaces (id TEXT, name TEXT, date_add REAL, apps TEXT, urls "
                 "TEXT, file_urls TEXT);"
                 "CREATE TABLE Settings (name TEXT, value TEXT);"
                 "CREATE TABLE PositionsEntity (wsID TEXT, appPositions TEXT);"
                 "INSERT INTO Workspaces VALUES ('7', 'Work', 1.5e9, 'file:///a.desktop', '', '');"
                 "INSERT INTO PositionsEntity VALUES ('7', '12==2;;');"
                 "PRAGMA user_version=1;");
    const auto before = {columns(path, "Workspaces"), columns(path, "Settings"),
                         columns(path, "PositionsEntity")};
    open();
    test::RecordingAlerts alerts;
    WorkspaceStore store(*context, alerts);
    const auto list = store.loadWorkspaceList().value();
    ASSERT_EQ(list.size(), 1);
    EXPECT_EQ(list[0]->apps, QStringList{QStringLiteral("file:///a.desktop")});
    EXPECT_TRUE(all().isEmpty()) << "no options: the workspace behaves as before";
    const auto after = {columns(path, "Workspaces"), columns(path, "Settings"),
                        columns(path, "PositionsEntity")};
    EXPECT_TRUE(std::equal(before.begin(), before.end(), after.begin()));
    EXPECT_EQ(test::querySql(path, "PRAGMA user_version"), QList<QStringList>{{"2"}});
    EXPECT_EQ(test::querySql(path, "SELECT appPositions FROM PositionsEntity"),
              QList<QStringList>{{"12==2;;"}});
    EXPECT_EQ(columns(path, "WorkspaceOptions").size(), 5);
    // A later version's number is never lowered.
    context.reset();
    test::runSql(path, "PRAGMA user_version=5");
    open();
    EXPECT_EQ(test::querySql(path, "PRAGMA user_version"), QList<QStringList>{{"5"}});
}

TEST_F(WorkspaceOptionsTest, RowsReadBackAsWrittenGoWithTheirWorkspaceAndBadTextFallsBack) {
    open();
    WorkspaceOptions work;
    work.switchOnAtStart = true;
    work.startDesktop = 2;
    work.apps.insert(-5, {QStringLiteral("DP-2"), desktops::all});
    work.apps.insert(9, {{}, 3});
    work.apps.insert(11, {}); // all defaults: no row
    WorkspaceOptions other;
    other.apps.insert(9, {QStringLiteral("HDMI-1"), desktops::current});
    ASSERT_TRUE(options->save(QStringLiteral("w"), work));
    ASSERT_TRUE(options->save(QStringLiteral("o"), other));
    work.apps.remove(11);
    EXPECT_EQ(all().value(QStringLiteral("w")), work);
    EXPECT_EQ(all().value(QStringLiteral("o")), other);
    EXPECT_EQ(test::querySql(path, "SELECT appKey, monitor, desktop, atStart FROM "
                                   "WorkspaceOptions WHERE wsID = 'w' ORDER BY appKey"),
              (QList<QStringList>{{"NULL", "NULL", "2", "1"},
                                  {"-5", "DP-2", "all", "NULL"},
                                  {"9", "NULL", "3", "NULL"}}));

    // Saving again replaces; defaults leave no row; removing takes only its own.
    work.apps.remove(-5);
    ASSERT_TRUE(options->save(QStringLiteral("w"), work));
    EXPECT_EQ(all().value(QStringLiteral("w")), work);
    ASSERT_TRUE(options->save(QStringLiteral("o"), {}));
    EXPECT_FALSE(all().contains(QStringLiteral("o")));
    ASSERT_TRUE(options->remove(QStringLiteral("w")));
    EXPECT_TRUE(all().isEmpty());

    // Text another program or a damaged file left: a row without workspace or
    // with a key that is no number is skipped, a desktop that does not read
    // is the current one.
    test::runSql(path, "INSERT INTO WorkspaceOptions VALUES (NULL, '1', 'DP-1', '1', NULL);"
                       "INSERT INTO WorkspaceOptions VALUES ('b', 'x', 'DP-1', '1', NULL);"
                       "INSERT INTO WorkspaceOptions VALUES ('b', '4', 'DP-1', 'banana', NULL);"
                       "INSERT INTO WorkspaceOptions VALUES ('b', '5', NULL, '-7', NULL);"
                       "INSERT INTO WorkspaceOptions VALUES ('b', NULL, NULL, ' ALL ', 'yes');");
    open();
    WorkspaceOptions bad;
    bad.startDesktop = desktops::all;
    bad.apps.insert(4, {QStringLiteral("DP-1"), desktops::current});
    EXPECT_EQ(all(), (QHash<QString, WorkspaceOptions>{{QStringLiteral("b"), bad}}));
}
