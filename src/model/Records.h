#pragma once
// In-memory records: a workspace as the lists show it, the link rows while they
// are edited, and an installed application as the pickers list it.
#include <QDateTime>
#include <QList>
#include <QString>
#include <QStringList>
#include <memory>
#include <optional>

namespace dexaro {

// One workspace. A null QString / nullopt is an absent field; a fresh model has
// every field absent (the Editor's placeholder entry).
struct WSListModel {
    QString wsID;
    QString wsName;
    std::optional<QDateTime> wsCreateDate;
    QStringList apps;
    QStringList urlLinkAdresses;     // each still packed: name, marker, address
    QStringList fileURLLinkAdresses; // each still packed: name, marker, path
    QStringList urlLink;             // never filled by the loaders
    std::optional<qint64> positionRawValue;
};
using WSListModelPtr = std::shared_ptr<WSListModel>;

struct URLLinkModel {
    QString name;
    QString url;
};

struct FileURLLinkModel {
    QString name;
    QString url; // the file's path
};

struct AppListModel {
    QString appName;
    QString appURL;       // the desktop entry's file:// URL, as stored in a workspace's apps
    QString appImagePath; // file URL of the icon
};
using AppListModelPtr = std::shared_ptr<AppListModel>;

} // namespace dexaro
