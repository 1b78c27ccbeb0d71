// The shared position picker, driven as the application pickers' tiles drive it.
#include "model/WorkspaceStore.h"
#include "positioning/AllPositionsHolder.h"
#include "positioning/PositionsDBManager.h"
#include "positioning/PositionsPopover.h"
#include "positioning/WSCreatorPositionManager.h"
#include "positioning/WSEditorPositionManager.h"

#include <QApplication>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <gtest/gtest.h>

#include "support/RecordingAlerts.h"

using namespace dexaro;

namespace {

class Tile : public QWidget, public PositionTile {
public:
    Tile(QString url, PositionName position) : m_url(std::move(url)), m_position(position) {
        button = new QPushButton(this);
        button->setGeometry(100, 10, 20, 20);
        resize(140, 160);
    }
    PositionName itemPosition() const override { return m_position; }
    void setItemPosition(PositionName position) override { m_position = position; }
    QString appURL() const override { return m_url; }
    QPushButton* button;

private:
    QString m_url;
    PositionName m_position;
};

class Picker : public testing::Test {
protected:
    void SetUp() override {
        popover.list()->setPositionCaches(&creator, &editor);
        window.move(200, 200);
        window.resize(600, 400);
        window.show();
    }
    void TearDown() override { popover.hide(); }

    QList<int> markedEntries() {
        QList<int> marked;
        for (auto it = popover.list()->positionCells.cbegin();
             it != popover.list()->positionCells.cend(); ++it) {
            if ((*it)->selectionIndicator->opacity() > 0)
                marked << it.key();
        }
        return marked;
    }
    void choose(int index) {
        PositionListItem* cell = popover.list()->positionCells.value(index);
        ASSERT_NE(cell, nullptr);
        QTest::mouseClick(cell, Qt::LeftButton);
    }

    QTemporaryDir dir;
    std::unique_ptr<ObjectStore> store =
        WorkspaceStore::openStore(dir.filePath(QStringLiteral("Dexaro.sqlite")), nullptr);
    test::RecordingAlerts alerts;
    PositionsDBManager db{*store, alerts};
    AllPositionsHolder holder;
    WSCreatorPositionManager creator{db, holder};
    WSEditorPositionManager editor{db, holder};
    PositionsPopover popover;
    QWidget window;
    const QString gedit = QStringLiteral("file:///usr/share/applications/gedit.desktop");
};

TEST_F(Picker, OpensBesideTheButtonWithTheTilesPlacementMarkedAndAChoiceGoesToTileAndCreator) {
    auto* tile = new Tile(gedit, PositionName::rightHalf);
    tile->setParent(&window);
    tile->show();
    popover.showFor(tile, tile->button, PositionPopoverWindowType::create);
    EXPECT_TRUE(popover.isVisible());
    EXPECT_EQ(popover.list()->positionCells.size(), 15);
    EXPECT_EQ(markedEntries(), QList<int>{3});
    // Beside the button (a window frame may shift it by a few pixels).
    EXPECT_NEAR(popover.x(), tile->button->mapToGlobal(QPoint(tile->button->width(), 0)).x(), 3);

    choose(2);
    choose(9);
    EXPECT_EQ(markedEntries(), QList<int>{9});
    EXPECT_EQ(tile->itemPosition(), PositionName::bottomRight);
    EXPECT_EQ(creator.positionsCache.value(appPositionKey(gedit)), 9);
    EXPECT_TRUE(popover.isVisible()) << "it stays open until a click outside";
    choose(0);
    EXPECT_EQ(creator.positionsCache.value(appPositionKey(gedit), -1), 0);

    delete tile; // a tile gone meanwhile is left alone
    creator.positionsCache.clear();
    choose(4);
    EXPECT_TRUE(creator.positionsCache.isEmpty());
    EXPECT_EQ(markedEntries(), QList<int>{0});
}

TEST_F(Picker, EditorChoicesGoToTheShownWorkspaceOnlyWhenItIsLoaded) {
    Tile tile(gedit, PositionName::def);
    editor.currentSelectedWSID = QStringLiteral("ws1");
    popover.showFor(&tile, tile.button, PositionPopoverWindowType::editor);
    EXPECT_EQ(markedEntries(), QList<int>{0});
    choose(6);
    EXPECT_EQ(tile.itemPosition(), PositionName::topLeft);
    EXPECT_FALSE(editor.positionOf(QStringLiteral("ws1"), gedit).has_value());

    editor.positionsFor(QStringLiteral("ws1"));
    choose(7);
    EXPECT_EQ(editor.positionOf(QStringLiteral("ws1"), gedit), 7);
    EXPECT_TRUE(creator.positionsCache.isEmpty());
}

} // namespace
