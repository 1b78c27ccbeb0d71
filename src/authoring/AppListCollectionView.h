#pragma once
// The application picker of the Creator and the Editor: a pinned header (the
// search field, "Add URLs", "Add files") above a grid of application tiles.
// A click on a tile picks its application or puts it back; the picked
// applications (selectedAppURLs) do not depend on the search or on rescans.
// A picked tile's placement button opens the placement picker for that
// application and records the choice in the Creator's or the Editor's cache.
//
// Searching filters the whole list off the GUI thread; the text typed last
// wins. The widget is the placement picker's tile for the application whose
// placement button was clicked last.
#include "authoring/AppListSearch.h"
#include "model/Records.h"
#include "positioning/PositionTile.h"
#include "positioning/PositionsPopover.h"

#include <QSet>
#include <QWidget>

class QAbstractButton;
class QLineEdit;
class QListView;
class QItemSelection;
class QToolButton;

namespace dexaro {

class AppListGridView;
class AppListItemDelegate;
class AppListItemModel;
class BusySpinner;
class PositioningButton;
class SearchBar;
class WSCreatorPositionManager;
class WSEditorPositionManager;

class AppListCollectionView : public QWidget, public PositionTile {
    Q_OBJECT
public:
    explicit AppListCollectionView(PositionPopoverWindowType type, QWidget* parent = nullptr);
    ~AppListCollectionView() override;

    // After a scan: the whole list (installedApps and
    // originalInstalledAppsListForSearchBar); the current search text, if
    // any, is applied again. Reloads.
    void setInstalledApps(const QList<AppListModel>& apps);
    // Tiles for stored applications that the scan does not list (an entry
    // deeper in the folders, one that is not shown in menus, one that is
    // missing), after the scanned ones; an application the scan lists keeps
    // its scanned tile. Set for the workspace being edited. Reloads.
    void setKeptApps(const QList<AppListModel>& apps);
    QList<AppListModel> installedApps() const; // the tiles shown now
    const QList<AppListModel>& originalInstalledAppsListForSearchBar() const { return m_allApps; }

    const QSet<QString>& selectedAppURLs() const { return m_selectedAppURLs; }
    void setSelectedAppURLs(const QSet<QString>& urls); // the Editor's selection; reloads
    void clearSelection();                              // reloads
    void clearSearch();

    QLineEdit* searchField() const;
    QAbstractButton* addURLButton() const;
    QAbstractButton* addFileButton() const;

    // Where the tiles' placement buttons record choices (one of the two is
    // null), and whose placement a tile shows. Without them the placement
    // buttons do nothing.
    void setPositionCaches(WSCreatorPositionManager* creator, WSEditorPositionManager* editor);
    void setBusy(bool busy); // the spinner over the grid
    bool isBusy() const;

    // The grid, its placement picker and the search (tests drive them).
    QListView* gridView() const;
    PositionsPopover* positionsPopover() const { return m_popover; }
    AppListSearch& search() { return *m_search; }
    // The placement button of a picked tile shown now, nullptr when none.
    QToolButton* positioningButton(const QString& appURL) const;

signals:
    // The picked applications changed (by a click or by a setter).
    void selectionChanged();

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    // PositionTile, for the application whose placement is being chosen.
    PositionName itemPosition() const override;
    void setItemPosition(PositionName position) override;
    QString appURL() const override { return m_placementAppURL; }

    PositionName cachedPlacement(const QString& url) const;
    void reload();
    void showSearchResult(const QList<AppListModel>& result);
    void onSearchTextChanged(const QString& text);
    void toggle(const QModelIndex& index);
    void setTileSelected(int row, bool selected);
    void syncSelectionModel();
    void updateButton(int row, bool selected);
    void onViewSelectionChanged(const QItemSelection& selected, const QItemSelection& deselected);
    void openPlacementPicker(PositioningButton* button);
    void placeSpinner();

    PositionPopoverWindowType m_type;
    void offerApps();
    QList<AppListModel> m_scannedApps;
    QList<AppListModel> m_keptApps;
    QList<AppListModel> m_allApps;
    QList<AppListModel> m_installedApps;
    QSet<QString> m_selectedAppURLs;
    QString m_searchText;           // trimmed
    bool m_refocusOnResult = false; // the search result comes from typing
    bool m_syncing = false;         // the selection model is being set from m_selectedAppURLs

    SearchBar* m_searchField;
    QToolButton* m_addURLButton;
    QToolButton* m_addFileButton;
    AppListGridView* m_grid;
    AppListItemModel* m_model;
    AppListItemDelegate* m_delegate;
    AppListSearch* m_search;
    BusySpinner* m_spinner;
    PositionsPopover* m_popover;
    WSCreatorPositionManager* m_creator = nullptr;
    WSEditorPositionManager* m_editor = nullptr;
    QString m_placementAppURL;
};

} // namespace dexaro
