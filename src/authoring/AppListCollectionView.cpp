#include "authoring/AppListCollectionView.h"

#include "authoring/AppListGridView.h"
#include "authoring/AppListItemDelegate.h"
#include "authoring/AppListItemModel.h"
#include "authoring/PositioningButton.h"
#include "authoring/SearchBar.h"
#include "positioning/WSCreatorPositionManager.h"
#include "positioning/WSEditorPositionManager.h"
#include "style/BusySpinner.h"

#include <QHBoxLayout>
#include <QIcon>
#include <QToolButton>
#include <QVBoxLayout>

namespace dexaro {

namespace {

QToolButton* headerButton(const QString& text, const QString& icon, QWidget* parent) {
    auto* button = new QToolButton(parent);
    button->setText(text);
    button->setAccessibleName(text);
    button->setIcon(QIcon(icon));
    button->setIconSize(QSize(16, 16));
    button->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
    button->setAutoRaise(true);
    button->setCursor(Qt::PointingHandCursor);
    return button;
}

} // namespace

AppListCollectionView::AppListCollectionView(PositionPopoverWindowType type, QWidget* parent)
    : QWidget(parent), m_type(type), m_searchField(new SearchBar(this)),
      m_addURLButton(headerButton(tr("Add URLs"), QStringLiteral(":/images/addurls.svg"), this)),
      m_addFileButton(headerButton(tr("Add files"), QStringLiteral(":/images/addfiles.svg"), this)),
      m_grid(new AppListGridView(this)), m_model(new AppListItemModel(this)),
      m_delegate(new AppListItemDelegate(this)), m_search(new AppListSearch(this)),
      m_spinner(new BusySpinner(this)), m_popover(new PositionsPopover(this)) {
    // The header stays on top while the grid scrolls under it.
    auto* header = new QHBoxLayout;
    header->setContentsMargins(8, 6, 8, 6);
    header->setSpacing(6);
    header->addWidget(m_searchField, 1);
    header->addWidget(m_addURLButton);
    header->addWidget(m_addFileButton);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addLayout(header);
    layout->addWidget(m_grid, 1);

    m_grid->setModel(m_model);
    m_grid->setItemDelegate(m_delegate);
    connect(m_delegate, &AppListItemDelegate::iconLoaded, m_grid->viewport(),
            qOverload<>(&QWidget::update));
    connect(m_grid, &AppListGridView::toggleRequested, this, &AppListCollectionView::toggle);
    connect(m_grid->selectionModel(), &QItemSelectionModel::selectionChanged, this,
            &AppListCollectionView::onViewSelectionChanged);
    connect(m_searchField, &QLineEdit::textChanged, this,
            &AppListCollectionView::onSearchTextChanged);
    connect(m_search, &AppListSearch::finished, this, &AppListCollectionView::showSearchResult);

    m_spinner->setFixedSize(36, 36);
    m_spinner->hide();
    m_popover->hide();
}

AppListCollectionView::~AppListCollectionView() = default;

QLineEdit* AppListCollectionView::searchField() const {
    return m_searchField;
}

QAbstractButton* AppListCollectionView::addURLButton() const {
    return m_addURLButton;
}

QAbstractButton* AppListCollectionView::addFileButton() const {
    return m_addFileButton;
}

QListView* AppListCollectionView::gridView() const {
    return m_grid;
}

QList<AppListModel> AppListCollectionView::installedApps() const {
    return m_installedApps;
}

void AppListCollectionView::setInstalledApps(const QList<AppListModel>& apps) {
    m_scannedApps = apps;
    offerApps();
}

void AppListCollectionView::setKeptApps(const QList<AppListModel>& apps) {
    m_keptApps = apps;
    offerApps();
}

void AppListCollectionView::offerApps() {
    QList<AppListModel> apps = m_scannedApps;
    QSet<QString> scanned;
    for (const AppListModel& app : std::as_const(m_scannedApps))
        scanned.insert(app.appURL);
    for (const AppListModel& app : std::as_const(m_keptApps))
        if (!scanned.contains(app.appURL))
            apps.append(app);
    m_allApps = apps;
    if (m_searchText.isEmpty()) {
        m_search->cancel();
        m_installedApps = apps;
    } else {
        // Until the search is done again, the tiles shown that are still found.
        QSet<QString> found;
        for (const AppListModel& app : apps)
            found.insert(app.appURL);
        QList<AppListModel> kept;
        for (const AppListModel& app : std::as_const(m_installedApps)) {
            if (found.contains(app.appURL))
                kept.append(app);
        }
        m_installedApps = kept;
        m_refocusOnResult = false;
        m_search->start(m_allApps, m_searchText);
    }
    reload();
}

void AppListCollectionView::setSelectedAppURLs(const QSet<QString>& urls) {
    const bool changed = urls != m_selectedAppURLs;
    m_selectedAppURLs = urls;
    reload();
    if (changed)
        emit selectionChanged();
}

void AppListCollectionView::clearSelection() {
    setSelectedAppURLs({});
}

void AppListCollectionView::clearSearch() {
    m_searchField->clear();
}

void AppListCollectionView::onSearchTextChanged(const QString& text) {
    m_searchText = text.trimmed();
    if (m_searchText.isEmpty()) {
        m_search->cancel();
        m_installedApps = m_allApps;
        reload();
        m_searchField->clearFocus();
        return;
    }
    // Only typing keeps the focus in the field: a programmatic change must not
    // pull it out of another field when the result arrives.
    m_refocusOnResult = m_searchField->hasFocus();
    m_search->start(m_allApps, m_searchText);
}

void AppListCollectionView::showSearchResult(const QList<AppListModel>& result) {
    m_installedApps = result;
    reload();
    if (m_refocusOnResult)
        m_searchField->setFocus();
}

void AppListCollectionView::reload() {
    m_model->setApps(m_installedApps); // also drops every index widget
    syncSelectionModel();
}

void AppListCollectionView::syncSelectionModel() {
    QItemSelection selection;
    int first = -1;
    for (int row = 0; row <= m_installedApps.size(); ++row) {
        const bool picked =
            row < m_installedApps.size() && m_selectedAppURLs.contains(m_installedApps[row].appURL);
        if (picked) {
            if (first < 0)
                first = row;
            updateButton(row, true);
        } else if (first >= 0) {
            selection.select(m_model->index(first), m_model->index(row - 1));
            first = -1;
        }
    }
    m_syncing = true;
    m_grid->selectionModel()->select(selection, QItemSelectionModel::ClearAndSelect);
    m_syncing = false;
}

void AppListCollectionView::toggle(const QModelIndex& index) {
    if (!index.isValid() || index.row() >= m_installedApps.size())
        return;
    const QString url = m_installedApps[index.row()].appURL;
    const bool picked = !m_selectedAppURLs.contains(url);
    if (picked)
        m_selectedAppURLs.insert(url);
    else
        m_selectedAppURLs.remove(url);
    // Every tile of that application (an entry may be listed twice).
    for (int row = 0; row < m_installedApps.size(); ++row) {
        if (m_installedApps[row].appURL == url)
            setTileSelected(row, picked);
    }
    emit selectionChanged();
}

void AppListCollectionView::setTileSelected(int row, bool selected) {
    m_syncing = true;
    m_grid->selectionModel()->select(m_model->index(row), selected ? QItemSelectionModel::Select
                                                                   : QItemSelectionModel::Deselect);
    m_syncing = false;
    updateButton(row, selected);
}

void AppListCollectionView::onViewSelectionChanged(const QItemSelection& selected,
                                                   const QItemSelection& deselected) {
    if (m_syncing)
        return;
    // Someone else (an assistive tool) changed the view's selection: follow it.
    bool changed = false;
    for (const QModelIndex& index : selected.indexes()) {
        const QString url = m_installedApps.value(index.row()).appURL;
        if (!url.isEmpty() && !m_selectedAppURLs.contains(url)) {
            m_selectedAppURLs.insert(url);
            updateButton(index.row(), true);
            changed = true;
        }
    }
    for (const QModelIndex& index : deselected.indexes()) {
        const QString url = m_installedApps.value(index.row()).appURL;
        if (m_selectedAppURLs.remove(url)) {
            updateButton(index.row(), false);
            changed = true;
        }
    }
    if (changed)
        emit selectionChanged();
}

void AppListCollectionView::updateButton(int row, bool selected) {
    const QModelIndex index = m_model->index(row);
    if (!selected) {
        if (m_grid->indexWidget(index))
            m_grid->setIndexWidget(index, nullptr);
        return;
    }
    if (m_grid->indexWidget(index))
        return;
    const AppListModel& app = m_installedApps[row];
    auto* button = new PositioningButton(app.appURL, app.appName);
    button->setPlacement(cachedPlacement(app.appURL));
    connect(button, &QToolButton::clicked, this, [this, button] { openPlacementPicker(button); });
    m_grid->setIndexWidget(index, button);
}

QToolButton* AppListCollectionView::positioningButton(const QString& appURL) const {
    const int row = m_model->rowOf(appURL);
    if (row < 0)
        return nullptr;
    return qobject_cast<QToolButton*>(m_grid->indexWidget(m_model->index(row)));
}

void AppListCollectionView::setPositionCaches(WSCreatorPositionManager* creator,
                                              WSEditorPositionManager* editor) {
    m_creator = creator;
    m_editor = editor;
    m_popover->list()->setPositionCaches(creator, editor);
    reload();
}

PositionName AppListCollectionView::cachedPlacement(const QString& url) const {
    if (m_type == PositionPopoverWindowType::editor) {
        if (!m_editor)
            return PositionName::def;
        return positionOrDefault(
            m_editor->positionOf(m_editor->currentSelectedWSID, url).value_or(0));
    }
    if (!m_creator)
        return PositionName::def;
    return positionOrDefault(m_creator->positionsCache.value(appPositionKey(url), 0));
}

void AppListCollectionView::openPlacementPicker(PositioningButton* button) {
    const bool hasCache =
        m_type == PositionPopoverWindowType::editor ? m_editor != nullptr : m_creator != nullptr;
    if (!hasCache)
        return;
    m_placementAppURL = button->appURL();
    m_popover->showFor(this, button, m_type);
}

PositionName AppListCollectionView::itemPosition() const {
    if (m_placementAppURL.isEmpty())
        return PositionName::def;
    if (auto* button = qobject_cast<PositioningButton*>(positioningButton(m_placementAppURL)))
        return button->placement();
    return cachedPlacement(m_placementAppURL);
}

void AppListCollectionView::setItemPosition(PositionName position) {
    // The picker records the choice in the cache right after this.
    if (auto* button = qobject_cast<PositioningButton*>(positioningButton(m_placementAppURL)))
        button->setPlacement(position);
}

void AppListCollectionView::setBusy(bool busy) {
    if (busy) {
        placeSpinner();
        m_spinner->show();
        m_spinner->raise();
        m_spinner->animation().play(0, 1);
    } else {
        m_spinner->animation().stop();
        m_spinner->hide();
    }
}

bool AppListCollectionView::isBusy() const {
    return !m_spinner->isHidden();
}

void AppListCollectionView::placeSpinner() {
    QRect box(QPoint(0, 0), m_spinner->size());
    box.moveCenter(m_grid->geometry().center());
    m_spinner->setGeometry(box);
}

void AppListCollectionView::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    placeSpinner();
}

} // namespace dexaro
