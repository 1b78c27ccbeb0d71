#include "app/SettingsSwitch.h"

#include "style/Colors.h"

#include <QPainter>
#include <QPainterPath>

namespace dexaro {

namespace {
constexpr int trackWidth = 34;
constexpr int trackHeight = 20;
constexpr int textGap = 10;
} // namespace

SettingsSwitch::SettingsSwitch(const QString& title, QWidget* parent) : QCheckBox(title, parent) {
    setCursor(Qt::PointingHandCursor);
}

QSize SettingsSwitch::sizeHint() const {
    const QFontMetrics metrics(font());
    return {trackWidth + textGap + metrics.horizontalAdvance(text()) + 2,
            qMax(trackHeight, metrics.height()) + 4};
}

bool SettingsSwitch::hitButton(const QPoint& pos) const {
    return rect().contains(pos);
}

void SettingsSwitch::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const bool dark = isDarkAppearance(this);
    const QRectF track(1, (height() - trackHeight) / 2.0, trackWidth, trackHeight);

    QColor trackColor = isChecked() ? colorFromHex(0x34c759)
                                    : (dark ? colorFromHex(0x4c566a) : colorFromHex(0xd0d4dc));
    if (!isEnabled())
        trackColor.setAlphaF(0.4);
    painter.setPen(Qt::NoPen);
    painter.setBrush(trackColor);
    painter.drawRoundedRect(track, trackHeight / 2.0, trackHeight / 2.0);

    const qreal knob = trackHeight - 4;
    const qreal knobX = isChecked() ? track.right() - 2 - knob : track.left() + 2;
    painter.setBrush(Qt::white);
    painter.drawEllipse(QRectF(knobX, track.top() + 2, knob, knob));

    if (hasFocus()) {
        QPen focus(palette().color(QPalette::Highlight), 1.5);
        painter.setPen(focus);
        painter.setBrush(Qt::NoBrush);
        painter.drawRoundedRect(track.adjusted(-1, -1, 1, 1), trackHeight / 2.0 + 1,
                                trackHeight / 2.0 + 1);
    }

    painter.setPen(
        palette().color(isEnabled() ? QPalette::Active : QPalette::Disabled, QPalette::WindowText));
    const QRect textRect(int(track.right()) + textGap, 0, width() - int(track.right()) - textGap,
                         height());
    painter.drawText(textRect, Qt::AlignVCenter | Qt::AlignLeft | Qt::TextSingleLine, text());
}

} // namespace dexaro
