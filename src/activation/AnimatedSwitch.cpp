#include "activation/AnimatedSwitch.h"

#include "style/Colors.h"

#include <QPainter>
#include <QPainterPath>
#include <algorithm>

using namespace std::chrono_literals;

namespace dexaro {

AnimatedSwitch::AnimatedSwitch(QWidget* parent)
    : QAbstractButton(parent), m_animation(new ProgressAnimation(this, 700ms)) {
    setCheckable(true);
    setFocusPolicy(Qt::TabFocus);
    setCursor(Qt::PointingHandCursor);
}

void AnimatedSwitch::setBusy(bool busy) {
    m_busy = busy;
    setAccessibleDescription(busy ? QStringLiteral("Busy") : QString());
}

qreal AnimatedSwitch::onness(qreal progress) {
    const qreal p = std::clamp(progress, 0.0, 1.0);
    return p <= 0.5 ? p * 2 : (1 - p) * 2;
}

static QColor mix(const QColor& a, const QColor& b, qreal t) {
    return QColor::fromRgbF(a.redF() + (b.redF() - a.redF()) * t,
                            a.greenF() + (b.greenF() - a.greenF()) * t,
                            a.blueF() + (b.blueF() - a.blueF()) * t);
}

void AnimatedSwitch::paintEvent(QPaintEvent*) {
    const bool dark = isDarkAppearance(this);
    const qreal t = onness(m_animation->currentProgress());

    // The track keeps a 40:22 shape, fitted into the box and centred.
    const qreal h = std::min<qreal>(height() - 3, width() * 22.0 / 40.0);
    const qreal w = h * 40.0 / 22.0;
    const QRectF track((width() - w) / 2, (height() - h) / 2, w, h);

    const QColor off = dark ? colorFromHex(0x55595F) : colorFromHex(0xC9CED6);
    const QColor on = dark ? colorFromHex(0x30C15A) : colorFromHex(0x2EB84F);

    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(Qt::NoPen);
    painter.setBrush(mix(off, on, t));
    painter.drawRoundedRect(track, h / 2, h / 2);

    const qreal inset = 2;
    const qreal knob = h - 2 * inset;
    const qreal x = track.left() + inset + (w - knob - 2 * inset) * t;
    const QRectF knobRect(x, track.top() + inset, knob, knob);
    painter.setBrush(QColor(0, 0, 0, dark ? 70 : 40));
    painter.drawEllipse(knobRect.translated(0, 0.8));
    painter.setBrush(Qt::white);
    painter.drawEllipse(knobRect);

    if (hasFocus()) {
        painter.setBrush(Qt::NoBrush);
        painter.setPen(QPen(palette().color(QPalette::Highlight), 1.5));
        painter.drawRoundedRect(track.adjusted(-1.5, -1.5, 1.5, 1.5), h / 2 + 1.5, h / 2 + 1.5);
    }
}

} // namespace dexaro
