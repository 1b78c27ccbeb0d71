#pragma once
// Installed-application lists as a scan hands them to the pickers: one entry
// per name, with a desktop entry URL and an icon location made from the name.
#include "model/Records.h"

#include <QList>
#include <QStringList>

namespace dexaro::test {

inline QString appURLFor(const QString& name) {
    QString id = name.toLower();
    id.replace(QLatin1Char(' '), QLatin1Char('-'));
    return QStringLiteral("file:///usr/share/applications/%1.desktop").arg(id);
}

inline AppListModel appNamed(const QString& name, const QString& icon = {}) {
    return {name, appURLFor(name),
            icon.isNull() ? QStringLiteral("file:///nonexistent/icons/%1.png").arg(name) : icon};
}

inline QList<AppListModel> appList(const QStringList& names) {
    QList<AppListModel> apps;
    for (const QString& name : names)
        apps.append(appNamed(name));
    return apps;
}

inline QStringList namesOf(const QList<AppListModel>& apps) {
    QStringList names;
    for (const AppListModel& app : apps)
        names.append(app.appName);
    return names;
}

} // namespace dexaro::test
