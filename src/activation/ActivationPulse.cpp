#include "activation/ActivationPulse.h"

#include "style/Colors.h"

#include <QPainter>

using namespace std::chrono_literals;

namespace dexaro {

ActivationPulse::ActivationPulse(QWidget* parent) : LoopingIndicator(1600ms, parent) {}

void ActivationPulse::paintEvent(QPaintEvent*) {
    const bool dark = isDarkAppearance(this);
    const QColor green = dark ? colorFromHex(0x30D158) : colorFromHex(0x28B446);
    const qreal p = animation().currentProgress();
    const QPointF centre(width() / 2.0, height() / 2.0);
    const qreal core = 5.5;
    const qreal reach = std::min(width(), height()) / 2.0 - 1;

    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    QColor ring = green;
    ring.setAlphaF(0.55 * (1 - p));
    painter.setPen(Qt::NoPen);
    painter.setBrush(ring);
    const qreal r = core + (reach - core) * p;
    painter.drawEllipse(centre, r, r);
    painter.setBrush(green);
    painter.drawEllipse(centre, core, core);
}

} // namespace dexaro
