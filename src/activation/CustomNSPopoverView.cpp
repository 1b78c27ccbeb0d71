#include "activation/CustomNSPopoverView.h"

#include "style/Colors.h"

#include <QApplication>
#include <QEvent>
#include <QPainter>

namespace dexaro {

CustomNSPopoverView::CustomNSPopoverView(QWidget* parent)
    : WSMainView(parent), backgroundColors(QColor(), Qt::white) {}

QColor CustomNSPopoverView::currentBackdropColor() const {
    const QColor& chosen = isDarkAppearance() ? backgroundColors.first : backgroundColors.second;
    return chosen.isValid() ? chosen : QApplication::palette().color(QPalette::Window);
}

bool CustomNSPopoverView::event(QEvent* event) {
    switch (event->type()) {
    case QEvent::ParentChange:
    case QEvent::Show:
    case QEvent::PaletteChange:
    case QEvent::ApplicationPaletteChange:
        applyBackdrop();
        break;
    default:
        break;
    }
    return WSMainView::event(event);
}

void CustomNSPopoverView::paintEvent(QPaintEvent* event) {
    WSMainView::paintEvent(event);
    QPainter painter(this);
    painter.setPen(palette().color(QPalette::Mid));
    painter.drawRect(rect().adjusted(0, 0, -1, -1));
}

void CustomNSPopoverView::applyBackdrop() {
    QWidget* host = window();
    if (!host || host == this)
        return;
    const QColor colour = currentBackdropColor();
    QPalette palette = host->palette();
    if (palette.color(QPalette::Window) == colour && host->autoFillBackground())
        return;
    // Only the backdrop's own role changes; the popover's other widgets keep
    // following the desktop palette.
    host->setBackgroundRole(QPalette::Window);
    host->setAutoFillBackground(true);
    QPalette backdrop = host->palette();
    backdrop.setColor(host->backgroundRole(), colour);
    host->setPalette(backdrop);
}

} // namespace dexaro
