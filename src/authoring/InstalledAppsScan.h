#pragma once
// The installed applications, as the Creator's and the Editor's pickers offer
// them: one synchronous walk over the application folders, callable on any
// thread (InstalledAppsScanner runs it off the GUI thread).
//
// Each folder's own entries are read first, then those of each direct
// subfolder (one level, symbolic links followed; no folder is listed twice, so
// a link loop ends there). Hidden files are skipped. An entry masks the entry
// of the same desktop-file id in a later folder, also when it is not listed
// itself. The first entry found under a name wins; Dexaro itself and
// "Launchpad" are never listed.
#include "model/Records.h"

#include <QList>
#include <QSet>
#include <QString>
#include <QStringList>

namespace dexaro {

class DesktopEntryReader;

struct InstalledApps {
    QList<AppListModel> apps; // in the order found
    QSet<QString> urls;       // appURL of every entry of apps
};

// The image of an application whose icon resolves to no file.
inline constexpr const char* placeholderAppImagePath = "qrc:/images/emptyiconapp.svg";

// The file behind an appImagePath, as QIcon and QPixmap load it: a local path,
// or ":/images/..." for the placeholder.
QString appImageFile(const QString& appImagePath);

// The distribution's own applications, which scanDefaultApps "0" leaves out.
inline constexpr const char* distributionApplicationFolder = "/usr/share/applications";

struct InstalledAppsScanResult {
    InstalledApps installed;
    QStringList unlistableFolders; // "folder: reason", for folders that exist
    QStringList unreadableEntries; // the reason each unreadable entry gave
};

// Walks folders in order. scanDefaultApps exactly "0" leaves out the entries
// found in systemFolder (they still mask the same ids in later folders).
InstalledAppsScanResult
scanApplicationFolders(DesktopEntryReader& reader, const QStringList& folders,
                       const QString& scanDefaultApps,
                       const QString& systemFolder = QLatin1String(distributionApplicationFolder));

} // namespace dexaro
