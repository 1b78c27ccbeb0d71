// The shared position picker, driven as the application pickers' tiles drive it
// (what the tiles' buttons record, and the mark of the current choice, are
// tested with the application picker).
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
    void choose(int index) {
        PositionListItem* cell = popover.list()->positionCells.value(index);
        ASSERT_NE(cell, nullptr);
        QTest::mouseClick(cell, Qt::LeftButton);
    }

    PositionsPopover popover;
};

TEST_F(Picker, AClickedChoiceGoesToTileAndCreatorWhileTheTileLives) {
    popover.list()->setPositionCaches(&creator, &editor);
    auto tile = std::make_unique<Tile>();
    const PositionMap chosen{{appPositionKey(tile->appURL()), 9}};
    popover.showFor(tile.get(), nullptr, PositionPopoverWindowType::create);
    choose(9);
    EXPECT_EQ(tile->position, PositionName::bottomRight);
    EXPECT_EQ(creator.positionsCache, chosen);

    tile.reset(); // a tile gone meanwhile is left alone
    choose(4);
    EXPECT_EQ(creator.positionsCache, chosen);
    popover.hide();
}

} // namespace
