// The application picker: picking survives searches and rescans, the search's
// races, icons that cannot be read, and the placement buttons.
#include "authoring/AppIconLoader.h"
#include "authoring/AppListCollectionView.h"

#include <QImage>
#include <QLineEdit>
#include <QListView>
#include <QTest>
#include <QToolButton>
#include <gtest/gtest.h>

#include "support/AppFolderTree.h"
#include "support/AppLists.h"
#include "support/ManualExecutor.h"
#include "support/PositionCaches.h"
#include "support/QtPrinters.h"
#include "support/Wait.h"

using namespace dexaro;
using test::appList;
using test::appURLFor;
using test::appURLsFor;
using test::namesOf;

namespace {

const QStringList names = {"Safari", "Mail", "Maps", "Safari Technology Preview", "Terminal"};

class Picker : public testing::Test {
protected:
    void SetUp() override {
        picker.search().setExecutor(jobs.executor());
        picker.setInstalledApps(appList(names));
        picker.resize(700, 500);
        picker.show();
    }

    // Types text and lets every search started finish.
    void type(const QString& text) {
        picker.searchField()->setText(text);
        finishSearches();
    }
    void finishSearches() {
        jobs.runAll();
        QCoreApplication::processEvents();
    }
    void click(const QString& name) {
        QListView* grid = picker.gridView();
        const int row = int(namesOf(picker.installedApps()).indexOf(name));
        ASSERT_GE(row, 0) << name.toStdString();
        const QRect tile = grid->visualRect(grid->model()->index(row, 0));
        QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, tile.center());
    }
    // The names of the tiles the view shows selected.
    QStringList selectedTiles() {
        QStringList shown;
        for (const QModelIndex& index : picker.gridView()->selectionModel()->selectedIndexes())
            shown.append(index.data().toString());
        shown.sort();
        return shown;
    }

    test::ManualExecutor jobs;
    test::PositionCaches caches;
    AppListCollectionView picker{PositionPopoverWindowType::create};
};

// Whatever the case and the blanks around it.
TEST_F(Picker, TheTextTypedLastWinsWhicheverSearchFinishesLast) {
    const struct { QList<int> finishingOrder; } cases[] = {{{0, 1}}, {{1, 0}}};
    for (const auto& c : cases) {
        picker.clearSearch();
        const int first = jobs.count();
        picker.searchField()->setText(QStringLiteral("ma"));
        picker.searchField()->setText(QStringLiteral(" SAF "));
        for (int job : c.finishingOrder) {
            jobs.run(first + job);
            QCoreApplication::processEvents();
        }
        EXPECT_EQ(namesOf(picker.installedApps()),
                  QStringList({"Safari", "Safari Technology Preview"}));
    }
    // Clearing the field wins over a search still under way.
    const int pending = jobs.count();
    picker.searchField()->setText(QStringLiteral("term"));
    picker.searchField()->setText(QStringLiteral("  "));
    jobs.run(pending);
    QCoreApplication::processEvents();
    EXPECT_EQ(namesOf(picker.installedApps()), names);
}

TEST(PickerSearch, ResultsComeBackFromTheSearchPoolToTheGrid) {
    AppListCollectionView picker(PositionPopoverWindowType::editor);
    picker.setInstalledApps(appList(names));
    picker.searchField()->setText(QStringLiteral("map"));
    picker.searchField()->setText(QStringLiteral("saf"));
    EXPECT_TRUE(test::waitUntil([&] { return picker.installedApps().size() == 2; }));
    EXPECT_EQ(picker.gridView()->model()->rowCount(), 2);
}

// Clicks on filtered tiles toggle their own applications (not the ones at the
// same rows of the whole list); picks survive searches and rescans.
TEST_F(Picker, PicksFollowTheirApplicationsThroughSearchesAndRescans) {
    click(QStringLiteral("Safari"));
    type(QStringLiteral("ma"));
    click(QStringLiteral("Maps")); // second tile now; Mail sits there in the whole list
    click(QStringLiteral("Mail"));
    EXPECT_EQ(picker.selectedAppURLs(), appURLsFor({"Safari", "Maps", "Mail"}));
    click(QStringLiteral("Mail")); // and dropped again
    type(QStringLiteral("saf"));
    EXPECT_EQ(picker.selectedAppURLs(), appURLsFor({"Safari", "Maps"}));
    type(QString());
    EXPECT_EQ(selectedTiles(), QStringList({"Maps", "Safari"}));

    // A rescan without Maps: it is not shown, Safari stays picked, and the
    // search typed is applied to the new list.
    type(QStringLiteral("a"));
    picker.setInstalledApps(appList({"Mail", "Safari", "Calendar", "Xterm"}));
    finishSearches();
    EXPECT_EQ(namesOf(picker.installedApps()), QStringList({"Mail", "Safari", "Calendar"}));
    EXPECT_EQ(selectedTiles(), QStringList({"Safari"}));
    // Maps stays in the selection the screens save: it is not the picker's to drop.
    EXPECT_EQ(picker.selectedAppURLs(), appURLsFor({"Safari", "Maps"}));
}

TEST(PickerIcons, IconsAreDecodedAtTileSizeAndBadFilesGiveAnEmptyImage) {
    test::AppFolderTree t;
    const auto url = [&](const char* name) {
        return QUrl::fromLocalFile(t.path(name)).toString();
    };
    QImage big(512, 256, QImage::Format_ARGB32);
    big.fill(Qt::red);
    ASSERT_TRUE(big.save(t.path("big.png")));
    t.file("absurd.ppm", "P6\n100000 100000\n255\n"); // states a huge size, holds nothing
    t.file("huge.svg", "<svg xmlns='http://www.w3.org/2000/svg' width='20000' height='10000'>"
                       "<rect width='20000' height='10000' fill='red'/></svg>");
    t.file("broken.png", "\x89PNG\r\n\x1a\nnot really");
    // A location that gives no image leaves the tile with its name only.
    const struct {
        QString location;
        QSize expected; // empty: an empty image
    } cases[] = {
        {url("big.png"), {56, 28}},  {url("missing.png"), {}}, {url("absurd.ppm"), {}},
        {url("huge.svg"), {56, 28}}, {url("broken.png"), {}},
    };
    for (const auto& c : cases) {
        const QImage image = AppIconLoader::load(c.location, QSize(56, 56));
        EXPECT_EQ(image.isNull() ? QSize() : image.size(), c.expected) << c.location.toStdString();
    }
}

// The choice lands in the cache and on the tile even when a rescan replaced
// the button while the placement picker was open.
TEST_F(Picker, TheButtonOfAPickedTileRecordsItsChoiceAcrossARescan) {
    const QString mail = appURLFor(QStringLiteral("Mail"));
    click(QStringLiteral("Mail"));
    EXPECT_EQ(picker.positioningButton(appURLFor(QStringLiteral("Maps"))), nullptr);
    picker.setPositionCaches(&caches.creator, nullptr);
    QTest::mouseClick(picker.positioningButton(mail), Qt::LeftButton);
    ASSERT_TRUE(picker.positionsPopover()->isVisible());
    picker.setInstalledApps(appList(names));
    finishSearches();
    picker.positionsPopover()->list()->selectItem(5);
    EXPECT_EQ(caches.creator.positionsCache.value(appPositionKey(mail)), 5);
    EXPECT_EQ(picker.positioningButton(mail)->toolTip(), QStringLiteral("Bottom half"));
    EXPECT_EQ(picker.selectedAppURLs(), appURLsFor({"Mail"})); // the tile was not toggled
    picker.positionsPopover()->hide();
}

TEST_F(Picker, TheEditorsButtonsRecordForTheWorkspaceShown) {
    AppListCollectionView editorPicker(PositionPopoverWindowType::editor);
    editorPicker.setInstalledApps(appList(names));
    caches.editor.currentSelectedWSID = QStringLiteral("ws1");
    caches.editor.positionsFor(QStringLiteral("ws1"));
    editorPicker.setPositionCaches(nullptr, &caches.editor);
    const QString maps = appURLFor(QStringLiteral("Maps"));
    editorPicker.setSelectedAppURLs({maps});
    editorPicker.show();
    QTest::mouseClick(editorPicker.positioningButton(maps), Qt::LeftButton);
    editorPicker.positionsPopover()->list()->selectItem(6);
    EXPECT_EQ(caches.editor.positionOf(QStringLiteral("ws1"), maps), 6);
    EXPECT_TRUE(caches.creator.positionsCache.isEmpty());
    EXPECT_EQ(editorPicker.positioningButton(maps)->toolTip(), QStringLiteral("Top left"));
}

} // namespace
