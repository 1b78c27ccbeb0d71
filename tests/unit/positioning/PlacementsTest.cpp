// Placements, their frames, application keys and placement strings.
#include "model/Identifier.h"
#include "positioning/PositionName.h"
#include "support/FakeWorkAreas.h"

#include <QFile>
#include <gtest/gtest.h>

using namespace dexaro;

namespace {

struct PlacementStringCase {
    const char* name;
    const char* text;
    PositionMap expected;
};

class PlacementStrings : public testing::TestWithParam<PlacementStringCase> {};

TEST_P(PlacementStrings, ReadsWellFormedPiecesAndSkipsTheRest) {
    EXPECT_EQ(readPlacementString(QString::fromUtf8(GetParam().text)), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Placements, PlacementStrings,
    testing::Values(
        PlacementStringCase{"MixedMalformedPieces",
                            "5==2;;abc==3;;==4;;7==;;8;;9==x;;10==11;;",
                            {{5, 2}, {10, 11}}},
        PlacementStringCase{"Empty", "", {}},
        PlacementStringCase{"NoTrailingSeparator", "1234==2;;99==7", {{1234, 2}, {99, 7}}},
        PlacementStringCase{"LaterPieceWins", "3==1;;3==4;;", {{3, 4}}},
        PlacementStringCase{"SignsAccepted", "+3==-1;;-4==+2;;", {{3, -1}, {-4, 2}}},
        PlacementStringCase{"LoneSignIsNoNumber", "+==1;;2==-;;", {}},
        PlacementStringCase{"SpacesAreNotDigits", " 1==2;;3== 4;;5==6 ;;", {}},
        PlacementStringCase{"ExtraPartsIgnored", "1==2==3;;", {{1, 2}}},
        PlacementStringCase{"Largest64Bit", "9223372036854775807==1;;", {{INT64_MAX, 1}}},
        PlacementStringCase{
            "Beyond64BitSkipped", "9223372036854775808==1;;1==99999999999999999999;;", {}},
        PlacementStringCase{"SingleSemicolonBreaksPiece", "1==2;3==4;;", {}},
        PlacementStringCase{"NonAsciiDigitsSkipped", "\xd9\xa1==2;;", {}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(Placements, WritingThenReadingGivesTheSameMap) {
    const PositionMap map{{1234, 2}, {99, 7}, {INT64_MAX, 14}};
    const QString text = writePlacementString(map);
    EXPECT_TRUE(text.endsWith(QStringLiteral(";;")));
    EXPECT_EQ(text.count(QStringLiteral(";;")), 3);
    EXPECT_EQ(readPlacementString(text), map);
    EXPECT_EQ(writePlacementString({}), QString());
    EXPECT_EQ(writePlacementString({{1234, 2}}), QStringLiteral("1234==2;;"));
}

TEST(Placements, RawValuesOutsideTheRangeAreNothingAndReadAsDefault) {
    for (qint64 raw : {qint64(-1), qint64(15), qint64(INT64_MIN), qint64(1000)}) {
        EXPECT_FALSE(positionFromRaw(raw).has_value()) << raw;
        EXPECT_EQ(positionOrDefault(raw), PositionName::def) << raw;
    }
    EXPECT_EQ(positionFromRaw(0), PositionName::def);
    EXPECT_EQ(positionFromRaw(14), PositionName::rightToThirds);
}

TEST(Placements, ListIsInRawOrderWithDisplayNamesAndPictures) {
    const auto list = positionList();
    ASSERT_EQ(list.size(), 15);
    EXPECT_EQ(list[0].first, QStringLiteral("Default"));
    EXPECT_EQ(list[12].first, QStringLiteral("Center thirds"));
    EXPECT_EQ(list[14].first, QStringLiteral("Right to thirds"));
    for (int i = 0; i < list.size(); ++i) {
        EXPECT_EQ(rawValue(list[i].second), i);
        EXPECT_TRUE(QFile::exists(imagePath(list[i].second)))
            << qPrintable(imagePath(list[i].second));
    }
    EXPECT_EQ(imageName(PositionName::leftToThirds), QStringLiteral("left 2 third"));
}

TEST(Placements, ApplicationKeyIsTheAbsoluteStableHash) {
    const QString url = QStringLiteral("file:///usr/share/applications/org.gnome.gedit.desktop");
    const qint64 hash = stringHash(url);
    EXPECT_EQ(appPositionKey(url), hash < 0 ? -hash : hash);
    EXPECT_EQ(appPositionKey(url), appPositionKey(QString(url)));
    // FNV-1a of "a" is 0xaf63dc4c8601ec8c, negative as a signed value.
    EXPECT_EQ(appPositionKey(QStringLiteral("a")), -qint64(0xaf63dc4c8601ec8cull));
    EXPECT_GE(appPositionKey(QString()), 0);
}

struct FrameCase {
    PositionName position;
    QRectF expected;
};

TEST(Frames, TableForA1440By875ScreenUnderA25PointBar) {
    const ScreenMetrics metrics{1440, 875, 25, {}};
    const FrameCase cases[] = {
        {PositionName::def, QRectF(0, 0, 0, 0)},
        {PositionName::centerFull, QRectF(0, 0, 1440, 875)},
        {PositionName::leftHalf, QRectF(0, 0, 720, 875)},
        {PositionName::rightHalf, QRectF(720, 0, 720, 875)},
        {PositionName::topHalf, QRectF(0, 0, 1440, 437.5)},
        {PositionName::bottomHalf, QRectF(0, 462.5, 1440, 437.5)},
        {PositionName::topLeft, QRectF(0, 0, 720, 437.5)},
        {PositionName::topRight, QRectF(720, 0, 720, 437.5)},
        {PositionName::bottomLeft, QRectF(0, 462.5, 720, 437.5)},
        {PositionName::bottomRight, QRectF(720, 462.5, 720, 437.5)},
        {PositionName::leftThird, QRectF(0, 0, 480, 875)},
        {PositionName::rightThird, QRectF(960, 0, 480, 875)},
        {PositionName::centerThird, QRectF(480, 0, 480, 875)},
        {PositionName::leftToThirds, QRectF(0, 0, 960, 875)},
        {PositionName::rightToThirds, QRectF(480, 0, 960, 875)},
    };
    for (const FrameCase& c : cases) {
        const QRectF frame = FrameCalculator::frameFor(c.position, metrics, 1440, 875);
        // Exact: these values are representable and the rules fix the arithmetic.
        EXPECT_TRUE(frame.x() == c.expected.x() && frame.y() == c.expected.y() &&
                    frame.width() == c.expected.width() && frame.height() == c.expected.height())
            << qPrintable(displayName(c.position)) << ": got " << frame.x() << "," << frame.y()
            << " " << frame.width() << "x" << frame.height();
    }
}

TEST(Frames, CenterKeepsTheSizeOfItsFirstUseOthersFollowTheScreen) {
    std::optional<ScreenMetrics> current = ScreenMetrics{1440, 875, 25, {}};
    FrameCalculator frames([&] { return current; });
    EXPECT_EQ(frames.frame(PositionName::leftHalf), QRectF(0, 0, 720, 875));
    EXPECT_EQ(frames.frame(PositionName::centerFull), QRectF(0, 0, 1440, 875));

    current = ScreenMetrics{1920, 1050, 30, {}};
    EXPECT_EQ(frames.frame(PositionName::leftHalf), QRectF(0, 0, 960, 1050));
    EXPECT_EQ(frames.frame(PositionName::centerFull), QRectF(0, 0, 1440, 875));
    EXPECT_EQ(frames.frame(PositionName::bottomLeft), QRectF(0, 555, 960, 525));
}

TEST(Frames, NoScreenGivesNoFrameAndAScreenOffsetMovesTheFrame) {
    std::optional<ScreenMetrics> current;
    FrameCalculator frames([&] { return current; });
    EXPECT_FALSE(frames.frame(PositionName::leftHalf).has_value());
    current = ScreenMetrics{1000, 800, 20, QPointF(1920, 0)};
    EXPECT_EQ(frames.frame(PositionName::rightHalf), QRectF(2420, 0, 500, 800));

    // A dock on the left and panels at the top (30) and bottom (24): frames start
    // beside the dock, and the lower half ends on the bottom panel.
    test::FakeWorkAreas workAreas;
    workAreas.monitor = WorkAreas::Monitor{QRect(0, 0, 1440, 900), QRect(60, 30, 1380, 846)};
    FrameCalculator docked([&] { return screenMetrics(workAreas); });
    EXPECT_EQ(docked.frame(PositionName::leftHalf), QRectF(60, 0, 690, 846));
    EXPECT_EQ(docked.frame(PositionName::bottomHalf), QRectF(60, 453, 1380, 423));
}

TEST(WorkAreas, AMonitorLosesOnlyTheStrutsThatReachIntoIt) {
    using Strut = WorkAreas::Strut;
    const QRect root(0, 0, 2304, 800);
    const QRect tall(0, 0, 1280, 800), shortOne(1280, 0, 1024, 768);
    const struct {
        const char* name;
        QRect monitor;
        QList<Strut> struts;
        QRect expected;
    } cases[] = {
        {"no struts", tall, {}, tall},
        {"top panel over both", tall, {{Strut::top, 30, 0, 2303}}, QRect(0, 30, 1280, 770)},
        // A bottom panel on the short monitor reserves 32 + 24 px from the root's edge.
        {"other monitor's bottom panel", tall, {{Strut::bottom, 56, 1280, 2303}}, tall},
        {"own bottom panel",
         shortOne,
         {{Strut::bottom, 56, 1280, 2303}},
         QRect(1280, 0, 1024, 744)},
        {"left dock", tall, {{Strut::left, 60, 0, 799}}, QRect(60, 0, 1220, 800)},
        {"right dock on the other monitor", tall, {{Strut::right, 48, 0, 767}}, tall},
        {"empty and reversed spans",
         tall,
         {{Strut::top, 30, 5, 4}, {Strut::left, 0, 0, 799}},
         tall},
    };
    for (const auto& c : cases)
        EXPECT_EQ(WorkAreas::monitorMinusStruts(c.monitor, root, c.struts), c.expected) << c.name;

    EXPECT_EQ(WorkAreas::desktopAreaOnMonitor(tall, QRect(0, 30, 2304, 714)),
              QRect(0, 30, 1280, 714));
    EXPECT_EQ(WorkAreas::desktopAreaOnMonitor(tall, QRect(2000, 0, 10, 10)), tall);
    EXPECT_EQ(WorkAreas::monitorIndexAt({tall, shortOne}, QPoint(1300, 10)), 1);
    EXPECT_EQ(WorkAreas::monitorIndexAt({tall, shortOne}, QPoint(2000, 790)), 1); // below it
    EXPECT_EQ(WorkAreas::monitorIndexAt({}, QPoint(0, 0)), -1);
}

} // namespace
