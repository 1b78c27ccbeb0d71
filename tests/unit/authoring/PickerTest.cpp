// The application picker: picking survives searches and rescans, the search's
// races, icons that cannot be read, and the placement buttons.
#include "authoring/AppIconLoader.h"
#include "authoring/AppListCollectionView.h"
#include "authoring/SearchBar.h"

#include <QFocusEvent>
#include <QHash>
#include <QImage>
#include <QLineEdit>
#include <QListView>
#include <QTest>
#include <QToolButton>
#include <QUrl>
#include <gtest/gtest.h>

#include "support/AppFolderTree.h"
#include "support/PositionCaches.h"
#include "support/QtPrinters.h"
#include "support/Wait.h"

using namespace dexaro;

namespace {

const QStringList names = {"Safari", "Mail", "Maps", "Safari Technology Preview", "Terminal"};

// Applications as a scan hands them over, with icons that cannot be read; the
// picker keeps their URLs as opaque keys, here their names.
QList<AppListModel> appList(const QStringList& names) {
    QList<AppListModel> apps;
    for (const QString& name : names)
        apps.append({name, name, "file:///nonexistent/" + name + ".png"});
    return apps;
}
QStringList namesOf(const QList<AppListModel>& apps) {
    QStringList shown;
    for (const AppListModel& app : apps)
        shown.append(app.appName);
    return shown;
}

class Picker : public testing::Test {
protected:
    void SetUp() override {
        // The searches are run by the test, in the order it chooses.
        picker.search().setExecutor(
            [this](std::function<void()> job) { jobs.append(std::move(job)); });
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
        for (int i = 0; i < jobs.size(); ++i)
            if (jobs[i])
                runJob(i);
    }
    void runJob(int i) {
        std::exchange(jobs[i], nullptr)();
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

    QList<std::function<void()>> jobs;
    test::PositionCaches caches;
    AppListCollectionView picker{PositionPopoverWindowType::create};
};

// Whatever the case and the blanks around it.
TEST_F(Picker, TheTextTypedLastWinsWhicheverSearchFinishesLast) {
    for (const QList<int>& finishingOrder : {QList<int>{0, 1}, QList<int>{1, 0}}) {
        picker.clearSearch();
        const int first = int(jobs.size());
        picker.searchField()->setText("ma");
        picker.searchField()->setText(" SAF ");
        for (int job : finishingOrder)
            runJob(first + job);
        EXPECT_EQ(namesOf(picker.installedApps()),
                  QStringList({"Safari", "Safari Technology Preview"}));
    }
    // Clearing the field wins over a search still under way.
    const int pending = int(jobs.size());
    picker.searchField()->setText("term");
    picker.searchField()->setText("  ");
    runJob(pending);
    EXPECT_EQ(namesOf(picker.installedApps()), names);
}

// A line edit focused by Tab selects its text, and the next key would replace
// the search; the search field leaves the text unselected.
TEST(PickerSearch, TheFieldFocusedByTabLeavesTheTypedTextUnselected) {
    SearchBar field;
    field.setText("saf");
    QFocusEvent tab(QEvent::FocusIn, Qt::TabFocusReason);
    QCoreApplication::sendEvent(&field, &tab);
    EXPECT_FALSE(field.hasSelectedText());
}

TEST(PickerSearch, ResultsComeBackFromTheSearchPoolToTheGrid) {
    AppListCollectionView picker(PositionPopoverWindowType::editor);
    picker.setInstalledApps(appList(names));
    picker.searchField()->setText("map");
    picker.searchField()->setText("saf");
    EXPECT_TRUE(test::waitUntil([&] { return picker.installedApps().size() == 2; }));
    EXPECT_EQ(picker.gridView()->model()->rowCount(), 2);
}

// Clicks on filtered tiles toggle their own applications (not the ones at the
// same rows of the whole list); picks survive searches and rescans.
TEST_F(Picker, PicksFollowTheirApplicationsThroughSearchesAndRescans) {
    click("Safari");
    type("ma");
    click("Maps"); // second tile now; Mail sits there in the whole list
    click("Mail");
    EXPECT_EQ(picker.selectedAppURLs(), (QSet<QString>{"Safari", "Maps", "Mail"}));
    click("Mail"); // and dropped again
    type("saf");
    EXPECT_EQ(picker.selectedAppURLs(), (QSet<QString>{"Safari", "Maps"}));
    type(QString());
    EXPECT_EQ(selectedTiles(), QStringList({"Maps", "Safari"}));

    // A rescan without Maps: it is not shown, Safari stays picked, and the
    // search typed is applied to the new list.
    type("a");
    picker.setInstalledApps(appList({"Mail", "Safari", "Calendar", "Xterm"}));
    finishSearches();
    EXPECT_EQ(namesOf(picker.installedApps()), QStringList({"Mail", "Safari", "Calendar"}));
    EXPECT_EQ(selectedTiles(), QStringList({"Safari"}));
    // Maps stays in the selection the screens save: it is not the picker's to drop.
    EXPECT_EQ(picker.selectedAppURLs(), (QSet<QString>{"Safari", "Maps"}));
}

// Decoded at tile size; what cannot be read (missing, corrupt, stating a side
// over the cap) gives an empty image, and a tile gets the placeholder icon.
TEST(PickerIcons, IconsAreDecodedAtTileSizeAndBadFilesShowThePlaceholder) {
    test::AppFolderTree t;
    t.file("absurd.ppm", "P6\n100000 100000\n255\n"); // states a huge size, holds nothing
    t.file("huge.svg", "<svg xmlns='http://www.w3.org/2000/svg' width='20000' height='10000'>"
                       "<rect width='20000' height='10000' fill='red'/></svg>");
    t.file("broken.png", "\x89PNG\r\n\x1a\nnot really");
    QImage wide(AppIconLoader::maxStatedSide + 1, 4, QImage::Format_RGB32);
    wide.fill(Qt::blue);
    ASSERT_TRUE(wide.save(t.path("wide.png")));
    QImage fine(128, 128, QImage::Format_ARGB32);
    fine.fill(Qt::green);
    ASSERT_TRUE(fine.save(t.path("fine.png")));
    const struct {
        const char* file;
        QSize expected; // empty: an empty image
    } cases[] = {{"huge.svg", {56, 28}}, {"fine.png", {56, 56}}, {"missing.png", {}},
                 {"absurd.ppm", {}},     {"broken.png", {}},     {"wide.png", {}}};
    AppIconLoader loader({56, 56});
    ASSERT_FALSE(loader.placeholder().isNull());
    QHash<QString, QImage> delivered;
    QObject::connect(
        &loader, &AppIconLoader::loaded,
        [&](const QString& location, const QImage& image) { delivered.insert(location, image); });
    for (const auto& c : cases) {
        const QString location = QUrl::fromLocalFile(t.path(c.file)).toString();
        const QImage image = AppIconLoader::load(location, {56, 56});
        EXPECT_EQ(image.isNull() ? QSize() : image.size(), c.expected) << c.file;
        loader.request(location);
        ASSERT_TRUE(test::waitUntil([&] { return delivered.contains(location); })) << c.file;
        EXPECT_EQ(delivered.value(location) == loader.placeholder(), c.expected.isEmpty())
            << c.file;
    }
}

// A choice lands in the screen's own cache and on the tile, in the Creator
// even when a rescan replaced the button while the placement picker was open.
TEST_F(Picker, TheButtonOfAPickedTileRecordsInItsScreensCache) {
    const QString mail = "Mail", maps = "Maps";
    click("Mail");
    EXPECT_EQ(picker.positioningButton(maps), nullptr);
    picker.setPositionCaches(&caches.creator, nullptr);
    QTest::mouseClick(picker.positioningButton(mail), Qt::LeftButton);
    ASSERT_TRUE(picker.positionsPopover()->isVisible());
    picker.setInstalledApps(appList(names));
    finishSearches();
    picker.positionsPopover()->list()->selectItem(5);
    EXPECT_EQ(caches.creator.positionsCache.value(appPositionKey(mail)), 5);
    EXPECT_EQ(picker.positioningButton(mail)->toolTip(), "Bottom half");
    EXPECT_EQ(picker.selectedAppURLs(), (QSet<QString>{"Mail"})); // the tile was not toggled
    picker.positionsPopover()->hide();

    AppListCollectionView editorPicker(PositionPopoverWindowType::editor);
    editorPicker.setInstalledApps(appList(names));
    caches.editor.currentSelectedWSID = "ws1";
    caches.editor.positionsFor("ws1");
    editorPicker.setPositionCaches(nullptr, &caches.editor);
    editorPicker.setSelectedAppURLs({maps});
    editorPicker.show();
    QTest::mouseClick(editorPicker.positioningButton(maps), Qt::LeftButton);
    editorPicker.positionsPopover()->list()->selectItem(6);
    EXPECT_EQ(caches.editor.positionOf("ws1", maps), 6);
    EXPECT_EQ(caches.creator.positionsCache.size(), 1);
    EXPECT_EQ(editorPicker.positioningButton(maps)->toolTip(), "Top left");
}

} // namespace
