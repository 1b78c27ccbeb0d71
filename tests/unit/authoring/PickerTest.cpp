// The application picker: picking survives searches and rescans, the search's
// rules and races, tiles without icons, the placement buttons and what
// assistive tools read.
#include "authoring/AppIconLoader.h"
#include "authoring/AppListCollectionView.h"
#include "authoring/AppListItemDelegate.h"

#include <QAccessible>
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
    QSet<QString> picked(const QStringList& which) {
        QSet<QString> urls;
        for (const QString& name : which)
            urls.insert(appURLFor(name));
        return urls;
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
    AppListCollectionView picker{PositionPopoverWindowType::create};
};

TEST_F(Picker, SearchFindsNamesWhateverTheCaseAndSpacesOnlyRestoreTheWholeList) {
    const struct {
        const char* text;
        QStringList shown;
    } cases[] = {
        {"Saf", {"Safari", "Safari Technology Preview"}},
        {"saf", {"Safari", "Safari Technology Preview"}},
        {"  SAFARI T ", {"Safari Technology Preview"}},
        {"ma", {"Mail", "Maps"}},
        {"zz", {}},
        {"   ", names},
    };
    for (const auto& c : cases) {
        type(QString::fromUtf8(c.text));
        EXPECT_EQ(namesOf(picker.installedApps()), c.shown) << c.text;
    }
}

TEST_F(Picker, TheTextTypedLastWinsWhicheverSearchFinishesLast) {
    const struct { QList<int> finishingOrder; } cases[] = {{{0, 1}}, {{1, 0}}};
    for (const auto& c : cases) {
        picker.clearSearch();
        const int first = jobs.count();
        picker.searchField()->setText(QStringLiteral("ma"));
        picker.searchField()->setText(QStringLiteral("saf"));
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
    EXPECT_EQ(picker.selectedAppURLs(), picked({"Safari", "Maps", "Mail"}));
    click(QStringLiteral("Mail")); // and dropped again
    type(QStringLiteral("saf"));
    EXPECT_EQ(picker.selectedAppURLs(), picked({"Safari", "Maps"}));
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
    EXPECT_EQ(picker.selectedAppURLs(), picked({"Safari", "Maps"}));

    // A tile whose icon cannot be read shows its name and is asked for once.
    picker.gridView()->grab(); // painting asks for the icons
    auto* delegate = qobject_cast<AppListItemDelegate*>(picker.gridView()->itemDelegate());
    const QString missing = test::appNamed(QStringLiteral("Mail")).appImagePath;
    ASSERT_TRUE(test::waitUntil([&] {
        QCoreApplication::processEvents();
        return delegate->cachedIcon(missing) != nullptr;
    }));
    EXPECT_TRUE(delegate->cachedIcon(missing)->isNull());
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
    const struct {
        QString location;
        QSize expected; // empty: an empty image
    } cases[] = {
        {url("big.png"), {56, 28}},
        {t.path("big.png"), {56, 28}},
        {url("missing.png"), {}},
        {url(""), {}},
        {url("absurd.ppm"), {}},
        {url("huge.svg"), {56, 28}},
        {url("broken.png"), {}},
        {QStringLiteral("qrc:/images/no-such-icon.svg"), {}},
        {QStringLiteral("icon-name-only"), {}},
    };
    for (const auto& c : cases) {
        const QImage image = AppIconLoader::load(c.location, QSize(56, 56));
        EXPECT_EQ(image.isNull() ? QSize() : image.size(), c.expected) << c.location.toStdString();
    }
}

class Placement : public Picker {
protected:
    test::PositionCaches caches;
    WSCreatorPositionManager& creator = caches.creator;
    WSEditorPositionManager& editor = caches.editor;
};

TEST_F(Placement, TheButtonOfAPickedTileRecordsItsChoiceAndTheTileShowsIt) {
    const QString mail = appURLFor(QStringLiteral("Mail"));
    click(QStringLiteral("Mail"));
    ASSERT_NE(picker.positioningButton(mail), nullptr);
    EXPECT_EQ(picker.positioningButton(appURLFor(QStringLiteral("Maps"))), nullptr);

    // Without caches the button does nothing.
    QTest::mouseClick(picker.positioningButton(mail), Qt::LeftButton);
    EXPECT_FALSE(picker.positionsPopover()->isVisible());

    picker.setPositionCaches(&creator, nullptr);
    QTest::mouseClick(picker.positioningButton(mail), Qt::LeftButton);
    ASSERT_TRUE(picker.positionsPopover()->isVisible());
    picker.positionsPopover()->list()->selectItem(3);
    picker.positionsPopover()->hide();
    EXPECT_EQ(picker.selectedAppURLs(), picked({"Mail"})); // the tile was not toggled

    // A new button after a search shows the recorded choice, and the picker marks it.
    type(QStringLiteral("mai"));
    EXPECT_EQ(picker.positioningButton(mail)->toolTip(), QStringLiteral("Right half"));
    QTest::mouseClick(picker.positioningButton(mail), Qt::LeftButton);
    EXPECT_EQ(picker.positionsPopover()->list()->currentSelectedCellIndex, 3);

    // A rescan while the picker is open replaces the button; the choice still lands.
    picker.setInstalledApps(appList(names));
    finishSearches();
    picker.positionsPopover()->list()->selectItem(5);
    EXPECT_EQ(creator.positionsCache.value(appPositionKey(mail)), 5);
    EXPECT_EQ(picker.positioningButton(mail)->toolTip(), QStringLiteral("Bottom half"));
    picker.positionsPopover()->hide();
}

TEST_F(Placement, TheEditorsButtonsRecordForTheWorkspaceShown) {
    AppListCollectionView editorPicker(PositionPopoverWindowType::editor);
    editorPicker.setInstalledApps(appList(names));
    editor.currentSelectedWSID = QStringLiteral("ws1");
    editor.positionsFor(QStringLiteral("ws1"));
    editorPicker.setPositionCaches(nullptr, &editor);
    const QString maps = appURLFor(QStringLiteral("Maps"));
    editorPicker.setSelectedAppURLs({maps});
    editorPicker.show();
    QTest::mouseClick(editorPicker.positioningButton(maps), Qt::LeftButton);
    editorPicker.positionsPopover()->list()->selectItem(6);
    EXPECT_EQ(editor.positionOf(QStringLiteral("ws1"), maps), 6);
    EXPECT_TRUE(creator.positionsCache.isEmpty());
    EXPECT_EQ(editorPicker.positioningButton(maps)->toolTip(), QStringLiteral("Top left"));
}

TEST_F(Picker, AssistiveToolsReadTheTilesAndPickThroughThem) {
    picker.setSelectedAppURLs(picked({"Maps"}));
    QAccessibleInterface* grid = QAccessible::queryAccessibleInterface(picker.gridView());
    ASSERT_TRUE(grid && grid->tableInterface());
    QStringList read; // the items' names, "+" for the selected
    for (int i = 0; i < grid->childCount(); ++i)
        if (QAccessibleInterface* child = grid->child(i); child->role() == QAccessible::ListItem)
            read << child->text(QAccessible::Name) + (child->state().selected ? "+" : "");
    EXPECT_EQ(read,
              QStringList({"Safari", "Mail", "Maps+", "Safari Technology Preview", "Terminal"}));
    // A tool that selects or unselects a tile picks or drops its application.
    grid->tableInterface()->selectRow(0);
    grid->tableInterface()->unselectRow(2);
    EXPECT_EQ(picker.selectedAppURLs(), picked({"Safari"}));
    EXPECT_NE(picker.positioningButton(appURLFor(QStringLiteral("Safari"))), nullptr);
}

} // namespace
