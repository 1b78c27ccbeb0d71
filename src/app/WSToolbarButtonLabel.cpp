#include "app/WSToolbarButtonLabel.h"

#include "style/Colors.h"

#include <QEvent>
#include <QPainter>

namespace dexaro {

WSToolbarButtonLabel::WSToolbarButtonLabel(const QString& text, QWidget* toolbar, QWidget* parent)
    : QLabel(text, parent), toolbar(toolbar), lightModeTextColor(colorFromHex(0x2e3440)),
      darkModeTextColor(colorFromHex(0xe5e9f0)), selectedTextColor(colorFromHex(0xe5484d)) {
    setAlignment(Qt::AlignHCenter | Qt::AlignTop);
    QFont light = font();
    light.setWeight(QFont::Light);
    setFont(light);
    setAttribute(Qt::WA_TransparentForMouseEvents);
}

void WSToolbarButtonLabel::setSelected(bool selected) {
    if (m_selected == selected)
        return;
    m_selected = selected;
    update();
}

void WSToolbarButtonLabel::setOpacity(qreal opacity) {
    if (qFuzzyCompare(m_opacity, opacity))
        return;
    m_opacity = opacity;
    update();
}

QColor WSToolbarButtonLabel::normalTextColor() const {
    return isDarkAppearance(this) ? darkModeTextColor : lightModeTextColor;
}

QColor WSToolbarButtonLabel::currentTextColor() const {
    QColor color = m_selected ? selectedTextColor : normalTextColor();
    color.setAlphaF(color.alphaF() * m_opacity);
    return color;
}

void WSToolbarButtonLabel::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setPen(currentTextColor());
    painter.setFont(font());
    painter.drawText(contentsRect(), int(alignment()) | Qt::TextSingleLine, text());
}

void WSToolbarButtonLabel::changeEvent(QEvent* event) {
    if (event->type() == QEvent::PaletteChange)
        update();
    QLabel::changeEvent(event);
}

} // namespace dexaro
