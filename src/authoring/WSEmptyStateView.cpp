#include "authoring/WSEmptyStateView.h"

#include "style/Colors.h"

#include <QPainter>
#include <QPainterPath>
#include <QVariantAnimation>
#include <cmath>
#include <numbers>

namespace dexaro {

namespace {
constexpr int loopMs = 2400;
} // namespace

WSEmptyStateView::WSEmptyStateView(QWidget* parent)
    : QWidget(parent), m_animation(new QVariantAnimation(this)) {
    setAccessibleName(caption());
    setMinimumSize(260, 220);
    m_animation->setStartValue(0.0);
    m_animation->setEndValue(1.0);
    m_animation->setDuration(loopMs);
    m_animation->setLoopCount(-1);
    connect(m_animation, &QVariantAnimation::valueChanged, this, [this](const QVariant& value) {
        m_phase = value.toReal();
        update();
    });
}

QString WSEmptyStateView::caption() {
    return QStringLiteral("Choose a workspace above to edit it");
}

void WSEmptyStateView::play() {
    m_animation->stop();
    m_animation->start();
}

bool WSEmptyStateView::isPlaying() const {
    return m_animation->state() == QAbstractAnimation::Running;
}

void WSEmptyStateView::hideEvent(QHideEvent* event) {
    m_animation->stop();
    QWidget::hideEvent(event);
}

void WSEmptyStateView::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const bool dark = isDarkAppearance(this);
    const QColor line = dark ? colorFromHex(0x8b93a3) : colorFromHex(0x9aa3b2);
    const QColor fill = dark ? colorFromHex(0x30353e) : colorFromHex(0xeef0f4);
    const QColor tiles[] = {colorFromHex(0xf8444a), colorFromHex(0x4c8df6), colorFromHex(0x3cc46b)};

    const QPointF centre(width() / 2.0, height() / 2.0 - 10);
    const qreal boxWidth = 120;
    const qreal boxHeight = 62;
    const QRectF box(centre.x() - boxWidth / 2, centre.y() + 4, boxWidth, boxHeight);

    // The tiles float up and down, each a third of a loop after the one before.
    for (int i = 0; i < 3; ++i) {
        const qreal wave = std::sin(2 * std::numbers::pi * (m_phase + i / 3.0));
        const qreal x = box.left() + 18 + i * 32;
        const qreal y = box.top() - 34 - 10 * wave;
        painter.setPen(Qt::NoPen);
        painter.setBrush(tiles[i]);
        painter.drawRoundedRect(QRectF(x, y, 22, 22), 5, 5);
    }

    painter.setPen(QPen(line, 2.5, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    painter.setBrush(fill);
    painter.drawRoundedRect(box, 8, 8);
    QPainterPath flaps;
    flaps.moveTo(box.topLeft());
    flaps.lineTo(box.left() - 16, box.top() - 14);
    flaps.moveTo(box.topRight());
    flaps.lineTo(box.right() + 16, box.top() - 14);
    painter.drawPath(flaps);

    QFont font = painter.font();
    font.setPixelSize(14);
    painter.setFont(font);
    painter.setPen(palette().color(QPalette::PlaceholderText));
    painter.drawText(QRectF(0, box.bottom() + 18, width(), 24), Qt::AlignHCenter | Qt::AlignTop,
                     caption());
}

} // namespace dexaro
