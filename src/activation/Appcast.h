#pragma once
// An update feed (an "appcast": RSS 2.0 whose items carry Sparkle's version
// attributes) read into items, and the version rule that picks the newest.
#include <QByteArray>
#include <QList>
#include <QString>
#include <QUrl>
#include <optional>

namespace dexaro {

struct AppcastItem {
    QString title;
    QString version;      // sparkle:version, on <enclosure> or as an element
    QString shortVersion; // sparkle:shortVersionString, likewise
    QUrl releaseNotes;    // sparkle:releaseNotesLink
    QUrl link;            // the item's <link>: its web page
    QUrl enclosure;       // <enclosure url="...">

    // The version compared with the running one: the short (marketing)
    // version when the item has one, else sparkle:version.
    QString displayVersion() const { return shortVersion.isEmpty() ? version : shortVersion; }
    // Where "Download" leads: the item's page, else its enclosure; only http(s)
    // addresses, so a feed cannot make Dexaro open a local file or a program.
    QUrl downloadPage() const;
};

struct Appcast {
    QList<AppcastItem> items;
    QString error; // empty when the feed was read

    static Appcast parse(const QByteArray& xml);
    // The item with the highest comparable version; items whose version does
    // not compare are skipped. Empty when none compares.
    std::optional<AppcastItem> newest() const;
};

// Versions are dotted numbers: "1", "1.2", "1.2.10". Components compare as
// numbers, a missing trailing component counts as 0 ("1.2" == "1.2.0").
// Anything else ("", "2.0-beta", "1.a", "1..2", " 1") does not compare:
// the answer is empty. Otherwise <0, 0 or >0 as a is older, equal or newer.
std::optional<int> compareVersions(const QString& a, const QString& b);

} // namespace dexaro
