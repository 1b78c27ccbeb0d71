// The shared position picker, driven as the application pickers' tiles drive it
// (what the tiles' buttons record is tested with the application picker).
#include "positioning/PositionsPopover.h"
#include "support/PositionCaches.h"

#include <QPushButton>
#include <QTest>
#include <gtest/gtest.h>

using namespace dexaro;

namespace {

struct Tile : QWidget, PositionTile {
    explicit Tile(QWidget* parent) : QWidget(parent) {
        button->setGeometry(100, 10, 20, 20);
        resize(140, 160);
        show();
    }
    PositionName itemPosition() const override { return position; }
    void setItemPosition(PositionName p) override { position = p; }
    QString appURL() const override { return QStringLiteral("file:///gedit.desktop"); }

    PositionName position = PositionName::rightHalf;
    QPushButton* button = new QPushButton(this);
};

struct Picker : testing::Test, test::PositionCaches {
    QList<int> markedEntries() {
        QList<int> marked;
        for (auto [index, cell] : popover.list()->positionCells.asKeyValueRange())
            if (cell->selectionIndicator->opacity() > 0)
                marked << index;
        return marked;
    }
    void choose(int index) {
        PositionListItem* cell = popover.list()->positionCells.value(index);
        ASSERT_NE(cell, nullptr);
        QTest::mouseClick(cell, Qt::LeftButton);
    }

    PositionsPopover popover;
    QWidget window;
};

TEST_F(Picker, OpensBesideTheButtonWithTheTilesPlacementMarkedAndAChoiceGoesToTileAndCreator) {
    popover.list()->setPositionCaches(&creator, &editor);
    window.setGeometry(200, 200, 600, 400);
    window.show();
    auto* tile = new Tile(&window);
    const qint64 key = appPositionKey(tile->appURL());
    popover.showFor(tile, tile->button, PositionPopoverWindowType::create);
    EXPECT_TRUE(popover.isVisible());
    EXPECT_EQ(popover.list()->positionCells.size(), 15);
    EXPECT_EQ(markedEntries(), QList<int>{3});
    // Beside the button (a window frame may shift it by a few pixels).
    EXPECT_NEAR(popover.x(), tile->button->mapToGlobal(QPoint(tile->button->width(), 0)).x(), 3);

    choose(2);
    choose(9);
    EXPECT_EQ(markedEntries(), QList<int>{9});
    EXPECT_EQ(tile->position, PositionName::bottomRight);
    EXPECT_EQ(creator.positionsCache.value(key), 9);
    EXPECT_TRUE(popover.isVisible()) << "it stays open until a click outside";
    choose(0);
    EXPECT_EQ(creator.positionsCache.value(key, -1), 0);

    delete tile; // a tile gone meanwhile is left alone
    creator.positionsCache.clear();
    choose(4);
    EXPECT_TRUE(creator.positionsCache.isEmpty());
    EXPECT_EQ(markedEntries(), QList<int>{0});
    popover.hide();
}

} // namespace
