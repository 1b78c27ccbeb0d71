// Reading the update feed and comparing versions.
#include "activation/Appcast.h"

#include <gtest/gtest.h>

using namespace dexaro;

namespace {

QByteArray feed(const QByteArray& items) {
    return "<?xml version=\"1.0\"?><rss version=\"2.0\" "
           "xmlns:sparkle=\"http://www.andymatuschak.org/xml-namespaces/sparkle\"><channel>"
           "<title>Dexaro</title>" +
           items + "</channel></rss>";
}

} // namespace

TEST(CompareVersions, DottedNumbersCompareAndAnythingElseDoesNot) {
    const struct {
        const char* a;
        const char* b;
        std::optional<int> order;
    } cases[] = {
        {"1.2.10", "1.2.9", 1},
        {"1.2", "1.2.0", 0},
        {"0.9", "0.10", -1},
        {"2", "1.99.99", 1},
        {"007", "7", 0},
        {"2.0-beta", "1.0", std::nullopt},
        {"", "1.0", std::nullopt},
        {"1.a", "1.0", std::nullopt},
        {"1..2", "1.2", std::nullopt},
        {" 1", "1", std::nullopt},
        {"99999999999999999999", "1", std::nullopt},
    };
    for (const auto& c : cases) {
        const auto order = compareVersions(QString::fromUtf8(c.a), QString::fromUtf8(c.b));
        ASSERT_EQ(order.has_value(), c.order.has_value()) << c.a << " vs " << c.b;
        if (order) {
            EXPECT_EQ(*order > 0 ? 1 : *order < 0 ? -1 : 0, *c.order) << c.a << " vs " << c.b;
        }
    }
}

TEST(Appcast, ReadsVersionsFromEnclosureOrElementsAndPicksTheNewest) {
    const Appcast cast = Appcast::parse(
        feed("<item><title>Old</title><enclosure url=\"https://example.org/d-1.0.tar.gz\" "
             "sparkle:version=\"100\" sparkle:shortVersionString=\"1.0\"/></item>"
             "<item><title>New</title><link>https://example.org/download</link>"
             "<sparkle:shortVersionString>1.10</sparkle:shortVersionString>"
             "<sparkle:releaseNotesLink>https://example.org/notes</sparkle:releaseNotesLink>"
             "<enclosure url=\"https://example.org/d-1.10.tar.gz\"/></item>"
             "<item><title>Beta</title><sparkle:version>2.0-beta</sparkle:version></item>"
             "<item><title>No version</title><enclosure url=\"https://example.org/x\"/></item>"
             "<item><title>Bare build</title><sparkle:version>1.9</sparkle:version></item>"
             "<item><link>file:///etc/passwd</link><sparkle:version>0.1</sparkle:version>"
             "<enclosure url=\"javascript:alert(1)\"/></item>"));
    ASSERT_TRUE(cast.error.isEmpty()) << cast.error.toStdString();
    ASSERT_EQ(cast.items.size(), 6);
    EXPECT_FALSE(cast.items[5].downloadPage().isValid()) << "only web addresses are pages";
    EXPECT_EQ(cast.items[0].version, "100");
    EXPECT_EQ(cast.items[0].displayVersion(), "1.0");
    EXPECT_EQ(cast.items[0].downloadPage(), QUrl("https://example.org/d-1.0.tar.gz"));
    const auto newest = cast.newest();
    ASSERT_TRUE(newest);
    EXPECT_EQ(newest->title, "New");
    EXPECT_EQ(newest->releaseNotes, QUrl("https://example.org/notes"));
    EXPECT_EQ(newest->downloadPage(), QUrl("https://example.org/download"));
}

TEST(Appcast, BadFeedsGiveAnErrorOrNoComparableItem) {
    const struct {
        const char* name;
        QByteArray data;
        bool error;
    } cases[] = {
        {"empty", "", true},
        {"not XML", "HTTP is not XML {", true},
        {"not RSS", "<html><body>hi</body></html>", true},
        {"broken after items", feed("<item><sparkle:version>2</sparkle:version></item>").chopped(8),
         true},
        {"no items", feed(""), false},
        {"only uncomparable", feed("<item><sparkle:version>1.a</sparkle:version></item>"), false},
    };
    for (const auto& c : cases) {
        const Appcast cast = Appcast::parse(c.data);
        EXPECT_EQ(!cast.error.isEmpty(), c.error) << c.name;
        EXPECT_FALSE(cast.newest()) << c.name;
    }
}
