#include "authoring/LinkPopover.h"

#include <QGraphicsOpacityEffect>
#include <QLineEdit>
#include <QPropertyAnimation>
#include <QPushButton>
#include <QVBoxLayout>

namespace dexaro {

namespace {
constexpr int gapBelowAnchor = 4;
constexpr int fadeInMs = 150;
} // namespace

LinkPopover::LinkPopover(LinkKind kind, QWidget* parent)
    : FloatingPanel(parent), m_list(new LinkListView(kind, this)),
      m_add(new QPushButton(kind == LinkKind::url ? QStringLiteral("+ Add URL")
                                                  : QStringLiteral("+ Add file"),
                            this)),
      m_fade(new QGraphicsOpacityEffect(this)),
      m_fadeIn(new QPropertyAnimation(m_fade, "opacity", this)) {
    setAccessibleName(kind == LinkKind::url ? QStringLiteral("Web links")
                                            : QStringLiteral("File links"));
    m_add->setAccessibleName(kind == LinkKind::url ? QStringLiteral("Add web link")
                                                   : QStringLiteral("Add file link"));
    setFixedSize(
        cardSize.grownBy(QMargins(shadowMargin, shadowMargin, shadowMargin, shadowMargin)));

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(12, 10, 8, 10);
    layout->setSpacing(8);
    layout->addWidget(m_add, 0, Qt::AlignLeft);
    layout->addWidget(m_list, 1);

    m_fade->setEnabled(false);
    setGraphicsEffect(m_fade);
    m_fadeIn->setDuration(fadeInMs);
    m_fadeIn->setStartValue(0.0);
    m_fadeIn->setEndValue(1.0);
    m_fadeIn->setEasingCurve(QEasingCurve::OutCubic);
    connect(m_fadeIn, &QPropertyAnimation::finished, m_fade, [this] { m_fade->setEnabled(false); });

    // A new row is for typing into at once.
    connect(m_add, &QPushButton::clicked, this, [this] {
        m_list->addRow();
        if (LinkRowView* row = m_list->rowView(0))
            row->nameField()->setFocus(Qt::OtherFocusReason);
    });
}

void LinkPopover::toggle(QWidget* anchorButton) {
    if (isShown()) {
        closePopover();
        return;
    }
    if (!anchorButton)
        return;
    m_anchor = anchorButton;
    m_fade->setOpacity(0);
    m_fade->setEnabled(true);
    place();
    m_fadeIn->start();
}

void LinkPopover::closePopover() {
    m_fadeIn->stop();
    m_fade->setEnabled(false);
    hide();
}

void LinkPopover::windowResized() {
    if (m_anchor)
        place();
}

void LinkPopover::place() {
    const QRect button = rectInWindow(m_anchor);
    QRect card(
        QPoint(button.center().x() - cardSize.width() / 2, button.bottom() + 1 + gapBelowAnchor),
        cardSize);
    // Above the button when the window has no room below it.
    if (card.bottom() > m_anchor->window()->height() - 1 &&
        button.top() - gapBelowAnchor - cardSize.height() >= 0)
        card.moveBottom(button.top() - 1 - gapBelowAnchor);
    floatOver(m_anchor, card);
}

} // namespace dexaro
