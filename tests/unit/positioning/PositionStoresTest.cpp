// The stored placements, the Creator's and Editor's caches and the table the
// launch reads.
#include "model/WorkspaceStore.h"
#include "positioning/AllPositionsHolder.h"
#include "positioning/PositionsDBManager.h"
#include "positioning/WSCreatorPositionManager.h"
#include "positioning/WSEditorPositionManager.h"
#include "support/RecordingAlerts.h"
#include "support/RunSql.h"

#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <sqlite3.h>
#include <thread>

using namespace dexaro;

namespace {

const QString gedit = QStringLiteral("file:///usr/share/applications/org.gnome.gedit.desktop");
const QString xterm = QStringLiteral("file:///usr/share/applications/debian-uxterm.desktop");
const QString clock = QStringLiteral("file:///usr/share/applications/xclock.desktop");

class PositionStores : public testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(dir.isValid());
        QString error;
        store = WorkspaceStore::openStore(path(), &error);
        ASSERT_TRUE(store) << qPrintable(error);
        db = std::make_unique<PositionsDBManager>(*store, alerts);
    }

    QString path() const { return dir.filePath(QStringLiteral("Dexaro.sqlite")); }

    void sql(const char* statement) { test::runSql(path(), statement); }

    QTemporaryDir dir;
    std::unique_ptr<ObjectStore> store;
    test::RecordingAlerts alerts;
    std::unique_ptr<PositionsDBManager> db;
    AllPositionsHolder holder;
};

TEST_F(PositionStores, SavesUpdateTheFirstRecordAndReadsOfAllTakeTheLastNamingNoIdentifierDd) {
    EXPECT_TRUE(db->save(QStringLiteral("ws1"), QStringLiteral("1==2;;")));
    EXPECT_TRUE(db->save(QStringLiteral("ws1"), QStringLiteral("3==4;;")));
    EXPECT_TRUE(db->save(QStringLiteral("ws2"), QString()));
    EXPECT_FALSE(db->save(QString(), QString()));
    EXPECT_EQ(store->fetch(schema::positions)->size(), 2);
    EXPECT_EQ(db->positionsOf(QStringLiteral("ws1")), QStringLiteral("3==4;;"));
    EXPECT_EQ(db->positionsOf(QStringLiteral("ws2")), QStringLiteral(""));
    EXPECT_FALSE(db->positionsOf(QStringLiteral("ws3")).has_value());
    EXPECT_TRUE(alerts.shown.isEmpty());

    sql("INSERT INTO PositionsEntity (wsID, appPositions) VALUES (NULL, '5==1;;');"
        "INSERT INTO PositionsEntity (wsID, appPositions) VALUES ('a', '1==2;;');"
        "INSERT INTO PositionsEntity (wsID, appPositions) VALUES ('a', '1==3;;');"
        "INSERT INTO PositionsEntity (wsID, appPositions) VALUES ('b', NULL);");
    const auto all = db->fetchAll();
    EXPECT_EQ(all.value(QStringLiteral("dd")), QStringLiteral("5==1;;"));
    EXPECT_EQ(all.value(QStringLiteral("a")), QStringLiteral("1==3;;"));
    EXPECT_TRUE(all.contains(QStringLiteral("b")));
    // Reads of one workspace use its first record.
    EXPECT_EQ(db->positionsOf(QStringLiteral("a")), QStringLiteral("1==2;;"));
    EXPECT_FALSE(db->positionsOf(QStringLiteral("b")).has_value());
}

TEST_F(PositionStores, StoreFailuresAreShownAndReported) {
    sql("CREATE TRIGGER refuse BEFORE INSERT ON PositionsEntity "
        "BEGIN SELECT RAISE(ABORT, 'disk refused'); END;");
    EXPECT_FALSE(db->save(QStringLiteral("ws1"), QStringLiteral("1==2;;")));
    ASSERT_EQ(alerts.shown.size(), 1);
    EXPECT_TRUE(alerts.shown[0].informative.contains(QStringLiteral("disk refused")));

    store->rollback();
    sql("DROP TRIGGER refuse; ALTER TABLE PositionsEntity RENAME TO Gone;");
    alerts.shown.clear();
    EXPECT_TRUE(db->fetchAll().isEmpty());
    EXPECT_FALSE(db->positionsOf(QStringLiteral("ws1")).has_value());
    EXPECT_FALSE(db->save(QStringLiteral("ws1"), QStringLiteral("1==2;;")));
    EXPECT_FALSE(db->remove(QStringLiteral("ws1")));
    EXPECT_EQ(alerts.shown.size(), 4) << "every failure is shown";
}

TEST_F(PositionStores, CreatorStoresOnlySelectedApplicationsAndCarriesChoicesOver) {
    WSCreatorPositionManager creator(*db, holder);
    creator.setPosition(gedit, rawValue(PositionName::leftHalf));
    creator.setPosition(xterm, rawValue(PositionName::rightHalf));
    EXPECT_TRUE(creator.save(QStringLiteral("ws1"), {gedit, clock}));

    const PositionMap stored = readPlacementString(*db->positionsOf(QStringLiteral("ws1")));
    EXPECT_EQ(stored, (PositionMap{{appPositionKey(gedit), 2}}));
    EXPECT_EQ(creator.positionsCache, stored); // xterm was dropped at this save
    EXPECT_EQ(holder.positionForApp(QStringLiteral("ws1"), gedit), PositionName::leftHalf);
    EXPECT_EQ(holder.positionForApp(QStringLiteral("ws1"), xterm), PositionName::def);
    // Deleted, it keeps answering from the table until the next start.
    EXPECT_TRUE(db->remove(QStringLiteral("ws1")));
    EXPECT_EQ(holder.positionForApp(QStringLiteral("ws1"), gedit), PositionName::leftHalf);

    // No selected application has a placement: nothing is stored.
    EXPECT_TRUE(creator.save(QStringLiteral("ws2"), {xterm}));
    EXPECT_FALSE(db->positionsOf(QStringLiteral("ws2")).has_value());
    EXPECT_TRUE(creator.positionsCache.isEmpty());
    EXPECT_TRUE(alerts.shown.isEmpty());
}

TEST_F(PositionStores, EditorLoadsOnceRecordsOnlyIntoLoadedWorkspacesAndSavesTheSelected) {
    ASSERT_TRUE(db->save(QStringLiteral("ws1"),
                         QStringLiteral("%1==3;;;;junk;;").arg(appPositionKey(gedit))));
    WSEditorPositionManager editor(*db, holder);

    // Not loaded: choices are dropped, and a save is refused with an alert.
    editor.setPosition(QStringLiteral("ws1"), xterm, 7);
    EXPECT_FALSE(editor.positionOf(QStringLiteral("ws1"), gedit).has_value());
    EXPECT_FALSE(editor.save(QStringLiteral("ws1"), {gedit}));
    EXPECT_EQ(alerts.shown.size(), 1);

    EXPECT_EQ(editor.positionsFor(QStringLiteral("ws1")),
              (PositionMap{{appPositionKey(gedit), 3}}));
    editor.setPosition(QStringLiteral("ws1"), xterm, 7);
    editor.setPosition(QStringLiteral("ws1"), clock, 9);
    EXPECT_EQ(editor.positionOf(QStringLiteral("ws1"), xterm), 7);

    // A later change in the store is not seen again.
    ASSERT_TRUE(db->save(QStringLiteral("ws1"), QString()));
    EXPECT_EQ(editor.positionsFor(QStringLiteral("ws1")).size(), 3);

    EXPECT_TRUE(editor.save(QStringLiteral("ws1"), {gedit, xterm}));
    EXPECT_EQ(readPlacementString(*db->positionsOf(QStringLiteral("ws1"))),
              (PositionMap{{appPositionKey(gedit), 3}, {appPositionKey(xterm), 7}}));
    EXPECT_EQ(holder.positionForApp(QStringLiteral("ws1"), xterm), PositionName::topRight);
    EXPECT_EQ(holder.positionForApp(QStringLiteral("ws1"), clock), PositionName::def);

    // A workspace without a record starts empty and gets one at its first save.
    EXPECT_TRUE(editor.positionsFor(QStringLiteral("ws2")).isEmpty());
    EXPECT_TRUE(editor.save(QStringLiteral("ws2"), {}));
    EXPECT_EQ(db->positionsOf(QStringLiteral("ws2")), QStringLiteral(""));
}

TEST(AllPositions, LookupsFallBackToDefault) {
    AllPositionsHolder holder;
    const QString ws = QStringLiteral("-42");
    holder.loadAllPositions({{ws, QStringLiteral("%1==15;;%2==-1;;%3==9;;")
                                      .arg(appPositionKey(gedit))
                                      .arg(appPositionKey(xterm))
                                      .arg(appPositionKey(clock))}});
    EXPECT_EQ(holder.positionForApp(ws, gedit), PositionName::def);
    EXPECT_EQ(holder.positionForApp(ws, xterm), PositionName::def);
    EXPECT_EQ(holder.positionForApp(ws, clock), PositionName::bottomRight);
    EXPECT_EQ(holder.positionForApp(QStringLiteral("never stored"), clock), PositionName::def);

    // Loading merges: other keys stay, present keys are overwritten.
    holder.loadAllPositions({{ws, QStringLiteral("%1==2;;").arg(appPositionKey(gedit))}});
    EXPECT_EQ(holder.positionForApp(ws, gedit), PositionName::leftHalf);
    EXPECT_EQ(holder.positionForApp(ws, clock), PositionName::bottomRight);
}

TEST(AllPositions, ReadersSeeConsistentValuesWhileTheMainThreadWrites) {
    AllPositionsHolder holder;
    std::atomic<bool> stop{false};
    std::atomic<int> invalid{0};
    std::thread reader([&] {
        while (!stop) {
            const PositionName p = holder.positionForApp(QStringLiteral("ws"), gedit);
            if (p != PositionName::def && p != PositionName::leftHalf && p != PositionName::topLeft)
                ++invalid;
        }
    });
    for (int i = 0; i < 20000; ++i) {
        holder.setAppPosition(QStringLiteral("ws"), appPositionKey(gedit), i % 2 ? 2 : 6);
        holder.setAppPosition(QStringLiteral("ws%1").arg(i % 97), i, 1);
    }
    stop = true;
    reader.join();
    EXPECT_EQ(invalid, 0);
}

} // namespace
