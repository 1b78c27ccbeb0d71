#include "positioning/PositionsPopover.h"

#include "positioning/WSCreatorPositionManager.h"
#include "positioning/WSEditorPositionManager.h"

#include <QComboBox>
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

AppTarget PositionsListCollectionView::tileTarget() const {
    PositionTile* current = tile();
    if (!current)
        return {};
    if (windowType == PositionPopoverWindowType::editor)
        return m_editor ? m_editor->targetOf(m_editor->currentSelectedWSID, current->appURL())
                        : AppTarget{};
    return m_creator ? m_creator->targetOf(current->appURL()) : AppTarget{};
}

void PositionsListCollectionView::setTileTarget(const AppTarget& target) {
    PositionTile* current = tile();
    if (!current)
        return;
    if (windowType == PositionPopoverWindowType::editor) {
        if (m_editor)
            m_editor->setTarget(m_editor->currentSelectedWSID, current->appURL(), target);
    } else if (m_creator) {
        m_creator->setTarget(current->appURL(), target);
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
      m_header(new QWidget(this)), m_monitorLabel(new QLabel(QStringLiteral("Monitor"), m_header)),
      m_monitorBox(new QComboBox(m_header)),
      m_desktopLabel(new QLabel(QStringLiteral("Desktop"), m_header)),
      m_desktopBox(new QComboBox(m_header)), m_noticeLabel(new QLabel(this)) {
    setFrameShape(QFrame::StyledPanel);
    setFixedSize(contentSize);
    m_noticeLabel->setWordWrap(true);
    m_noticeLabel->setContentsMargins(8, 6, 8, 6);
    m_noticeLabel->setAccessibleName(tr("Placement notice"));
    m_noticeLabel->hide();
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(m_noticeLabel);
    layout->setSpacing(0);
    auto* header = new QVBoxLayout(m_header);
    header->setContentsMargins(12, 10, 12, 0);
    header->setSpacing(3);
    m_monitorBox->setAccessibleName(QStringLiteral("Monitor"));
    m_monitorBox->setAccessibleDescription(QStringLiteral("The monitor the window is placed on"));
    m_desktopBox->setAccessibleName(QStringLiteral("Desktop"));
    m_desktopBox->setAccessibleDescription(
        QStringLiteral("The virtual desktop the window goes to"));
    m_monitorLabel->setBuddy(m_monitorBox);
    m_desktopLabel->setBuddy(m_desktopBox);
    for (QComboBox* box : {m_monitorBox, m_desktopBox})
        box->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    header->addWidget(m_monitorLabel);
    header->addWidget(m_monitorBox);
    header->addSpacing(4);
    header->addWidget(m_desktopLabel);
    header->addWidget(m_desktopBox);
    m_header->hide();
    layout->addWidget(m_header);
    layout->addWidget(m_controller);
    connect(m_monitorBox, &QComboBox::activated, this, &PositionsPopover::monitorChosen);
    connect(m_desktopBox, &QComboBox::activated, this, &PositionsPopover::desktopChosen);
}

void PositionsPopover::setScreensSource(std::function<PlacementScreens()> source) {
    m_screens = std::move(source);
}

void PositionsPopover::fillScreens() {
    const PlacementScreens screens = m_screens ? m_screens() : PlacementScreens{};
    const AppTarget target = list()->tileTarget();
    m_monitorBox->clear();
    for (const auto& monitor : screens.monitors)
        m_monitorBox->addItem(monitor.label, monitor.name);
    // A chosen monitor that is not there now stays chosen, shown as absent:
    // the window goes to the primary until it is back.
    int monitorIndex = m_monitorBox->findData(target.monitor);
    if (!target.monitor.isEmpty() && monitorIndex < 0) {
        if (m_monitorBox->count() == 0)
            m_monitorBox->addItem(QStringLiteral("Primary"), QString());
        m_monitorBox->addItem(QStringLiteral("%1 (absent)").arg(target.monitor), target.monitor);
        monitorIndex = m_monitorBox->count() - 1;
    }
    m_monitorBox->setCurrentIndex(qMax(0, monitorIndex));

    m_desktopBox->clear();
    for (const auto& desktop : screens.desktops)
        m_desktopBox->addItem(desktop.label, desktop.number);
    int desktopIndex = m_desktopBox->findData(target.desktop);
    if (target.desktop != desktops::current && desktopIndex < 0) {
        if (m_desktopBox->count() == 0)
            m_desktopBox->addItem(QStringLiteral("Current desktop"), desktops::current);
        m_desktopBox->addItem(QStringLiteral("%1 (absent)").arg(desktopLabel(target.desktop, {})),
                              target.desktop);
        desktopIndex = m_desktopBox->count() - 1;
    }
    m_desktopBox->setCurrentIndex(qMax(0, desktopIndex));

    const bool monitors = m_monitorBox->count() > 0;
    const bool desktopsShown = m_desktopBox->count() > 0;
    m_monitorLabel->setVisible(monitors);
    m_monitorBox->setVisible(monitors);
    m_desktopLabel->setVisible(desktopsShown);
    m_desktopBox->setVisible(desktopsShown);
    // The popover may still be hidden here: what is shown is decided by the
    // choices, not by isVisible().
    const bool header = monitors || desktopsShown;
    m_header->setVisible(header);
    const int extra = header ? m_header->sizeHint().height() : 0;
    setFixedSize(contentSize.width() + (header ? 40 : 0), contentSize.height() + extra);
}

void PositionsPopover::monitorChosen(int index) {
    AppTarget target = list()->tileTarget();
    target.monitor = m_monitorBox->itemData(index).toString();
    list()->setTileTarget(target);
}

void PositionsPopover::desktopChosen(int index) {
    AppTarget target = list()->tileTarget();
    target.desktop = m_desktopBox->itemData(index).toInt();
    list()->setTileTarget(target);
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
    fillScreens();

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
