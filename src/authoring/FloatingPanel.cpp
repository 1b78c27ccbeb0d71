#include "authoring/FloatingPanel.h"

#include "style/Colors.h"

#include <QEvent>
#include <QPainter>
#include <QPainterPath>

namespace dexaro {

namespace {
constexpr qreal cornerRadius = 8;
} // namespace

FloatingPanel::FloatingPanel(QWidget* owner) : QFrame(owner) {
    setAttribute(Qt::WA_TranslucentBackground);
    setAutoFillBackground(false);
    setContentsMargins(shadowMargin, shadowMargin, shadowMargin, shadowMargin);
    hide();
    if (owner) {
        // Once moved into a window, the owner no longer deletes it as a child.
        connect(owner, &QObject::destroyed, this, [this, owner] {
            if (parent() != owner)
                deleteLater();
        });
    }
}

QRect FloatingPanel::cardGeometry() const {
    return geometry().marginsRemoved(
        QMargins(shadowMargin, shadowMargin, shadowMargin, shadowMargin));
}

QRect FloatingPanel::keptInside(const QRect& card, const QRect& area) {
    QRect kept = card;
    if (kept.right() > area.right())
        kept.moveRight(area.right());
    if (kept.bottom() > area.bottom())
        kept.moveBottom(area.bottom());
    if (kept.left() < area.left())
        kept.moveLeft(area.left());
    if (kept.top() < area.top())
        kept.moveTop(area.top());
    return kept;
}

QRect FloatingPanel::rectInWindow(const QWidget* anchor) {
    const QWidget* window = anchor->window();
    return QRect(anchor->mapTo(window, QPoint(0, 0)), anchor->size());
}

void FloatingPanel::floatOver(QWidget* anchor, const QRect& cardInWindow) {
    QWidget* window = anchor->window();
    if (parentWidget() != window) {
        if (m_window)
            m_window->removeEventFilter(this);
        setParent(window); // leaves it hidden
        m_window = window;
        window->installEventFilter(this);
    }
    const QRect card = keptInside(cardInWindow, window->rect());
    setGeometry(
        card.marginsAdded(QMargins(shadowMargin, shadowMargin, shadowMargin, shadowMargin)));
    show();
    raise();
}

bool FloatingPanel::eventFilter(QObject* watched, QEvent* event) {
    if (watched == m_window && event->type() == QEvent::Resize && !isHidden())
        windowResized();
    return QFrame::eventFilter(watched, event);
}

void FloatingPanel::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const bool dark = isDarkAppearance(this);
    const QRectF card = QRectF(rect()).marginsRemoved(
        QMarginsF(shadowMargin, shadowMargin, shadowMargin, shadowMargin));

    // The shadow: rings of falling opacity, a little lower than the card.
    painter.setPen(Qt::NoPen);
    for (int ring = shadowMargin; ring > 0; --ring) {
        const int alpha = (dark ? 40 : 22) * (shadowMargin - ring + 1) / shadowMargin;
        painter.setBrush(QColor(0, 0, 0, alpha));
        const qreal grow = ring * 0.8;
        painter.drawRoundedRect(card.adjusted(-grow, -grow + 2, grow, grow + 2),
                                cornerRadius + grow, cornerRadius + grow);
    }

    QPainterPath path;
    path.addRoundedRect(card.adjusted(0.5, 0.5, -0.5, -0.5), cornerRadius, cornerRadius);
    painter.fillPath(path, dark ? colorFromHex(0x2B2D2F) : colorFromHex(0xFFFFFF));
    painter.setPen(QPen(dark ? colorFromHex(0x3B4252) : colorFromHex(0xD8DCE3), 1));
    painter.setBrush(Qt::NoBrush);
    painter.drawPath(path);
}

} // namespace dexaro
