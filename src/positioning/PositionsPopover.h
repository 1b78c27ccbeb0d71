#pragma once
// The position picker: one popover shared by the Creator's and the Editor's
// application tiles. Clicking a tile's positioning button opens it beside the
// button with the fifteen placements; the tile's current placement is marked.
// Choosing an entry marks it, tells the tile and records the choice in the
// Creator's or the Editor's position cache. With two or more monitors or
// desktops it also offers the tile's monitor and desktop above the list. It
// closes when the user clicks outside it. Main thread only.
#include "positioning/PlacementScreens.h"
#include "positioning/PositionListItem.h"
#include "positioning/PositionTile.h"

#include <QFrame>
#include <QList>
#include <QMap>
#include <QPair>
#include <QPointer>
#include <functional>

class QComboBox;
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

    // The tile's monitor and desktop, as its cache has them.
    AppTarget tileTarget() const;
    void setTileTarget(const AppTarget& target);

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

    // Where the monitors and desktops offered come from; none without it.
    void setScreensSource(std::function<PlacementScreens()> source);
    // Above the placements when there is a choice: "Monitor" and "Desktop".
    // A monitor the tile names that is not connected is listed as absent.
    QComboBox* monitorBox() const { return m_monitorBox; }
    QComboBox* desktopBox() const { return m_desktopBox; }

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
    void fillScreens();
    void monitorChosen(int index);
    void desktopChosen(int index);

    PositionsListViewController* m_controller;
    std::function<PlacementScreens()> m_screens;
    QWidget* m_header;
    QLabel* m_monitorLabel;
    QComboBox* m_monitorBox;
    QLabel* m_desktopLabel;
    QComboBox* m_desktopBox;
    QLabel* m_noticeLabel;
    std::function<QString()> m_notice;
};

} // namespace dexaro
