#pragma once
// The position picker: one popover shared by the Creator's and the Editor's
// application tiles. Clicking a tile's positioning button opens it beside the
// button with the fifteen placements; the tile's current placement is marked.
// Choosing an entry marks it, tells the tile and records the choice in the
// Creator's or the Editor's position cache. It closes when the user clicks
// outside it. Main thread only.
#include "positioning/PositionListItem.h"
#include "positioning/PositionTile.h"

#include <QFrame>
#include <QList>
#include <QMap>
#include <QPair>
#include <QPointer>
#include <functional>

class QLabel;
class QScrollArea;

namespace dexaro {

class WSCreatorPositionManager;
class WSEditorPositionManager;

enum class PositionPopoverWindowType { create, editor };

class PositionsListCollectionView : public QWidget {
    Q_OBJECT
public:
    explicit PositionsListCollectionView(QWidget* parent = nullptr);

    PositionPopoverWindowType windowType = PositionPopoverWindowType::create;
    // The tile the popover was opened for (a QWidget implementing PositionTile).
    QPointer<QWidget> applicationElement;
    int currentSelectedCellIndex = 0;
    QList<QPair<QString, PositionName>> positionData;
    QMap<int, PositionListItem*> positionCells;

    // The caches choices are recorded in; a choice without its cache is dropped.
    void setPositionCaches(WSCreatorPositionManager* creator, WSEditorPositionManager* editor);

    // Sets every entry up again and marks the tile's placement.
    void reloadData();
    // The user chose the entry at index.
    void selectItem(int index);

    void setMark(int index, bool marked);

private:
    PositionTile* tile() const;

    WSCreatorPositionManager* m_creator = nullptr;
    WSEditorPositionManager* m_editor = nullptr;
};

class PositionsListViewController : public QWidget {
    Q_OBJECT
public:
    explicit PositionsListViewController(QWidget* parent = nullptr);
    PositionsListCollectionView* positionsListCollectionView;

private:
    QScrollArea* m_scroll;
};

class PositionsPopover : public QFrame {
    Q_OBJECT
public:
    static constexpr QSize contentSize{200, 450};

    explicit PositionsPopover(QWidget* parent = nullptr);

    PositionsListViewController* contentViewController() const { return m_controller; }
    PositionsListCollectionView* list() const { return m_controller->positionsListCollectionView; }

    // Opens the popover for tile (a QWidget implementing PositionTile) on the
    // right side of its positioning button.
    void showFor(QWidget* tile, QWidget* positioningButton, PositionPopoverWindowType type);
    // A line above the placements, read each time the popover opens: why
    // windows cannot be placed in this session. Hidden while it is empty.
    void setNotice(std::function<QString()> notice) { m_notice = std::move(notice); }
    QLabel* noticeLabel() const { return m_noticeLabel; }

private:
    PositionsListViewController* m_controller;
    QLabel* m_noticeLabel;
    std::function<QString()> m_notice;
};

} // namespace dexaro
