// An application entry is found from its stored address whichever way the
// address was written: as the scan writes it (a space or a letter outside
// ASCII left as it is) or fully percent-encoded, as older stores and hand-made
// links have it.
#include "authoring/InstalledAppsScan.h"
#include "platform/DesktopEntries.h"
#include "platform/linux/ApplicationEntry.h"
#include "support/AppFolderTree.h"
#include "support/DesktopPlatform.h"

#include <QUrl>
#include <gtest/gtest.h>

using namespace dexaro;

TEST(EntryAddress, EntriesWithSpacesAndOtherSignsInTheirFileNameLoadFromEitherForm) {
    const test::AppFolderTree tree;
    const QStringList files = {QStringLiteral("My Clock.desktop"), QStringLiteral("100%.desktop"),
                               QStringLiteral("Uhr #1 \u00fc.desktop"),
                               QStringLiteral("plain.desktop")};
    for (const QString& file : files)
        tree.app(QStringLiteral("apps/") + file, QStringLiteral("App ") + file);

    auto reader = test::desktop().desktopEntries().makeReader();
    const InstalledAppsScanResult scanned =
        scanApplicationFolders(*reader, {tree.path(QStringLiteral("apps"))}, {});
    ASSERT_EQ(scanned.installed.apps.size(), files.size());
    for (const AppListModel& app : scanned.installed.apps) {
        const QString path = QUrl(app.appURL).toLocalFile();
        const QString forms[] = {app.appURL, QUrl::fromLocalFile(path).toString(QUrl::FullyEncoded),
                                 QUrl::fromLocalFile(path).toString()};
        for (const QString& form : forms) {
            QString error;
            const auto entry = ApplicationEntry::load(form, &error);
            ASSERT_TRUE(entry) << qPrintable(form) << ": " << qPrintable(error);
            EXPECT_EQ(entry->identity().path, path) << qPrintable(form);
            EXPECT_EQ(EntryIdentity::fromEntry(form).path, path) << qPrintable(form);
        }
    }
}
