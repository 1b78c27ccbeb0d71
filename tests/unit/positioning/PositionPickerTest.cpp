// The shared position picker, driven as the application pickers' tiles drive it
// (what the tiles' buttons record is tested with the application picker).
#include "positioning/PositionsPopover.h"
#include "support/PositionCaches.h"

#include <QTest>
#include <gtest/gtest.h>

using namespace dexaro;

namespace {

struct Tile : QWidget, PositionTile {
    PositionName itemPosition() const override { return position; }
    void setItemPosition(PositionName p) override { position = p; }
    QString appURL() const override { return QStringLiteral("file:///gedit.desktop"); }

    PositionName position = PositionName::rightHalf;
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
};

TEST_F(Picker, TheTilesPlacementIsMarkedAndAChoiceGoesToTileAndCreatorWhileTheTileLives) {
    popover.list()->setPositionCaches(&creator, &editor);
    auto tile = std::make_unique<Tile>();
    const qint64 key = appPositionKey(tile->appURL());
    popover.showFor(tile.get(), nullptr, PositionPopoverWindowType::create);
    EXPECT_EQ(markedEntries(), QList<int>{3});

    choose(2);
    choose(9);
    EXPECT_EQ(markedEntries(), QList<int>{9});
    EXPECT_EQ(tile->position, PositionName::bottomRight);
    EXPECT_EQ(creator.positionsCache, (PositionMap{{key, 9}}));

    tile.reset(); // a tile gone meanwhile is left alone
    choose(4);
    EXPECT_EQ(creator.positionsCache, (PositionMap{{key, 9}}));
    EXPECT_EQ(markedEntries(), QList<int>{9});
    popover.hide();
}

} // namespace
