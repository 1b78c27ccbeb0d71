// The shared position picker, driven as the application pickers' tiles drive it
// (what the tiles' buttons record, and the mark of the current choice, are
// tested with the application picker).
#include "positioning/PositionsPopover.h"
#include "support/FakeWindows.h"
#include "support/PositionCaches.h"

#include <QComboBox>

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

namespace {

struct TwoMonitors : WorkAreas {
    QList<Monitor> list{
        {QRect(0, 0, 1920, 1080), QRect(0, 30, 1920, 1050), QStringLiteral("eDP-1")},
        {QRect(1920, 0, 2560, 1440), QRect(1920, 0, 2560, 1440), QStringLiteral("DP-2")}};
    std::optional<Monitor> primary() override { return list.value(0); }
    std::optional<Monitor> monitorAt(const QPoint&) override { return list.value(0); }
    QList<Monitor> monitors() override { return list; }
};

QStringList texts(QComboBox* box) {
    QStringList out;
    for (int i = 0; i < box->count(); ++i)
        out << box->itemText(i);
    return out;
}

} // namespace

TEST(PlacementScreensOffered, MonitorsByNameAndSizeDesktopsByNameOnlyWhenThereIsAChoice) {
    TwoMonitors monitors;
    test::FakeWindows windows;
    windows.desktops = 3;
    windows.names = {QStringLiteral("Mail"), QStringLiteral("  ")};
    const PlacementScreens screens = placementScreens(&monitors, &windows);
    EXPECT_EQ(screens.monitors,
              (QList<PlacementScreens::Monitor>{
                  {QStringLiteral("Primary"), {}},
                  {QStringLiteral("eDP-1 (1920 × 1080)"), QStringLiteral("eDP-1")},
                  {QStringLiteral("DP-2 (2560 × 1440)"), QStringLiteral("DP-2")}}));
    EXPECT_EQ(screens.desktops,
              (QList<PlacementScreens::Desktop>{{QStringLiteral("Current desktop"), -1},
                                                {QStringLiteral("Mail"), 0},
                                                {QStringLiteral("Desktop 2"), 1},
                                                {QStringLiteral("Desktop 3"), 2},
                                                {QStringLiteral("All desktops"), -2}}));
    // One monitor, one desktop, or a window manager without desktops: no choice.
    monitors.list.removeLast();
    windows.desktops = 1;
    const PlacementScreens none = placementScreens(&monitors, &windows);
    EXPECT_TRUE(none.monitors.isEmpty() && none.desktops.isEmpty());
    EXPECT_TRUE(placementScreens(nullptr, nullptr).desktops.isEmpty());
}

TEST_F(Picker, MonitorAndDesktopChoicesGoToTheCachesAndAnAbsentMonitorStaysChosen) {
    TwoMonitors monitors;
    test::FakeWindows windows;
    windows.desktops = 4;
    popover.setScreensSource([&] { return placementScreens(&monitors, &windows); });
    popover.list()->setPositionCaches(&creator, &editor);
    Tile tile;
    const qint64 key = appPositionKey(tile.appURL());
    popover.showFor(&tile, nullptr, PositionPopoverWindowType::create);
    ASSERT_TRUE(popover.monitorBox()->isVisible() && popover.desktopBox()->isVisible());
    EXPECT_EQ(popover.monitorBox()->currentText(), QStringLiteral("Primary"));
    EXPECT_EQ(popover.desktopBox()->currentText(), QStringLiteral("Current desktop"));
    EXPECT_EQ(popover.monitorBox()->accessibleName(), QStringLiteral("Monitor"));
    EXPECT_GT(popover.height(), PositionsPopover::contentSize.height())
        << "the fifteen placements still fit below the choices";
    popover.monitorBox()->activated(2);
    popover.desktopBox()->activated(3);
    EXPECT_EQ(creator.targetsCache.value(key), (AppTarget{QStringLiteral("DP-2"), 2}));
    popover.monitorBox()->activated(0);
    popover.desktopBox()->activated(0);
    EXPECT_TRUE(creator.targetsCache.isEmpty()) << "back to the defaults: nothing kept";
    popover.hide();

    // In the Editor, a workspace whose monitor and desktop are gone: listed,
    // chosen and said to be absent; with one monitor the monitor list still
    // shows it beside the primary.
    WorkspaceOptions stored;
    stored.apps.insert(key, {QStringLiteral("HDMI-3"), 6});
    editor.optionsSource = [&](const QString&) {
        return stored;
    };
    editor.currentSelectedWSID = QStringLiteral("ws");
    editor.positionsFor(QStringLiteral("ws"));
    monitors.list.removeLast();
    popover.showFor(&tile, nullptr, PositionPopoverWindowType::editor);
    EXPECT_EQ(texts(popover.monitorBox()),
              (QStringList{QStringLiteral("Primary"), QStringLiteral("HDMI-3 (absent)")}));
    EXPECT_EQ(popover.monitorBox()->currentIndex(), 1);
    EXPECT_EQ(popover.desktopBox()->currentText(), QStringLiteral("Desktop 7 (absent)"));
    popover.desktopBox()->activated(1);
    EXPECT_EQ(editor.targetOf(QStringLiteral("ws"), tile.appURL()),
              (AppTarget{QStringLiteral("HDMI-3"), 0}));
    popover.hide();

    // Nothing to choose and nothing chosen: the placements only.
    windows.desktops = 0;
    popover.showFor(&tile, nullptr, PositionPopoverWindowType::create);
    EXPECT_FALSE(popover.monitorBox()->isVisible() || popover.desktopBox()->isVisible());
    EXPECT_EQ(popover.size(), PositionsPopover::contentSize);
    popover.hide();
}
