#include "style/BusySpinner.h"

#include "style/Colors.h"

#include <QPainter>
#include <cmath>

using namespace std::chrono_literals;

namespace dexaro {

BusySpinner::BusySpinner(QWidget* parent) : LoopingIndicator(900ms, parent) {
    setAccessibleName(QStringLiteral("Busy"));
}

void BusySpinner::paintEvent(QPaintEvent*) {
    const bool dark = isDarkAppearance(this);
    const qreal p = animation().currentProgress();
    const qreal d = std::min(width(), height()) - 5.0;
    const QRectF box((width() - d) / 2, (height() - d) / 2, d, d);

    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    QPen track(dark ? QColor(255, 255, 255, 40) : QColor(26, 50, 99, 30), 2.5);
    painter.setPen(track);
    painter.drawEllipse(box);

    // The arc turns once per loop and breathes between a short and a long tail.
    const qreal tail = 60 + 200 * (0.5 - 0.5 * std::cos(p * 2 * M_PI));
    QPen arc(dark ? colorFromHex(0x6AA6FF) : colorFromHex(0x2F6FE4), 2.5);
    arc.setCapStyle(Qt::RoundCap);
    painter.setPen(arc);
    const int start = static_cast<int>((90 - 360 * p) * 16);
    painter.drawArc(box, start, static_cast<int>(-tail * 16));
}

} // namespace dexaro
