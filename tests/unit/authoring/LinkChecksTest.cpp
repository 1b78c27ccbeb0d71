// What a link's address opens, and the rows the link lists mark as they are
// typed and refuse to save: text that would not read back as typed, web
// addresses that can never open.
#include "activation/LaunchRules.h"
#include "authoring/AuthoringWidgets.h"
#include "authoring/LinkListView.h"
#include "model/Packing.h"
#include "support/QtPrinters.h"

#include <QDir>
#include <QLineEdit>
#include <gtest/gtest.h>

namespace dexaro::test {
namespace {

// The desktop of these tests opens mail and phone addresses, nothing else.
bool mailAndPhone(const QString& scheme) {
    return scheme == QLatin1String("mailto") || scheme == QLatin1String("tel");
}

TEST(LinkChecks, WebAddressesKeepTheirSchemeOrGetHttps) {
    struct Row {
        const char* address;
        const char* opened; // nullptr: can never open
    };
    const Row rows[] = {
        {"example.org", "https://example.org"},
        {"http://example.org", "http://example.org"},
        {"  https://x.example  ", "https://x.example"},
        {"view-source:https://example.org", "view-source:https://example.org"},
        // Another scheme is kept, not turned into a host name.
        {"ftp://files.example.org", "ftp://files.example.org"},
        {"files.example.org/a://b", "https://files.example.org/a://b"},
        // A scheme without "//" is kept when the desktop opens it ...
        {"mailto:a@b.example", "mailto:a@b.example"},
        // ... and is a host and port when it does not.
        {"localhost:8080", "https://localhost:8080"},
        {"javascript:alert(1)", nullptr},
        {"JavaScript:alert(1)", nullptr},
        {":", nullptr},
        {"http://", nullptr},
        {"exa mple.org", nullptr},
        {"", nullptr},
    };
    for (const Row& row : rows) {
        const std::optional<QUrl> url =
            webAddressToOpen(QString::fromUtf8(row.address), mailAndPhone);
        EXPECT_EQ(url ? url->toString() : QString(), QString::fromUtf8(row.opened)) << row.address;
        EXPECT_EQ(url.has_value(), row.opened != nullptr) << row.address;
        // What opens on this desktop can open on some desktop.
        if (url) {
            EXPECT_TRUE(webAddressCanOpen(QString::fromUtf8(row.address))) << row.address;
        }
    }
    // Whether a scheme is opened depends on the desktop, never whether the
    // address is refused while typed.
    for (const char* address : {"mailto:a@b.example", "localhost:8080", "foo:bar"})
        EXPECT_TRUE(webAddressCanOpen(QString::fromUtf8(address))) << address;
}

TEST(LinkChecks, FileLinksStartingWithATildeAreInTheHomeFolder) {
    const QString home = QDir::homePath();
    const std::pair<QString, QString> rows[] = {
        {"~/notes.txt", home + "/notes.txt"},
        {"~", home},
        {"/tmp/~/x", "/tmp/~/x"},
        {"~other/x", "~other/x"},
        {"notes~/x", "notes~/x"},
    };
    for (const auto& [address, path] : rows)
        EXPECT_EQ(fileLinkPath(address), path) << qPrintable(address);
}

// Rows are marked while typed; a save is refused naming the rows.
TEST(LinkChecks, RowsThatCannotBeStoredOrOpenedAreMarkedAndRefused) {
    LinkListView urls(LinkKind::url);
    LinkListView files(LinkKind::file);
    const struct {
        LinkListView* list;
        QString name, address;
        bool marked;
    } rows[] = {
        {&urls, "Blog", "https://blog.example", false},
        {&urls, "Only a name", "", false},
        {&urls, "Script", "javascript:alert(1)", true},
        {&urls, "No host", "http://", true},
        {&urls, "Marker", "https://a.example/*:///:*", true},
        // A file path is never a web address.
        {&files, "Colon", ":", false},
    };
    for (const auto& row : rows) {
        row.list->addRow();
        LinkRowView* view = row.list->rowView(0);
        view->nameField()->setText(row.name);
        view->addressField()->setText(row.address);
        EXPECT_EQ(!view->problem().isEmpty(), row.marked) << qPrintable(row.name);
        EXPECT_EQ(view->accessibleDescription(), view->problem());
    }
    // New rows go on top. Corrected, the mark goes.
    urls.rowView(0)->addressField()->setText("https://a.example/");
    EXPECT_EQ(urls.rowView(0)->problem(), QString());

    EXPECT_EQ(urls.unopenableRows(), (QList<int>{1, 2}));
    const auto refusal = refusalFor(
        "Name", {}, [] { return false; }, {"file:///a.desktop"}, urls, files);
    ASSERT_TRUE(refusal);
    EXPECT_EQ(refusal->message, "Web link cannot be opened!");
    EXPECT_TRUE(refusal->informative.contains("web link 2, web link 3"))
        << qPrintable(refusal->informative);
}

// A link reads back only when its marker and the list's separator are found
// exactly where they were put, also across the border of name and address
// and of neighbouring links.
TEST(LinkChecks, LinksReadBackOnlyWhenNoMarkerOrSeparatorFormsAcrossABorder) {
    struct Row {
        QString name, address;
        LinkKind kind;
        bool readsBack;
    };
    const Row rows[] = {
        {"Docs", "https://docs.example", LinkKind::url, true},
        {"", "", LinkKind::url, true},
        {"Docs*:///:", "*https://docs.example", LinkKind::url, false},
        {"Docs", ":///:*x", LinkKind::url, true}, // split finds the first marker only
        {"Docs", "*:///:*x", LinkKind::url, false},
        {"a*:///:*b", "c", LinkKind::url, false},
        {"Notes", "/home/u/*:///:*.txt", LinkKind::file, true}, // the web marker in a file link
        {"Notes*:///:/:///:", "/n.txt", LinkKind::file, false},
        // The separator inside, or formed with a neighbour's separator.
        {"a", "x@@0100..1x@@y", LinkKind::url, false},
        {"a", "x@@0100..1x", LinkKind::url, false},
        {"0100..1x@@b", "x", LinkKind::url, false},
        {"a", "x@", LinkKind::url, true},
    };
    for (const Row& row : rows) {
        const bool url = row.kind == LinkKind::url;
        const QString& marker = url ? markers::urlLink : markers::fileLink;
        const QString& separator = url ? separators::urls : separators::fileURLs;
        EXPECT_EQ(linkReadsBack(row.name, row.address, marker, separator), row.readsBack)
            << qPrintable(row.name + " | " + row.address);
        if (!row.readsBack)
            continue;
        // What is accepted reads back as typed between any neighbours.
        const QString element = packLink(row.name, row.address, marker);
        const QString other = packLink("n", "x", marker);
        EXPECT_EQ(unpack(pack({other, element, element, other}, separator), separator),
                  (QStringList{other, element, element, other}));
    }
}

// Stored strings are shown and saved back whole, also those with the marker
// more than once or none; once a row is edited it is held to the rules again.
TEST(LinkChecks, StoredRowsAreKeptAsTheyWereReadAndTypedOnesMustReadBack) {
    LinkListView urls(LinkKind::url);
    LinkListView files(LinkKind::file);
    const QStringList stored = {"Docs*:///:*https://docs.example",
                                "Odd*:///:*name*:///:*https://odd.example", "Bare name"};
    urls.setFromStoredStrings(stored);
    QStringList saved;
    for (const LinkRow& row : urls.currentRows())
        saved.append(packLink(row.name, row.address, markers::urlLink));
    EXPECT_EQ(saved.first(), stored.first());
    EXPECT_EQ(saved.at(1), stored.at(1));
    EXPECT_TRUE(saved.at(2).startsWith("Bare name")) << qPrintable(saved.at(2));
    EXPECT_EQ(urls.unstorableRows(), QList<int>{});
    // The kept row never opens: it says so, but does not stop a save.
    EXPECT_EQ(urls.rowView(1)->problem(), "This address can never be opened.");
    EXPECT_EQ(urls.unopenableRows(), QList<int>{});
    EXPECT_FALSE(refusalFor(
        "Name", {}, [] { return false; }, {"file:///a.desktop"}, urls, files));

    // Typed so that the marker forms across the border: refused.
    urls.rowView(0)->nameField()->setText("Docs*:///:");
    urls.rowView(0)->addressField()->setText("*https://docs.example");
    EXPECT_NE(urls.rowView(0)->problem(), QString());
    // The kept row, once edited, too.
    urls.rowView(1)->nameField()->setText("Odd!");
    EXPECT_EQ(urls.unstorableRows(), (QList<int>{0, 1}));
    const auto refusal = refusalFor(
        "Name", {}, [] { return false; }, {"file:///a.desktop"}, urls, files);
    ASSERT_TRUE(refusal);
    EXPECT_EQ(refusal->message, "Links cannot be stored!");
    EXPECT_TRUE(refusal->informative.contains("web link 1, web link 2"))
        << qPrintable(refusal->informative);
}

} // namespace
} // namespace dexaro::test
