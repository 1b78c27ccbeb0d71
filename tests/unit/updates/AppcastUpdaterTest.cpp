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

const char* const failed = "Dexaro could not check for updates.";

const Case cases[] = {
    {"newer", Mode::Serve, feedWith("1.3"), "A new version of Dexaro is available.",
     "Dexaro 1.3 is available; you have 1.2.0."},
    {"same", Mode::Serve, feedWith("1.2"), "You're up to date.", "Dexaro 1.2.0 is the newest"},
    {"older", Mode::Serve, feedWith("1.1.9"), "You're up to date.", "newest version"},
    {"broken XML", Mode::Serve, feedWith("1.3").chopped(10), failed, "not a valid update feed"},
    {"no comparable version", Mode::Serve, feedWith("2.0-beta"), failed,
     "no version that Dexaro can compare"},
    {"huge", Mode::Serve, QByteArray(2 * 1024 * 1024, ' ') + feedWith("1.3"), failed,
     "larger than Dexaro accepts"},
    {"redirect loop", Mode::RedirectLoop, {}, failed, "from one address to another"},
    {"closed without answer", Mode::Close, {}, failed, "closed the connection"},
    {"never answers", Mode::Hang, {}, failed, "did not answer in time"},
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

// Asked for, the check tells what happened; in the background it speaks only of
// a newer version, and only "Download" (the default answer) opens its page.
TEST(AppcastUpdater, EachAnswerOfTheServerAskedForAndInTheBackground) {
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const bool newer = qstrcmp(c.name, "newer") == 0;
        for (const bool background : {false, true}) {
            LocalHttpServer server(c.mode, c.body);
            Check check(server.url());
            check.alerts.answer = background ? 1 : 0; // "Later" or "Download"
            if (background)
                check.updater.checkForUpdatesInBackground();
            else
                check.updater.checkForUpdates();
            ASSERT_TRUE(check.finish());
            if (background && !newer) {
                EXPECT_TRUE(check.alerts.shown.isEmpty());
                continue;
            }
            ASSERT_EQ(check.alerts.shown.size(), 1);
            const auto& shown = check.alerts.shown.first();
            EXPECT_EQ(shown.message, c.message);
            EXPECT_TRUE(shown.informative.contains(c.informative))
                << shown.informative.toStdString();
            EXPECT_EQ(check.opened, newer && !background
                                        ? QList<QUrl>{QUrl("https://example.org/dexaro")}
                                        : QList<QUrl>{});
        }
    }
}

TEST(AppcastUpdater, FeedlessAndInsecureFeedsAreNeverFetched) {
    const struct {
        const char* feed;
        const char* message;
    } cases[] = {
        {"", "Updates come with your system's package manager."},
        {"http://example.org/appcast.xml", failed},
        {"file:///etc/passwd", failed},
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
