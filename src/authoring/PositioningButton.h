#pragma once
// The placement button of a selected application tile: shows the placement
// chosen for the application (its picture; a neutral picture for none) and
// opens the placement picker when clicked. Named "Placement of <app>".
#include "positioning/PositionName.h"

#include <QToolButton>

namespace dexaro {

class PositioningButton : public QToolButton {
    Q_OBJECT
public:
    PositioningButton(const QString& appURL, const QString& appName, QWidget* parent = nullptr);

    QString appURL() const { return m_appURL; }
    PositionName placement() const { return m_placement; }
    void setPlacement(PositionName placement);

private:
    QString m_appURL;
    PositionName m_placement = PositionName::def;
};

} // namespace dexaro
