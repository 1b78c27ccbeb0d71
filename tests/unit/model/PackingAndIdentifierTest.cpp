#include "model/Identifier.h"
#include "model/Packing.h"
#include "model/Records.h"

#include <gtest/gtest.h>

using namespace dexaro;

TEST(Packing, JoinAndSplitAreExactInverseForPlainData) {
    const QStringList apps = {QStringLiteral("file:///usr/share/applications/a.desktop"),
                              QStringLiteral("file:///usr/share/applications/b.desktop")};
    const QString packed = pack(apps, separators::apps);
    EXPECT_EQ(packed, apps[0] + QStringLiteral("0,.,1") + apps[1]);
    EXPECT_EQ(unpack(packed, separators::apps), apps);
}

TEST(Packing, EmptyListPacksToEmptyStringWhichUnpacksToOneEmptyElement) {
    EXPECT_EQ(pack({}, separators::urls), QString());
    EXPECT_EQ(unpack(QString(), separators::urls), QStringList{QString()});
    EXPECT_EQ(unpack(QString(), separators::fileURLs), QStringList{QString()});
}

TEST(Packing, SeparatorInsideDataIsNotEscaped) {
    // A link whose name holds the separator comes back as two elements.
    const QString name = QStringLiteral("a@@0100..1x@@b");
    const QString packed = packURLLinks({{name, QStringLiteral("https://x.org")}});
    EXPECT_EQ(unpack(packed, separators::urls).size(), 2);
}

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
        auto [name, address] = unpackLink(QString::fromUtf8(row.element), markers::urlLink);
        EXPECT_EQ(name, QString::fromUtf8(row.name)) << row.element;
        EXPECT_EQ(address, QString::fromUtf8(row.address)) << row.element;
    }
}

TEST(Identifier, HashIsFnv1a64OverUtf8ReadAsSigned) {
    // Stored identifiers and placement keys depend on these exact values.
    EXPECT_EQ(stringHash(QString()), -3750763034362895579LL);
    EXPECT_EQ(stringHash(QStringLiteral("a")), -5808556873153909620LL);
    EXPECT_EQ(stringHash(QStringLiteral("foobar")), -8821353812377114648LL);
    EXPECT_EQ(stringHash(QString::fromUtf8("Ünïcode")), 3114258718066466763LL);
}

TEST(Identifier, IsTheSignedDecimalHashOfNameAndTimeText) {
    EXPECT_EQ(timeText(1765049940.123456), QStringLiteral("1765049940.123456"));
    EXPECT_EQ(makeIdentifier(QStringLiteral("Work"), 1765049940.123456),
              QStringLiteral("1468845771274259272"));
    EXPECT_NE(makeIdentifier(QStringLiteral("Work"), 1765049940.0),
              makeIdentifier(QStringLiteral("Work"), 1765049941.0));
    // Identifiers made in quick succession still differ (microsecond time text).
    EXPECT_NE(makeIdentifier(QStringLiteral("Work")), QString());
}
