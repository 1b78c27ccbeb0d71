#pragma once
// What the placement picker offers beyond the placements: the monitors, when
// there are two or more ("Primary", then each by its name and size), and the
// virtual desktops, when there are two or more ("Current desktop", each by its
// name, "All desktops"). Read from the desktop each time the picker opens.
#include "model/WindowTargets.h"
#include "platform/WorkAreas.h"

#include <QList>
#include <QString>
#include <QStringList>

namespace dexaro {

class Windows;

struct PlacementScreens {
    struct Monitor {
        QString label;
        QString name; // empty: the primary
        bool operator==(const Monitor&) const = default;
    };
    struct Desktop {
        QString label;
        int number = desktops::current;
        bool operator==(const Desktop&) const = default;
    };
    QList<Monitor> monitors; // empty with one monitor
    QList<Desktop> desktops; // empty with fewer than two desktops
};

// Either may be null: nothing of it is offered then.
PlacementScreens placementScreens(WorkAreas* workAreas, Windows* windows);

// "DP-2 (2560 × 1440)"; "Monitor N" (N from 1) for a monitor without a name.
QString monitorLabel(const WorkAreas::Monitor& monitor, int index);
// The desktop's name, else "Desktop N" (N from 1).
QString desktopLabel(int number, const QStringList& names);

} // namespace dexaro
