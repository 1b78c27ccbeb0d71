// Placements, their frames, application keys and placement strings.
#include "positioning/PositionName.h"
#include "support/QtPrinters.h"

#include <gtest/gtest.h>

using namespace dexaro;

namespace {

// What the Creator and the Editor write is checked with their saves.
TEST(Placements, StringsReadWellFormedPiecesAndSkipTheRest) {
    const struct {
        const char* text;
        PositionMap expected;
    } rows[] = {
        {"5==2;;abc==3;;==4;;7==;;8;;9==x;;10==11;;", {{5, 2}, {10, 11}}},
        {"1234==2;;99==7", {{1234, 2}, {99, 7}}}, // no trailing separator
        {"3==1;;3==4;;", {{3, 4}}},               // the later piece wins
        {"+3==-1;;-4==+2;;", {{3, -1}, {-4, 2}}},
        {" 1==2;;3== 4;;5==6 ;;", {}},
        {"1==2==3;;", {{1, 2}}},
        {"9223372036854775807==1;;", {{INT64_MAX, 1}}},
        {"9223372036854775808==1;;1==99999999999999999999;;", {}},
        {"\xd9\xa1==2;;", {}}, // an Arabic-Indic digit
    };
    for (const auto& row : rows)
        EXPECT_EQ(readPlacementString(QString::fromUtf8(row.text)), row.expected) << row.text;
}

// Stored placements are keyed by these values: FNV-1a of the URL's UTF-8
// bytes, made positive.
TEST(Placements, ApplicationKeysAreTheAbsoluteFnv1aHashOfTheUrl) {
    EXPECT_EQ(appPositionKey(QStringLiteral("a")), -qint64(0xaf63dc4c8601ec8cull));
    EXPECT_EQ(appPositionKey(QString::fromUtf8("Ünïcode")), 3114258718066466763LL);
}

TEST(Frames, TableForA1440By875ScreenUnderA25PointBar) {
    const ScreenMetrics metrics{1440, 875, 25, {}};
    const struct {
        PositionName position;
        QRectF expected;
    } cases[] = {
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
    for (const auto& c : cases)
        EXPECT_EQ(FrameCalculator::frameFor(c.position, metrics, 1440, 875), c.expected)
            << qPrintable(displayName(c.position));
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
        // Panels that follow each monitor are in the X11 test with two monitors.
        {"left dock", tall, {{Strut::left, 60, 0, 799}}, QRect(60, 0, 1220, 800)},
        {"right dock on the other monitor", tall, {{Strut::right, 48, 0, 767}}, tall},
        {"empty, reversed", tall, {{Strut::top, 30, 5, 4}, {Strut::left, 0, 0, 799}}, tall},
    };
    for (const auto& c : cases)
        EXPECT_EQ(WorkAreas::monitorMinusStruts(c.monitor, root, c.struts), c.expected) << c.name;

    EXPECT_EQ(WorkAreas::desktopAreaOnMonitor(tall, QRect(0, 30, 2304, 714)),
              QRect(0, 30, 1280, 714));
    EXPECT_EQ(WorkAreas::desktopAreaOnMonitor(tall, QRect(2000, 0, 10, 10)), tall);
    EXPECT_EQ(WorkAreas::monitorIndexAt({tall, shortOne}, QPoint(2000, 790)), 1); // below it
    EXPECT_EQ(WorkAreas::monitorIndexAt({}, QPoint(0, 0)), -1);
}

} // namespace
