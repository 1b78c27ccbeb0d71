#include "authoring/PositioningButton.h"

#include "authoring/AppListItemDelegate.h"

#include <QIcon>

namespace dexaro {

PositioningButton::PositioningButton(const QString& appURL, const QString& appName, QWidget* parent)
    : QToolButton(parent), m_appURL(appURL) {
    setAccessibleName(tr("Placement of %1").arg(appName));
    setAutoRaise(true);
    setFocusPolicy(Qt::TabFocus);
    setCursor(Qt::PointingHandCursor);
    const int side = AppListItemDelegate::buttonSide;
    setFixedSize(side, side);
    setIconSize(QSize(side - 4, side - 4));
    // Always on a selected tile: light marks on the tile's dark blue.
    setStyleSheet(QStringLiteral("QToolButton { border: none; border-radius: 4px; "
                                 "background: rgba(255, 255, 255, 40); }"
                                 "QToolButton:hover { background: rgba(255, 255, 255, 80); }"));
    m_placement = PositionName::rightHalf; // anything but def, so the next call paints
    setPlacement(PositionName::def);
}

void PositioningButton::setPlacement(PositionName placement) {
    if (placement == m_placement)
        return;
    m_placement = placement;
    const bool none = placement == PositionName::def;
    setIcon(QIcon(none ? QStringLiteral(":/images/positioningbutton.svg") : imagePath(placement)));
    setToolTip(none ? tr("Choose a placement") : displayName(placement));
    setAccessibleDescription(displayName(placement));
}

} // namespace dexaro
