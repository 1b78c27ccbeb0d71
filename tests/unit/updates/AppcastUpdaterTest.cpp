// The update check against feeds served on 127.0.0.1: what the user sees for
// each answer of the server, asked for and in the background.
#include "activation/AppcastUpdater.h"
#include "support/LocalHttpServer.h"
#include "support/RecordingAlerts.h"
#include "support/Wait.h"

#include <gtest/gtest.h>
#include <memory>

using namespace dexaro;
using namespace std::chrono_literals;
using dexaro::test::LocalHttpServer;
using Mode = LocalHttpServer::Mode;

namespace {

QByteArray feedWith(const char* version) {
    return QByteArray("<?xml version=\"1.0\"?><rss version=\"2.0\" "
                      "xmlns:sparkle=\"http://www.andymatuschak.org/xml-namespaces/sparkle\">"
                      "<channel><item><title>Dexaro</title>"
                      "<link>https://example.org/dexaro</link>"
                      "<enclosure url=\"https://example.org/dexaro.tar.gz\" "
                      "sparkle:shortVersionString=\"") +
           version + "\"/></item></channel></rss>";
}

struct Case {
    const char* name;
    Mode mode;
    QByteArray body;
    const char* message;     // what the on-demand check shows ("" for nothing)
    const char* informative; // a part of its informative text
};

const Case cases[] = {
    {"newer", Mode::Serve, feedWith("1.3"), "A new version of Dexaro is available.",
     "Dexaro 1.3 is available; you have 1.2.0."},
    {"same", Mode::Serve, feedWith("1.2"), "You're up to date.", "Dexaro 1.2.0 is the newest"},
    {"older", Mode::Serve, feedWith("1.1.9"), "You're up to date.", "newest version"},
    {"broken XML", Mode::Serve, feedWith("1.3").chopped(10), "Dexaro could not check for updates.",
     "not a valid update feed"},
    {"no comparable version", Mode::Serve, feedWith("2.0-beta"),
     "Dexaro could not check for updates.", "no version that Dexaro can compare"},
    {"huge", Mode::Serve, QByteArray(2 * 1024 * 1024, ' ') + feedWith("1.3"),
     "Dexaro could not check for updates.", "larger than Dexaro accepts"},
    {"redirect loop",
     Mode::RedirectLoop,
     {},
     "Dexaro could not check for updates.",
     "from one address to another"},
    {"closed without answer",
     Mode::Close,
     {},
     "Dexaro could not check for updates.",
     "closed the connection"},
    {"never answers",
     Mode::Hang,
     {},
     "Dexaro could not check for updates.",
     "did not answer in time"},
};

struct Check {
    dexaro::test::RecordingAlerts alerts;
    QList<QUrl> opened;
    AppcastUpdater updater;

    explicit Check(const QUrl& feed)
        : updater(feed, QStringLiteral("1.2.0"), alerts,
                  [this](const QUrl& url) { opened.append(url); }) {
        updater.setTimeout(500ms);
    }
    bool finish() {
        return dexaro::test::waitUntil([this] { return !updater.isChecking(); });
    }
};

} // namespace

TEST(AppcastUpdater, OnDemandCheckTellsWhatHappened) {
    for (const Case& c : cases) {
        LocalHttpServer server(c.mode, c.body);
        Check check(server.url());
        check.updater.checkForUpdates();
        ASSERT_TRUE(check.finish()) << c.name;
        ASSERT_EQ(check.alerts.shown.size(), 1) << c.name;
        const auto& shown = check.alerts.shown.first();
        EXPECT_EQ(shown.title, "Software Update") << c.name;
        EXPECT_EQ(shown.message, c.message) << c.name;
        EXPECT_TRUE(shown.informative.contains(c.informative))
            << c.name << ": " << shown.informative.toStdString();
        // "Download" is the default answer: only a newer version opens its page.
        const bool newer = qstrcmp(c.name, "newer") == 0;
        EXPECT_EQ(check.opened,
                  newer ? QList<QUrl>{QUrl("https://example.org/dexaro")} : QList<QUrl>{})
            << c.name;
    }
}

TEST(AppcastUpdater, BackgroundCheckSpeaksOnlyOfANewerVersion) {
    for (const Case& c : cases) {
        LocalHttpServer server(c.mode, c.body);
        Check check(server.url());
        check.alerts.answer = 1; // "Later"
        check.updater.checkForUpdatesInBackground();
        ASSERT_TRUE(check.finish()) << c.name;
        const bool newer = qstrcmp(c.name, "newer") == 0;
        ASSERT_EQ(check.alerts.shown.size(), newer ? 1 : 0) << c.name;
        if (newer) {
            EXPECT_EQ(check.alerts.shown.first().buttons, QStringList({"Download", "Later"}));
        }
        EXPECT_TRUE(check.opened.isEmpty()) << c.name;
    }
}

TEST(AppcastUpdater, FeedlessAndInsecureFeedsAreNeverFetched) {
    const struct {
        const char* feed;
        const char* message;
    } cases[] = {
        {"", "Updates come with your system's package manager."},
        {"http://example.org/appcast.xml", "Dexaro could not check for updates."},
        {"file:///etc/passwd", "Dexaro could not check for updates."},
    };
    for (const auto& c : cases) {
        Check check{QUrl(QString::fromUtf8(c.feed))};
        check.updater.checkForUpdatesInBackground();
        EXPECT_FALSE(check.updater.isChecking()) << c.feed;
        EXPECT_TRUE(check.alerts.shown.isEmpty()) << c.feed;
        check.updater.checkForUpdates();
        EXPECT_FALSE(check.updater.isChecking()) << c.feed;
        ASSERT_EQ(check.alerts.shown.size(), 1) << c.feed;
        EXPECT_EQ(check.alerts.shown.first().message, c.message) << c.feed;
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
    EXPECT_EQ(check.alerts.shown.first().message, "You're up to date.");
}
