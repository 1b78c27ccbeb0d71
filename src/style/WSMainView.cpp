#include "style/WSMainView.h"

#include "style/Colors.h"

#include <QEvent>
#include <QPainter>

namespace dexaro {

WSMainView::WSMainView(QWidget* parent) : QWidget(parent) {
    setAttribute(Qt::WA_OpaquePaintEvent);
}

void WSMainView::setColors(std::optional<QColor> light, std::optional<QColor> dark) {
    lightModeTextColor = light;
    darkModeTextColor = dark;
    update();
}

QColor WSMainView::currentBackgroundColor() const {
    const std::optional<QColor>& chosen =
        isDarkAppearance() ? darkModeTextColor : lightModeTextColor;
    return chosen.value_or(palette().color(QPalette::Window));
}

void WSMainView::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.fillRect(rect(), currentBackgroundColor());
}

void WSMainView::changeEvent(QEvent* event) {
    if (event->type() == QEvent::PaletteChange || event->type() == QEvent::StyleChange ||
        event->type() == QEvent::ApplicationPaletteChange)
        update();
    QWidget::changeEvent(event);
}

} // namespace dexaro
