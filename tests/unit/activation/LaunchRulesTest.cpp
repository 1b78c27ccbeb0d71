// The text rules of switching on: link addresses, the web-address prefix, the
// names used in messages and the "could not be opened" text.
#include "activation/LaunchRules.h"
#include "model/Packing.h"
#include "support/QtPrinters.h"

#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace dexaro;

TEST(LaunchRules, LinkAddressesKeepOnlyElementsWithOneMarker) {
    struct Row {
        const char* element;
        std::optional<QString> address;
    };
    const Row rows[] = {
        {"Docs*:///:*https://docs.example.org", QStringLiteral("https://docs.example.org")},
        {"Bare name", std::nullopt},
        {"a*:///:*b*:///:*c", std::nullopt},
        {"*:///:*", QString()},
        {"", std::nullopt},
    };
    for (const Row& row : rows) {
        const QStringList addresses =
            linkAddresses({QString::fromUtf8(row.element)}, markers::urlLink);
        if (row.address)
            EXPECT_EQ(addresses, QStringList{*row.address}) << row.element;
        else
            EXPECT_TRUE(addresses.isEmpty()) << row.element;
    }
    // The file marker contains the web marker's characters; each splits at its own.
    EXPECT_EQ(linkAddresses({QStringLiteral("Notes*:///:/:///:*/home/u/n.txt")}, markers::fileLink),
              QStringList{QStringLiteral("/home/u/n.txt")});
    EXPECT_TRUE(linkAddresses({QStringLiteral("Notes*:///:/:///:*/home/u/n.txt")}, markers::urlLink)
                    .isEmpty());
}

TEST(LaunchRules, WebAddressesGetHttpsUnlessTheyNameHttpAnywhere) {
    struct Row {
        const char* address;
        const char* opened; // nullptr: skipped
    };
    const Row rows[] = {
        {"example.org", "https://example.org"},
        {"example.org/path?q=1", "https://example.org/path?q=1"},
        {"http://example.org", "http://example.org"},
        {"https://example.org", "https://example.org"},
        {"view-source:https://example.org", "view-source:https://example.org"},
        // Another scheme gets the prefix too; the result parses (host "ftp").
        {"ftp://files.example.org", "https://ftp//files.example.org"},
        {"exa mple.org", nullptr},
        {"", nullptr},
        {"https://", nullptr},
    };
    for (const Row& row : rows) {
        const std::optional<QUrl> url = webAddressToOpen(QString::fromUtf8(row.address));
        if (row.opened) {
            ASSERT_TRUE(url.has_value()) << row.address;
            EXPECT_EQ(url->toString(), QString::fromUtf8(row.opened)) << row.address;
        } else {
            EXPECT_FALSE(url.has_value()) << row.address << " -> " << url->toString().toStdString();
        }
    }
}

TEST(LaunchRules, DisplayNamesAndTheNotOpenedText) {
    EXPECT_EQ(appDisplayName(QStringLiteral("file:///usr/share/applications/firefox-esr.desktop")),
              QStringLiteral("firefox-esr"));
    EXPECT_EQ(appDisplayName(QStringLiteral("file:///Applications/My%20Notes.app/")),
              QStringLiteral("My Notes"));
    EXPECT_EQ(appDisplayName(QStringLiteral("file:///apps/%FF%FE.desktop")), QString())
        << "an entry that does not decode has no name";

    // A desktop entry that can be read is named by its Name.
    QTemporaryDir dir;
    QFile file(dir.filePath(QStringLiteral("org.example.Editor.desktop")));
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("[Desktop Entry]\nType=Application\nName=Text Editor\nExec=editor\n"
               "[Desktop Action new]\nName=New Window\n");
    file.close();
    EXPECT_EQ(appDisplayName(QUrl::fromLocalFile(file.fileName()).toString()),
              QStringLiteral("Text Editor"));

    EXPECT_EQ(appsNotOpenedText({QStringLiteral("Mail")}),
              QStringLiteral("App with name Mail could not be opened!"));
    EXPECT_EQ(appsNotOpenedText({QStringLiteral("Mail"), QStringLiteral("Notes")}),
              QStringLiteral("Apps with names Mail,Notes could not be opened!"));
}
