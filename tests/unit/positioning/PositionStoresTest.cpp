// The stored placements, the Editor's cache and the table the launch reads.
// The Creator's cache is checked through the Creator's saves.
#include "support/PositionCaches.h"
#include "support/QtPrinters.h"
#include "support/RunSql.h"

#include <gtest/gtest.h>
#include <thread>

using namespace dexaro;

namespace {

const QString gedit = QStringLiteral("file:///dexaro-test/applications/org.gnome.gedit.desktop");
const QString xterm = QStringLiteral("file:///dexaro-test/applications/debian-uxterm.desktop");
const QString clock = QStringLiteral("file:///dexaro-test/applications/xclock.desktop");
const QString ws1 = QStringLiteral("ws1"), ws2 = QStringLiteral("ws2");

QString placements(const QList<std::pair<QString, int>>& apps) {
    QString text;
    for (const auto& [app, raw] : apps)
        text += QStringLiteral("%1==%2;;").arg(appPositionKey(app)).arg(raw);
    return text;
}

struct PositionStores : testing::Test, test::PositionCaches {
    void sql(const char* statement) {
        test::runSql(dir.filePath(QStringLiteral("Dexaro.sqlite")), statement);
    }
    // What the launch finds for each application of ws1.
    QList<PositionName> launchReads() {
        QList<PositionName> out;
        for (const QString& app : {gedit, xterm, clock})
            out << holder.positionForApp(ws1, app);
        return out;
    }
};

// Saves update the first record of a workspace; start-up reads every record,
// twins and records without identifier included, and values out of range
// leave the window where it is.
TEST_F(PositionStores, SavesUpdateTheFirstRecordAndStartUpReadsEveryRecordIntoTheTable) {
    const QString stored = placements({{gedit, 15}, {xterm, -1}, {clock, 9}});
    EXPECT_TRUE(db.save(ws1, QStringLiteral("1==2;;")));
    EXPECT_TRUE(db.save(ws1, stored));
    EXPECT_FALSE(db.save(QString(), QString()));
    EXPECT_EQ(store->fetch(schema::positions)->size(), 1);
    sql("INSERT INTO PositionsEntity (wsID, appPositions) VALUES (NULL, '5==1;;'), "
        "('a', '1==2;;'), ('a', '1==3;;'), ('b', NULL);");
    EXPECT_EQ(db.fetchAll(), (QHash<QString, QString>{{u"dd"_qs, u"5==1;;"_qs},
                                                      {u"a"_qs, u"1==3;;"_qs},
                                                      {u"b"_qs, QString()},
                                                      {ws1, stored}}));
    // Reads of one workspace use its first record.
    EXPECT_EQ(db.positionsOf(u"a"_qs), u"1==2;;"_qs);
    EXPECT_FALSE(db.positionsOf(u"b"_qs).has_value());

    holder.loadAllPositions(db.fetchAll());
    EXPECT_EQ(launchReads(), (QList<PositionName>{PositionName::def, PositionName::def,
                                                  PositionName::bottomRight}));
    EXPECT_EQ(holder.positionForApp(ws2, clock), PositionName::def);
    EXPECT_TRUE(alerts.shown.isEmpty());
}

TEST_F(PositionStores, StoreFailuresAreShownAndReported) {
    sql("CREATE TRIGGER refuse BEFORE INSERT ON PositionsEntity "
        "BEGIN SELECT RAISE(ABORT, 'disk refused'); END;");
    EXPECT_FALSE(db.save(ws1, QStringLiteral("1==2;;")));
    ASSERT_EQ(alerts.shown.size(), 1);
    EXPECT_TRUE(alerts.shown[0].informative.contains(QStringLiteral("disk refused")));

    // What was refused is not written by the next save of something else.
    sql("DROP TRIGGER refuse;");
    EXPECT_TRUE(store->save(nullptr));
    EXPECT_FALSE(db.positionsOf(ws1).has_value());

    sql("ALTER TABLE PositionsEntity RENAME TO Gone;");
    EXPECT_TRUE(db.fetchAll().isEmpty());
    EXPECT_FALSE(db.positionsOf(ws1).has_value());
    EXPECT_FALSE(db.save(ws1, QStringLiteral("1==2;;")));
    EXPECT_FALSE(db.remove(ws1));
    EXPECT_EQ(alerts.shown.size(), 5) << "every failure is shown";
}

// The Editor records only into workspaces it loaded, and keeps the selected
// applications' placements for the save (which the catalog writes).
TEST_F(PositionStores, EditorRecordsOnlyIntoLoadedWorkspacesAndKeepsTheSelected) {
    ASSERT_TRUE(db.save(ws1, placements({{gedit, 3}})));
    editor.setPosition(ws1, xterm, 7); // not loaded: dropped
    EXPECT_FALSE(editor.placementsFor(ws1, {gedit}).has_value());

    EXPECT_EQ(editor.positionsFor(ws1), (PositionMap{{appPositionKey(gedit), 3}}));
    editor.setPosition(ws1, xterm, 7);
    editor.setPosition(ws1, clock, 9);
    EXPECT_EQ(editor.placementsFor(ws1, {gedit, xterm}),
              readPlacementString(placements({{gedit, 3}, {xterm, 7}})));
    EXPECT_EQ(editor.positionsFor(ws1), readPlacementString(placements({{gedit, 3}, {xterm, 7}})))
        << "the unselected one is gone from the cache too";
    // A workspace without a record starts empty.
    EXPECT_TRUE(editor.positionsFor(ws2).isEmpty());
    EXPECT_EQ(editor.placementsFor(ws2, {}), PositionMap{});
}

TEST(AllPositions, ReadersSeeConsistentValuesWhileTheMainThreadWrites) {
    AllPositionsHolder holder;
    std::atomic<bool> stop{false};
    std::atomic<int> invalid{0};
    std::thread reader([&] {
        while (!stop) {
            const PositionName p = holder.positionForApp(ws1, gedit);
            if (p != PositionName::def && p != PositionName::leftHalf && p != PositionName::topLeft)
                ++invalid;
        }
    });
    for (int i = 0; i < 20000; ++i) {
        holder.setAppPosition(ws1, appPositionKey(gedit), i % 2 ? 2 : 6);
        holder.setAppPosition(QStringLiteral("ws%1").arg(i % 97), i, 1);
    }
    stop = true;
    reader.join();
    EXPECT_EQ(invalid, 0);
}

} // namespace
