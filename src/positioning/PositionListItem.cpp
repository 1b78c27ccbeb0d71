#include "positioning/PositionListItem.h"

#include <QHBoxLayout>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>
#include <QSvgRenderer>

namespace dexaro {
namespace {

QPixmap placementPicture(PositionName position, const QSize& size, qreal ratio) {
    QPixmap pixmap(size * ratio);
    pixmap.setDevicePixelRatio(ratio);
    pixmap.fill(Qt::transparent);
    QSvgRenderer renderer(imagePath(position));
    if (renderer.isValid()) {
        QPainter painter(&pixmap);
        renderer.render(&painter, QRectF(QPointF(0, 0), QSizeF(size)));
    }
    return pixmap;
}

} // namespace

SelectionMark::SelectionMark(QWidget* parent) : QWidget(parent) {
    setFixedSize(16, 16);
    setAttribute(Qt::WA_TransparentForMouseEvents);
}

void SelectionMark::setOpacity(qreal opacity) {
    if (m_opacity == opacity)
        return;
    m_opacity = opacity;
    update();
}

void SelectionMark::paintEvent(QPaintEvent*) {
    if (m_opacity <= 0)
        return;
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setOpacity(m_opacity);
    QPen pen(palette().color(QPalette::Highlight), 2, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin);
    painter.setPen(pen);
    QPainterPath check;
    check.moveTo(3.5, 8.5);
    check.lineTo(6.5, 11.5);
    check.lineTo(12.5, 4.5);
    painter.drawPath(check);
}

PositionListItem::PositionListItem(QWidget* parent)
    : QWidget(parent), positionName(new QLabel(this)), positionImage(new QLabel(this)),
      selectionIndicator(new SelectionMark(this)) {
    setFixedSize(itemSize);
    setAttribute(Qt::WA_Hover);
    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(6, 0, 6, 0);
    layout->setSpacing(8);
    positionImage->setFixedSize(27, 18);
    layout->addWidget(positionImage);
    layout->addWidget(positionName, 1);
    layout->addWidget(selectionIndicator);
}

void PositionListItem::configure(const QString& name, PositionName position) {
    positionName->setText(name);
    positionImage->setPixmap(
        placementPicture(position, positionImage->size(), devicePixelRatioF()));
}

void PositionListItem::enterEvent(QEnterEvent* event) {
    m_hovered = true;
    update();
    QWidget::enterEvent(event);
}

void PositionListItem::leaveEvent(QEvent* event) {
    m_hovered = false;
    update();
    QWidget::leaveEvent(event);
}

void PositionListItem::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton && rect().contains(event->position().toPoint()))
        emit clicked();
    QWidget::mouseReleaseEvent(event);
}

void PositionListItem::paintEvent(QPaintEvent*) {
    if (!m_hovered)
        return;
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    QColor grey(Qt::gray);
    grey.setAlphaF(0.4);
    painter.setPen(Qt::NoPen);
    painter.setBrush(grey);
    painter.drawRoundedRect(QRectF(rect()), 4, 4);
}

} // namespace dexaro
