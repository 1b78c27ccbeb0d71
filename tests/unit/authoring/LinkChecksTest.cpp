// What a link's address opens, and the rows the link lists mark as they are
// typed and refuse to save: text that would not read back as typed, web
// addresses that can never open.
#include "activation/LaunchRules.h"
#include "authoring/AuthoringWidgets.h"
#include "authoring/LinkListView.h"
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
        {"example.org/path?q=1", "https://example.org/path?q=1"},
        {"http://example.org", "http://example.org"},
        {"https://example.org", "https://example.org"},
        {"  https://x.example  ", "https://x.example"},
        {"\thttps://x.example\n", "https://x.example"},
        {"view-source:https://example.org", "view-source:https://example.org"},
        // Another scheme is kept, not turned into a host name.
        {"ftp://files.example.org", "ftp://files.example.org"},
        {"files.example.org/a://b", "https://files.example.org/a://b"},
        // A scheme without "//" is kept when the desktop opens it ...
        {"mailto:a@b.example", "mailto:a@b.example"},
        {"tel:+4930123", "tel:+4930123"},
        // ... and is a host and port when it does not.
        {"localhost:8080", "https://localhost:8080"},
        {"example.org:8443/x", "https://example.org:8443/x"},
        {"javascript:alert(1)", nullptr},
        {"JavaScript:alert(1)", nullptr},
        {":", nullptr},
        {"http://", nullptr},
        {"https://", nullptr},
        {"exa mple.org", nullptr},
        {"", nullptr},
        {"   ", nullptr},
    };
    for (const Row& row : rows) {
        const std::optional<QUrl> url =
            webAddressToOpen(QString::fromUtf8(row.address), mailAndPhone);
        EXPECT_EQ(url ? url->toString() : QString(), QString::fromUtf8(row.opened)) << row.address;
        EXPECT_EQ(url.has_value(), row.opened != nullptr) << row.address;
        // What opens on this desktop can open on some desktop.
        if (url)
            EXPECT_TRUE(webAddressCanOpen(QString::fromUtf8(row.address))) << row.address;
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
        {&urls, "Mail", "mailto:team@example.org", false},
        {&urls, "Spaced", "  https://x.example  ", false},
        {&urls, "Only a name", "", false},
        {&urls, "Script", "javascript:alert(1)", true},
        {&urls, "Colon", ":", true},
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

    EXPECT_EQ(urls.unopenableRows(), (QList<int>{1, 2, 3}));
    const auto refusal = refusalFor(
        "Name", {}, [] { return false; }, {"file:///a.desktop"}, urls, files);
    ASSERT_TRUE(refusal);
    EXPECT_EQ(refusal->message, "Web link cannot be opened!");
    EXPECT_TRUE(refusal->informative.contains("web link 2, web link 3, web link 4"))
        << qPrintable(refusal->informative);
}

} // namespace
} // namespace dexaro::test
