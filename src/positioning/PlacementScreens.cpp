#include "positioning/PlacementScreens.h"

#include "platform/Windows.h"

namespace dexaro {

QString monitorLabel(const WorkAreas::Monitor& monitor, int index) {
    const QString name = monitor.name.trimmed().isEmpty()
                             ? QStringLiteral("Monitor %1").arg(index + 1)
                             : monitor.name.trimmed();
    return QStringLiteral("%1 (%2 × %3)")
        .arg(name)
        .arg(monitor.geometry.width())
        .arg(monitor.geometry.height());
}

QString desktopLabel(int number, const QStringList& names) {
    const QString name = names.value(number).trimmed();
    return name.isEmpty() ? QStringLiteral("Desktop %1").arg(number + 1) : name;
}

PlacementScreens placementScreens(WorkAreas* workAreas, Windows* windows) {
    PlacementScreens screens;
    if (workAreas) {
        const QList<WorkAreas::Monitor> monitors = workAreas->monitors();
        if (monitors.size() >= 2) {
            screens.monitors << PlacementScreens::Monitor{QStringLiteral("Primary"), {}};
            for (int i = 0; i < monitors.size(); ++i)
                screens.monitors << PlacementScreens::Monitor{monitorLabel(monitors[i], i),
                                                              monitors[i].name};
        }
    }
    if (windows) {
        const int count = windows->desktopCount();
        if (count >= 2) {
            const QStringList names = windows->desktopNames();
            screens.desktops << PlacementScreens::Desktop{QStringLiteral("Current desktop"),
                                                          desktops::current};
            for (int i = 0; i < count; ++i)
                screens.desktops << PlacementScreens::Desktop{desktopLabel(i, names), i};
            screens.desktops << PlacementScreens::Desktop{QStringLiteral("All desktops"),
                                                          desktops::all};
        }
    }
    return screens;
}

} // namespace dexaro
