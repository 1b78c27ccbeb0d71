#include "app/ToolbarItemView.h"

#include "app/ToolbarImageButton.h"
#include "app/WSToolbarButtonLabel.h"

#include <QMouseEvent>
#include <QVBoxLayout>

namespace dexaro {

namespace {
constexpr qreal normalOpacity = 0.6;
constexpr qreal fullOpacity = 1.0;
constexpr qreal imageShare = 0.3; // of the item's width
constexpr int titleGap = 4;
} // namespace

ToolbarItemView::ToolbarItemView(int itemID, const QString& imageName, const QString& title,
                                 QWidget* toolbar, int width)
    : QWidget(toolbar), m_itemID(itemID), m_toolbar(toolbar),
      m_imageView(new ToolbarImageButton(imageName, this)),
      m_itemLabel(new WSToolbarButtonLabel(title, toolbar, this)) {
    setObjectName(title);
    setAccessibleName(title);
    setCursor(Qt::PointingHandCursor);
    setFixedWidth(width);
    const int side = qRound(width * imageShare);
    m_imageView->setFixedSize(side, side);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 10, 0, 10);
    layout->setSpacing(titleGap);
    layout->addWidget(m_imageView, 0, Qt::AlignHCenter);
    layout->addWidget(m_itemLabel);
    setLook(false, normalOpacity);
}

void ToolbarItemView::setLook(bool selected, qreal opacity) {
    m_imageView->setSelected(selected);
    m_imageView->setOpacity(opacity);
    m_itemLabel->setSelected(selected);
    m_itemLabel->setOpacity(opacity);
}

void ToolbarItemView::showSelected() {
    m_itemSelected = true;
    setLook(true, fullOpacity);
}

void ToolbarItemView::select() {
    showSelected();
    emit itemSelectedNotification(m_itemID);
}

void ToolbarItemView::deselectItemWithNotification(int selectedItemsID) {
    if (selectedItemsID == m_itemID)
        return;
    m_itemSelected = false;
    setLook(false, normalOpacity);
}

void ToolbarItemView::mousePressEvent(QMouseEvent* event) {
    // Taking the press is what brings the release here.
    event->setAccepted(event->button() == Qt::LeftButton);
}

void ToolbarItemView::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton && rect().contains(event->position().toPoint()))
        select();
}

void ToolbarItemView::enterEvent(QEnterEvent* event) {
    if (!m_itemSelected)
        setLook(false, fullOpacity);
    QWidget::enterEvent(event);
}

void ToolbarItemView::leaveEvent(QEvent* event) {
    if (!m_itemSelected)
        setLook(false, normalOpacity);
    QWidget::leaveEvent(event);
}

} // namespace dexaro
