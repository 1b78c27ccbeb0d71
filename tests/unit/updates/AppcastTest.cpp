// Reading the update feed, comparing versions, and the update check against
// feeds served on 127.0.0.1: what the user sees for each answer of the server.
#include "activation/Appcast.h"
#include "activation/AppcastUpdater.h"
#include "support/LocalHttpServer.h"
#include "support/QtPrinters.h"
#include "support/RecordingAlerts.h"
#include "support/Wait.h"

#include <gtest/gtest.h>

using namespace dexaro;
using namespace std::chrono_literals;
using dexaro::test::LocalHttpServer;
using Mode = LocalHttpServer::Mode;

namespace {

QByteArray feed(const QByteArray& items) {
    return "<?xml version=\"1.0\"?><rss version=\"2.0\" "
           "xmlns:sparkle=\"http://www.andymatuschak.org/xml-namespaces/sparkle\"><channel>"
           "<title>Dexaro</title>" +
           items + "</channel></rss>";
}

QByteArray feedWith(const char* version) {
    return feed(QByteArray("<item><title>Dexaro</title><link>https://example.org/dexaro</link>"
                           "<enclosure url=\"https://example.org/dexaro.tar.gz\" "
                           "sparkle:shortVersionString=\"") +
                version + "\"/></item>");
}

const char* const failed = "Dexaro could not check for updates.";
const char* const packaged = "Updates come with your system's package manager.";

struct Check {
    test::RecordingAlerts alerts;
    QList<QUrl> opened;
    AppcastUpdater updater;

    explicit Check(const QUrl& feed)
        : updater(feed, QStringLiteral("1.2.0"), alerts,
                  [this](const QUrl& url) { opened.append(url); }) {
        updater.setTimeout(500ms);
    }
    bool finish() {
        return test::waitUntil([this] { return !updater.isChecking(); });
    }
};

} // namespace

TEST(CompareVersions, DottedNumbersCompareAndAnythingElseDoesNot) {
    const struct {
        const char* a;
        const char* b;
        std::optional<int> order;
    } cases[] = {
        {"1.2.10", "1.2.9", 1},
        {"1.2", "1.2.0", 0},
        {"2", "1.99.99", 1},
        {"007", "7", 0},
        {"2.0-beta", "1.0", std::nullopt},
        {"", "1.0", std::nullopt},
        {"1..2", "1.2", std::nullopt},
        {" 1", "1", std::nullopt},
        {"99999999999999999999", "1", std::nullopt},
    };
    for (const auto& c : cases) {
        auto order = compareVersions(QString::fromUtf8(c.a), QString::fromUtf8(c.b));
        if (order)
            order = *order > 0 ? 1 : *order < 0 ? -1 : 0;
        EXPECT_EQ(order, c.order) << c.a << " vs " << c.b;
    }
}

// Each item's version, the version shown and its page (only web addresses are
// pages, so a feed cannot make Dexaro open a local file or run a script).
TEST(Appcast, ReadsVersionsFromEnclosureOrElementsAndPicksTheNewest) {
    const Appcast cast = Appcast::parse(
        feed("<item><enclosure url=\"https://example.org/d-1.0.tar.gz\" "
             "sparkle:version=\"100\" sparkle:shortVersionString=\"1.0\"/></item>"
             "<item><link>https://example.org/download</link>"
             "<sparkle:shortVersionString>1.10</sparkle:shortVersionString>"
             "<enclosure url=\"https://example.org/d-1.10.tar.gz\"/></item>"
             "<item><sparkle:version>2.0-beta</sparkle:version></item>"
             "<item><sparkle:version>1.9</sparkle:version></item>"
             "<item><link>file:///etc/passwd</link><sparkle:version>0.1</sparkle:version>"
             "<enclosure url=\"javascript:alert(1)\"/></item>"));
    ASSERT_TRUE(cast.error.isEmpty()) << cast.error.toStdString();
    const auto describe = [](const AppcastItem& item) {
        return QStringList{item.version, item.displayVersion(), item.downloadPage().toString()}
            .join(u'|');
    };
    QStringList items;
    for (const AppcastItem& item : cast.items)
        items << describe(item);
    EXPECT_EQ(items, (QStringList{QStringLiteral("100|1.0|https://example.org/d-1.0.tar.gz"),
                                  QStringLiteral("|1.10|https://example.org/download"),
                                  QStringLiteral("2.0-beta|2.0-beta|"), QStringLiteral("1.9|1.9|"),
                                  QStringLiteral("0.1|0.1|")}));
    ASSERT_TRUE(cast.newest());
    EXPECT_EQ(describe(*cast.newest()), items[1]);
}

// Asked for, the check tells what happened; in the background it speaks only of
// a newer version, and only "Download" (the default answer) opens its page.
// Without an https feed nothing is fetched.
TEST(AppcastUpdater, EachAnswerOfTheServerAskedForAndInTheBackground) {
    const struct {
        const char* name;
        Mode mode;
        QByteArray body;
        const char* message;        // what the on-demand check shows
        const char* informative;    // a part of its informative text
        const char* feed = nullptr; // instead of the server's: never fetched
    } cases[] = {
        {"newer", Mode::Serve, feedWith("1.3"), "A new version of Dexaro is available.",
         "Dexaro 1.3 is available; you have 1.2.0."},
        {"same", Mode::Serve, feedWith("1.2"), "You're up to date.", "Dexaro 1.2.0 is the newest"},
        // Cut off after its item: the item read before the break must not count.
        {"broken XML", Mode::Serve, feedWith("1.3").chopped(10), failed, "not a valid update feed"},
        {"not RSS", Mode::Serve, "<html><body>1.3</body></html>", failed,
         "not a valid update feed"},
        {"no comparable version", Mode::Serve, feedWith("2.0-beta"), failed,
         "no version that Dexaro can compare"},
        {"huge", Mode::Serve, QByteArray(2 * 1024 * 1024, ' ') + feedWith("1.3"), failed,
         "larger than Dexaro accepts"},
        {"redirect loop", Mode::RedirectLoop, {}, failed, "from one address to another"},
        {"closed without answer", Mode::Close, {}, failed, "closed the connection"},
        {"never answers", Mode::Hang, {}, failed, "did not answer in time"},
        {"no feed", Mode::Hang, {}, packaged, "does not look for updates itself", ""},
        {"plain http", Mode::Hang, {}, failed, "not a secure", "http://example.org/appcast.xml"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const bool newer = qstrcmp(c.name, "newer") == 0;
        for (const bool background : {false, true}) {
            LocalHttpServer server(c.mode, c.body);
            Check check(c.feed ? QUrl(QString::fromUtf8(c.feed)) : server.url());
            check.alerts.answer = background ? 1 : 0; // "Later" or "Download"
            if (background)
                check.updater.checkForUpdatesInBackground();
            else
                check.updater.checkForUpdates();
            EXPECT_TRUE(!c.feed || !check.updater.isChecking()) << "fetched";
            ASSERT_TRUE(check.finish());
            if (background && !newer) {
                EXPECT_TRUE(check.alerts.shown.isEmpty());
                continue;
            }
            ASSERT_EQ(check.alerts.shown.size(), 1);
            EXPECT_EQ(check.alerts.shown[0].message, c.message);
            EXPECT_TRUE(check.alerts.shown[0].informative.contains(c.informative))
                << check.alerts.shown[0].informative.toStdString();
            EXPECT_EQ(check.opened, newer && !background
                                        ? QList<QUrl>{QUrl("https://example.org/dexaro")}
                                        : QList<QUrl>{});
        }
    }
}

TEST(AppcastUpdater, AskingDuringABackgroundCheckReportsItsOutcome) {
    LocalHttpServer server(Mode::Serve, feedWith("1.2"));
    Check check(server.url());
    check.updater.checkForUpdatesInBackground();
    check.updater.checkForUpdates();
    ASSERT_TRUE(check.finish());
    EXPECT_EQ(server.requests, 1);
    ASSERT_EQ(check.alerts.shown.size(), 1);
    EXPECT_EQ(check.alerts.shown[0].message, "You're up to date.");
}
