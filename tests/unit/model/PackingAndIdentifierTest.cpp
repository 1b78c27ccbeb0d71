#include "model/Identifier.h"
#include "model/Packing.h"
#include "model/Records.h"
#include "positioning/PositionName.h"

#include <gtest/gtest.h>

using namespace dexaro;

TEST(Packing, LinkRowsWithBothFieldsEmptyAreDropped) {
    const QString packed = packURLLinks({{QString(), QString()},
                                         {QStringLiteral("Docs"), QStringLiteral("https://d.org")},
                                         {QStringLiteral("NoAddress"), QString()},
                                         {QString(), QStringLiteral("https://anon.org")}});
    EXPECT_EQ(
        unpack(packed, separators::urls),
        (QStringList{QStringLiteral("Docs*:///:*https://d.org"), QStringLiteral("NoAddress*:///:*"),
                     QStringLiteral("*:///:*https://anon.org")}));
    EXPECT_EQ(packFileLinks({{QStringLiteral("Notes"), QStringLiteral("/home/u/n.txt")}}),
              QStringLiteral("Notes*:///:/:///:*/home/u/n.txt"));
}

TEST(Packing, UnpackLinkSplitsAtTheFirstMarker) {
    struct Row {
        const char* element;
        const char* name;
        const char* address;
    };
    const Row rows[] = {
        {"Docs*:///:*https://d.org", "Docs", "https://d.org"},
        {"*:///:*", "", ""},
        {"NoMarker", "NoMarker", ""},
        {"a*:///:*b*:///:*c", "a", "b*:///:*c"},
    };
    for (const Row& row : rows) {
        const auto [name, address] = unpackLink(QString::fromUtf8(row.element), markers::urlLink);
        EXPECT_EQ(name, QString::fromUtf8(row.name)) << row.element;
        EXPECT_EQ(address, QString::fromUtf8(row.address)) << row.element;
    }
}

TEST(Identifier, IsTheSignedDecimalFnv1aHashOfNameAndTimeText) {
    // Stored identifiers and placement keys depend on these exact values.
    EXPECT_EQ(stringHash(QString()), -3750763034362895579LL);
    EXPECT_EQ(stringHash(QStringLiteral("foobar")), -8821353812377114648LL);
    EXPECT_EQ(stringHash(QString::fromUtf8("Ünïcode")), 3114258718066466763LL);
    EXPECT_EQ(timeText(1765049940.123456), QStringLiteral("1765049940.123456"));
    EXPECT_EQ(makeIdentifier(QStringLiteral("Work"), 1765049940.123456),
              QStringLiteral("1468845771274259272"));
    // Placement keys are the absolute value: FNV-1a of "a" is negative.
    EXPECT_EQ(appPositionKey(QStringLiteral("a")), -qint64(0xaf63dc4c8601ec8cull));
}
