#pragma once
// Installed-application lists as a scan hands them to the pickers: one entry
// per name, with a desktop entry URL and an icon location made from the name.
#include "model/Records.h"

#include <QList>
#include <QSet>
#include <QStringList>

namespace dexaro::test {

inline QString appURLFor(QString name) {
    return QStringLiteral("file:///usr/share/applications/%1.desktop")
        .arg(name.toLower().replace(QLatin1Char(' '), QLatin1Char('-')));
}

inline QList<AppListModel> appList(const QStringList& names) {
    QList<AppListModel> apps;
    for (const QString& name : names)
        apps.append(
            {name, appURLFor(name), QStringLiteral("file:///nonexistent/%1.png").arg(name)});
    return apps;
}

inline QSet<QString> appURLsFor(const QStringList& names) {
    QSet<QString> urls;
    for (const QString& name : names)
        urls.insert(appURLFor(name));
    return urls;
}

inline QStringList namesOf(const QList<AppListModel>& apps) {
    QStringList names;
    for (const AppListModel& app : apps)
        names.append(app.appName);
    return names;
}

} // namespace dexaro::test
