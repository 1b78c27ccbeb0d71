// The stored placements, the Creator's and Editor's caches and the table the
// launch reads.
#include "support/PositionCaches.h"
#include "support/QtPrinters.h"
#include "support/RunSql.h"

#include <gtest/gtest.h>
#include <thread>

using namespace dexaro;

namespace {

const QString gedit = QStringLiteral("file:///usr/share/applications/org.gnome.gedit.desktop");
const QString xterm = QStringLiteral("file:///usr/share/applications/debian-uxterm.desktop");
const QString clock = QStringLiteral("file:///usr/share/applications/xclock.desktop");
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
    PositionMap stored(const QString& ws) { return readPlacementString(*db.positionsOf(ws)); }
};

TEST_F(PositionStores, SavesUpdateTheFirstRecordAndReadsOfAllTakeTheLastNamingNoIdentifierDd) {
    // What positionsOf() reads for each workspace, "none" for nothing.
    const auto reads = [&](const QStringList& workspaces) {
        QStringList out;
        for (const QString& ws : workspaces)
            out << db.positionsOf(ws).value_or(QStringLiteral("none"));
        return out;
    };
    EXPECT_TRUE(db.save(ws1, QStringLiteral("1==2;;")));
    EXPECT_TRUE(db.save(ws1, QStringLiteral("3==4;;")));
    EXPECT_TRUE(db.save(ws2, QString()));
    EXPECT_FALSE(db.save(QString(), QString()));
    EXPECT_EQ(store->fetch(schema::positions)->size(), 2);
    EXPECT_EQ(reads({ws1, ws2, u"ws3"_qs}), (QStringList{u"3==4;;"_qs, u""_qs, u"none"_qs}));

    sql("INSERT INTO PositionsEntity (wsID, appPositions) VALUES (NULL, '5==1;;'), "
        "('a', '1==2;;'), ('a', '1==3;;'), ('b', NULL);");
    EXPECT_EQ(db.fetchAll(), (QHash<QString, QString>{{u"dd"_qs, u"5==1;;"_qs},
                                                      {u"a"_qs, u"1==3;;"_qs},
                                                      {u"b"_qs, QString()},
                                                      {ws1, u"3==4;;"_qs},
                                                      {ws2, QString()}}));
    // Reads of one workspace use its first record.
    EXPECT_EQ(reads({u"a"_qs, u"b"_qs}), (QStringList{u"1==2;;"_qs, u"none"_qs}));
    EXPECT_TRUE(alerts.shown.isEmpty());
}

TEST_F(PositionStores, StoreFailuresAreShownAndReported) {
    sql("CREATE TRIGGER refuse BEFORE INSERT ON PositionsEntity "
        "BEGIN SELECT RAISE(ABORT, 'disk refused'); END;");
    EXPECT_FALSE(db.save(ws1, QStringLiteral("1==2;;")));
    ASSERT_EQ(alerts.shown.size(), 1);
    EXPECT_TRUE(alerts.shown[0].informative.contains(QStringLiteral("disk refused")));

    store->rollback();
    sql("DROP TRIGGER refuse; ALTER TABLE PositionsEntity RENAME TO Gone;");
    EXPECT_TRUE(db.fetchAll().isEmpty());
    EXPECT_FALSE(db.positionsOf(ws1).has_value());
    EXPECT_FALSE(db.save(ws1, QStringLiteral("1==2;;")));
    EXPECT_FALSE(db.remove(ws1));
    EXPECT_EQ(alerts.shown.size(), 5) << "every failure is shown";
}

TEST_F(PositionStores, CreatorStoresOnlySelectedApplicationsAndCarriesChoicesOver) {
    creator.setPosition(gedit, rawValue(PositionName::leftHalf));
    creator.setPosition(xterm, rawValue(PositionName::rightHalf));
    EXPECT_TRUE(creator.save(ws1, {gedit, clock}));
    EXPECT_EQ(stored(ws1), (PositionMap{{appPositionKey(gedit), 2}}));
    EXPECT_EQ(creator.positionsCache, stored(ws1)); // xterm was dropped at this save
    EXPECT_EQ(holder.positionForApp(ws1, gedit), PositionName::leftHalf);
    EXPECT_EQ(holder.positionForApp(ws1, xterm), PositionName::def);
    // Deleted, it keeps answering from the table until the next start.
    EXPECT_TRUE(db.remove(ws1));
    EXPECT_EQ(holder.positionForApp(ws1, gedit), PositionName::leftHalf);

    // No selected application has a placement: nothing is stored.
    EXPECT_TRUE(creator.save(ws2, {xterm}));
    EXPECT_FALSE(db.positionsOf(ws2).has_value());
    EXPECT_TRUE(creator.positionsCache.isEmpty());
    EXPECT_TRUE(alerts.shown.isEmpty());
}

TEST_F(PositionStores, EditorLoadsOnceRecordsOnlyIntoLoadedWorkspacesAndSavesTheSelected) {
    ASSERT_TRUE(db.save(ws1, placements({{gedit, 3}}) + QStringLiteral(";;junk;;")));
    // Not loaded: choices are dropped, and a save is refused with an alert.
    editor.setPosition(ws1, xterm, 7);
    EXPECT_FALSE(editor.positionOf(ws1, gedit).has_value());
    EXPECT_FALSE(editor.save(ws1, {gedit}));
    EXPECT_EQ(alerts.shown.size(), 1);

    EXPECT_EQ(editor.positionsFor(ws1), (PositionMap{{appPositionKey(gedit), 3}}));
    editor.setPosition(ws1, xterm, 7);
    editor.setPosition(ws1, clock, 9);
    // A later change in the store is not seen again.
    ASSERT_TRUE(db.save(ws1, QString()));
    EXPECT_EQ(editor.positionsFor(ws1).size(), 3);

    EXPECT_TRUE(editor.save(ws1, {gedit, xterm}));
    EXPECT_EQ(stored(ws1), readPlacementString(placements({{gedit, 3}, {xterm, 7}})));
    EXPECT_EQ(holder.positionForApp(ws1, xterm), PositionName::topRight);
    EXPECT_EQ(holder.positionForApp(ws1, clock), PositionName::def);

    // A workspace without a record starts empty and gets one at its first save.
    EXPECT_TRUE(editor.positionsFor(ws2).isEmpty());
    EXPECT_TRUE(editor.save(ws2, {}));
    EXPECT_EQ(db.positionsOf(ws2), QStringLiteral(""));
}

TEST(AllPositions, LookupsFallBackToDefaultAndLoadsMerge) {
    AllPositionsHolder holder;
    holder.loadAllPositions({{ws1, placements({{gedit, 15}, {xterm, -1}, {clock, 9}})}});
    EXPECT_EQ(holder.positionForApp(ws1, gedit), PositionName::def);
    EXPECT_EQ(holder.positionForApp(ws1, xterm), PositionName::def);
    EXPECT_EQ(holder.positionForApp(ws2, clock), PositionName::def);
    // Loading merges: other keys stay, present keys are overwritten.
    holder.loadAllPositions({{ws1, placements({{gedit, 2}})}});
    EXPECT_EQ(holder.positionForApp(ws1, gedit), PositionName::leftHalf);
    EXPECT_EQ(holder.positionForApp(ws1, clock), PositionName::bottomRight);
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
