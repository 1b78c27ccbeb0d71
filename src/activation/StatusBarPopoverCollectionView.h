#pragma once
// The popover's workspace list: one row per workspace of the activation's
// list, in a scroll area. It draws what WorkspaceActivation holds and forwards
// a switch's click to it; switching, records and hot keys are the
// activation's, so they work whether or not this list was ever built.
//
// Rows are made only for what is scrolled into view (and a little around it)
// and reused as the list scrolls; a row shows whatever the activation says, so
// a workspace switched by its hot key while its row does not exist shows right
// when its row appears.
#include "activation/ItemStateEnum.h"
#include "activation/WorkspaceActivation.h"

#include <QHash>
#include <QList>
#include <QWidget>

namespace dexaro {

class StatusBarPopoverCollectionViewItem;

class StatusBarPopoverCollectionView : public QWidget {
    Q_OBJECT
public:
    // Flow layout of the rows (section insets and the space between rows).
    static constexpr int insetTop = 20;
    static constexpr int insetLeft = 10;
    static constexpr int insetBottom = 20;
    static constexpr int lineSpacing = 10;
    static constexpr int rowWidth = 300;

    explicit StatusBarPopoverCollectionView(WorkspaceActivation& activation,
                                            QWidget* parent = nullptr);
    ~StatusBarPopoverCollectionView() override;

    // Lays the rows out again for the activation's list (it does so by itself
    // whenever that list changes).
    void reloadData();

    // A row's size for a workspace name: 300 wide; the name measured in the
    // system font at 20 px, light, wrapped at 300; below 40 counts as 30; plus 8.
    static QSize rowSize(const QString& name);

    WorkspaceActivation& activation() const { return m_activation; }
    ItemStateEnum itemState(const QString& wsID) const { return m_activation.itemState(wsID); }
    // A row's switch was clicked.
    void toggleWorkspace(const QString& wsID, bool fromStatusBar);

    // Rows that exist now (scrolled into view), and the row of a workspace.
    QList<StatusBarPopoverCollectionViewItem*> visibleItems() const;
    StatusBarPopoverCollectionViewItem* itemForWorkspace(const QString& wsID) const;

protected:
    bool event(QEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void layoutVisibleRows();
    void configureItem(StatusBarPopoverCollectionViewItem* item, int index);
    void showSwitching(const QString& wsID, bool on);
    void showState(const QString& wsID, ItemStateEnum state);

    WorkspaceActivation& m_activation;
    QList<int> m_rowTops; // top of each row, then the end of the content
    QList<int> m_rowHeights;
    QHash<int, StatusBarPopoverCollectionViewItem*> m_items; // by row number
    QList<StatusBarPopoverCollectionViewItem*> m_spareItems;
    QWidget* m_watchedViewport = nullptr;
};

} // namespace dexaro
