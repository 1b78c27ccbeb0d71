// The text rules of switching on: link addresses, the web-address prefix and
// the names used in messages.
#include "activation/LaunchRules.h"
#include "model/Packing.h"
#include "support/QtPrinters.h"

#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace dexaro;

TEST(LaunchRules, LinkAddressesKeepOnlyElementsWithOneMarker) {
    const QString notes = QStringLiteral("Notes*:///:/:///:*/home/u/n.txt");
    struct Row {
        QString element, marker;
        QStringList addresses;
    };
    const Row rows[] = {
        {QStringLiteral("Docs*:///:*https://docs.example.org"),
         markers::urlLink,
         {QStringLiteral("https://docs.example.org")}},
        {QStringLiteral("Bare name"), markers::urlLink, {}},
        {QStringLiteral("a*:///:*b*:///:*c"), markers::urlLink, {}},
        {QStringLiteral("*:///:*"), markers::urlLink, {QString()}},
        {QString(), markers::urlLink, {}},
        // The file marker contains the web marker's characters; each splits at its own.
        {notes, markers::fileLink, {QStringLiteral("/home/u/n.txt")}},
        {notes, markers::urlLink, {}},
    };
    for (const Row& row : rows)
        EXPECT_EQ(linkAddresses({row.element}, row.marker), row.addresses)
            << row.element.toStdString();
}

TEST(LaunchRules, WebAddressesGetHttpsUnlessTheyNameHttpOrStartWithAScheme) {
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
        // Another scheme is kept, not turned into a host name.
        {"ftp://files.example.org", "ftp://files.example.org"},
        {"files.example.org/a://b", "https://files.example.org/a://b"},
        {"exa mple.org", nullptr},
        {"", nullptr},
        {"https://", nullptr},
    };
    for (const Row& row : rows) {
        const std::optional<QUrl> url = webAddressToOpen(QString::fromUtf8(row.address));
        EXPECT_EQ(url ? url->toString() : QString(), QString::fromUtf8(row.opened)) << row.address;
        EXPECT_EQ(url.has_value(), row.opened != nullptr) << row.address;
    }
}

TEST(LaunchRules, ApplicationNamesInMessages) {
    // A desktop entry that can be read is named by its Name, not its action's.
    QTemporaryDir dir;
    QFile file(dir.filePath(QStringLiteral("org.example.Editor.desktop")));
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("[Desktop Entry]\nType=Application\nName=Text Editor\nExec=editor\n"
               "[Desktop Action new]\nName=New Window\n");
    file.close();
    const std::pair<QString, QString> rows[] = {
        {QUrl::fromLocalFile(file.fileName()).toString(), QStringLiteral("Text Editor")},
        // An entry that is not there is named by its file name.
        {QUrl::fromLocalFile(dir.filePath(QStringLiteral("firefox-esr.desktop"))).toString(),
         QStringLiteral("firefox-esr")},
        {QStringLiteral("file:///Applications/My%20Notes.app/"), QStringLiteral("My Notes")},
        // An entry whose file name does not decode has no name.
        {QStringLiteral("file:///apps/%FF%FE.desktop"), QString()},
    };
    for (const auto& [entry, name] : rows)
        EXPECT_EQ(appDisplayName(entry), name) << entry.toStdString();
}
