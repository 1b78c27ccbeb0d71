// The text rules of switching on: link addresses and the names used in
// messages (web addresses: authoring/LinkChecksTest).
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
