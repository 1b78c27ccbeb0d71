#include "positioning/PositionsPopover.h"

#include "positioning/WSCreatorPositionManager.h"
#include "positioning/WSEditorPositionManager.h"

#include <QGuiApplication>
#include <QLabel>
#include <QScreen>
#include <QScrollArea>
#include <QVBoxLayout>

namespace dexaro {

PositionsListCollectionView::PositionsListCollectionView(QWidget* parent)
    : QWidget(parent), positionData(positionList()) {
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 10, 0, 10); // insets at top and bottom
    layout->setSpacing(3);
    for (int i = 0; i < positionData.size(); ++i) {
        auto* cell = new PositionListItem(this);
        layout->addWidget(cell, 0, Qt::AlignHCenter);
        connect(cell, &PositionListItem::clicked, this, [this, i] { selectItem(i); });
    }
    reloadData();
}

void PositionsListCollectionView::setPositionCaches(WSCreatorPositionManager* creator,
                                                    WSEditorPositionManager* editor) {
    m_creator = creator;
    m_editor = editor;
}

PositionTile* PositionsListCollectionView::tile() const {
    return dynamic_cast<PositionTile*>(applicationElement.data());
}

void PositionsListCollectionView::setMark(int index, bool marked) {
    if (PositionListItem* cell = positionCells.value(index))
        cell->selectionIndicator->setOpacity(marked ? 1 : 0);
}

void PositionsListCollectionView::reloadData() {
    const auto cells = findChildren<PositionListItem*>(Qt::FindDirectChildrenOnly);
    PositionTile* current = tile();
    for (int i = 0; i < positionData.size() && i < cells.size(); ++i) {
        PositionListItem* cell = cells[i];
        cell->configure(positionData[i].first, positionData[i].second);
        positionCells.insert(i, cell);
        cell->selectionIndicator->setOpacity(0);
        if (current && current->itemPosition() == positionData[i].second) {
            setMark(currentSelectedCellIndex, false);
            currentSelectedCellIndex = i;
            setMark(i, true);
        }
    }
}

void PositionsListCollectionView::selectItem(int index) {
    PositionTile* current = tile();
    if (!current || index < 0 || index >= positionData.size())
        return;
    const PositionName position = positionData[index].second;
    current->setItemPosition(position);
    setMark(currentSelectedCellIndex, false);
    currentSelectedCellIndex = index;
    setMark(index, true);
    if (windowType == PositionPopoverWindowType::editor) {
        if (m_editor)
            m_editor->setPosition(m_editor->currentSelectedWSID, current->appURL(),
                                  rawValue(position));
    } else if (m_creator) {
        m_creator->setPosition(current->appURL(), rawValue(position));
    }
}

PositionsListViewController::PositionsListViewController(QWidget* parent)
    : QWidget(parent), positionsListCollectionView(new PositionsListCollectionView),
      m_scroll(new QScrollArea(this)) {
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    m_scroll->setFrameShape(QFrame::NoFrame);
    m_scroll->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    m_scroll->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    m_scroll->setWidgetResizable(true);
    m_scroll->setAttribute(Qt::WA_TranslucentBackground);
    m_scroll->viewport()->setAutoFillBackground(false);
    positionsListCollectionView->setAutoFillBackground(false);
    m_scroll->setWidget(positionsListCollectionView);
    layout->addWidget(m_scroll);
}

PositionsPopover::PositionsPopover(QWidget* parent)
    : QFrame(parent, Qt::Popup), m_controller(new PositionsListViewController(this)),
      m_noticeLabel(new QLabel(this)) {
    setFrameShape(QFrame::StyledPanel);
    setFixedSize(contentSize);
    m_noticeLabel->setWordWrap(true);
    m_noticeLabel->setContentsMargins(8, 6, 8, 6);
    m_noticeLabel->setAccessibleName(tr("Placement notice"));
    m_noticeLabel->hide();
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(m_noticeLabel);
    layout->addWidget(m_controller);
}

void PositionsPopover::showFor(QWidget* tile, QWidget* positioningButton,
                               PositionPopoverWindowType type) {
    if (!dynamic_cast<PositionTile*>(tile)) {
        qWarning("Dexaro: the position picker was opened for a widget that is no tile");
        return;
    }
    PositionsListCollectionView* view = list();
    view->applicationElement = tile;
    view->windowType = type;
    view->setMark(view->currentSelectedCellIndex, false);
    view->reloadData();
    const QString notice = m_notice ? m_notice() : QString();
    m_noticeLabel->setText(notice);
    m_noticeLabel->setVisible(!notice.isEmpty());

    // On the button's right side, vertically centred on it, kept on its screen.
    QWidget* anchor = positioningButton ? positioningButton : tile;
    const QRect button(anchor->mapToGlobal(QPoint(0, 0)), anchor->size());
    QRect frame(QPoint(button.right() + 1, button.center().y() - height() / 2), size());
    if (QScreen* screen = anchor->screen()) {
        const QRect area = screen->availableGeometry();
        if (frame.right() > area.right())
            frame.moveRight(button.left() - 1);
        frame.moveTop(qBound(area.top(), frame.top(), qMax(area.top(), area.bottom() - height())));
    }
    move(frame.topLeft());
    show();
}

} // namespace dexaro
