#include "activation/StatusBarPopoverCollectionView.h"

#include "activation/AnimatedSwitch.h"
#include "activation/LaunchRules.h"
#include "activation/StatusBarPopoverCollectionViewItem.h"
#include "model/Packing.h"
#include "model/TemporaryGlobalDataHolder.h"
#include "platform/Alerts.h"
#include "positioning/AllPositionsHolder.h"
#include "positioning/WindowPlacer.h"
#include "shortcuts/MASShortcutBinder.h"

#include <QApplication>
#include <QCoreApplication>
#include <QEvent>
#include <QFontMetricsF>
#include <QPointer>
#include <algorithm>
#include <limits>
#include <mutex>

namespace dexaro {

// One switching-on of a workspace: what it opens, how, and what failed. Shared
// by the worker that opens the contents and the launch completions, which may
// arrive on any thread.
struct WorkspaceOpening {
    QString wsID;
    QStringList apps;
    QStringList urls;
    QStringList files;
    OpenConfiguration configuration;
    quint64 generation = 0;
    WorkspaceServices* services = nullptr;
    AllPositionsHolder* positions = nullptr;
    std::function<void(const RunningApplication&, PositionName)> placeWindow;

    std::mutex lock; // guards failedApps
    QStringList failedApps;
    // Launches still to report, plus one for the contents worker itself.
    std::atomic<int> pending{0};
};

namespace {

using List = StatusBarPopoverCollectionView;
using SharedPtr = std::shared_ptr<List::Shared>;

// Runs fn on the main thread with the list, when both are still there.
void postToList(const SharedPtr& shared, const QPointer<List>& list,
                std::function<void(List&)> fn) {
    if (shared->stopped.load())
        return;
    QCoreApplication* app = QCoreApplication::instance();
    if (!app)
        return;
    QMetaObject::invokeMethod(
        app,
        [list, fn = std::move(fn)] {
            if (list)
                fn(*list);
        },
        Qt::QueuedConnection);
}

// Every launch has reported and the contents are open: the opening failed as
// a whole when every application failed.
void checkLaunchFailures(const SharedPtr& shared, const std::shared_ptr<WorkspaceOpening>& opening,
                         const QPointer<List>& list) {
    QStringList failed;
    {
        std::lock_guard guard(opening->lock);
        failed = opening->failedApps;
    }
    const QString wsID = opening->wsID;
    if (!failed.isEmpty() && failed.size() == opening->apps.size()) {
        if (shared->records.resetIf(wsID, opening->generation)) {
            postToList(shared, list, [wsID, failed](List& view) {
                view.endBusyLook(wsID);
                view.showAppsNotOpenedAlert(failed);
            });
        }
        return;
    }
    if (shared->records.setStateIf(wsID, opening->generation, ItemStateEnum::active))
        postToList(shared, list, [wsID](List& view) { view.endBusyLook(wsID); });
}

void launchStepDone(const SharedPtr& shared, const std::shared_ptr<WorkspaceOpening>& opening,
                    const QPointer<List>& list) {
    if (opening->pending.fetch_sub(1) == 1)
        checkLaunchFailures(shared, opening, list);
}

void appLaunchFinished(const SharedPtr& shared, const std::shared_ptr<WorkspaceOpening>& opening,
                       const QPointer<List>& list, const QString& entry,
                       const std::optional<RunningApplication>& app) {
    if (!app) {
        const QString name = appDisplayName(entry);
        std::lock_guard guard(opening->lock);
        opening->failedApps.append(name);
    } else {
        const PositionName position = opening->positions
                                          ? opening->positions->positionForApp(opening->wsID, entry)
                                          : PositionName::def;
        if (opening->placeWindow)
            opening->placeWindow(*app, position);
        // An opening overtaken by a deletion records nothing any more.
        shared->records.recordLaunchedApp(opening->wsID, opening->generation, *app);
    }
    launchStepDone(shared, opening, list);
}

// Applications, then web links, then files; runs on the list's pool.
void launchWorkspaceContents(const SharedPtr& shared,
                             const std::shared_ptr<WorkspaceOpening>& opening,
                             const QPointer<List>& list) {
    WorkspaceServices* services = opening->services;
    for (const QString& entry : opening->apps) {
        if (!services) {
            appLaunchFinished(shared, opening, list, entry, std::nullopt);
            continue;
        }
        services->openApplication(
            entry, opening->configuration,
            [shared, opening, list, entry](std::optional<RunningApplication> app, const QString&) {
                appLaunchFinished(shared, opening, list, entry, app);
            });
    }
    if (services) {
        for (const QString& address : opening->urls) {
            if (const std::optional<QUrl> url = webAddressToOpen(address))
                services->openURL(*url);
        }
        QStringList failedFiles;
        for (const QString& path : opening->files) {
            if (!path.isEmpty() && !services->openFile(fileLinkPath(path)))
                failedFiles.append(path);
        }
        if (!failedFiles.isEmpty()) {
            postToList(shared, list,
                       [failedFiles](List& view) { view.showFilesNotOpenedAlert(failedFiles); });
        }
    }
    launchStepDone(shared, opening, list);
}

qreal measuredNameHeight(const QFontMetricsF& metrics, const QString& name) {
    const QRectF box(0, 0, List::rowWidth, std::numeric_limits<int>::max() / 4);
    return metrics.boundingRect(box, Qt::TextWordWrap, name).height();
}

QFont measuringFont() {
    QFont font = QApplication::font();
    font.setPixelSize(20);
    font.setWeight(QFont::Light);
    return font;
}

int rowHeightFor(const QFontMetricsF& metrics, const QString& name) {
    qreal h = measuredNameHeight(metrics, name);
    if (h < 40)
        h = 30;
    return static_cast<int>(h) + 8;
}

} // namespace

StatusBarPopoverCollectionView::StatusBarPopoverCollectionView(QWidget* parent) : QWidget(parent) {
    setObjectName(QStringLiteral("StatusBarPopoverCollectionView"));
    setAccessibleName(QStringLiteral("Workspaces"));
    m_pool.setMaxThreadCount(4);
}

StatusBarPopoverCollectionView::~StatusBarPopoverCollectionView() {
    stop();
}

void StatusBarPopoverCollectionView::stop() {
    m_shared->stopped.store(true);
    m_pool.waitForDone();
}

QSize StatusBarPopoverCollectionView::rowSize(const QString& name) {
    return {rowWidth, rowHeightFor(QFontMetricsF(measuringFont()), name)};
}

void StatusBarPopoverCollectionView::reloadData() {
    const QFontMetricsF metrics(measuringFont());
    m_rowTops.clear();
    m_rowHeights.clear();
    m_rowTops.reserve(wsList.size() + 1);
    m_rowHeights.reserve(wsList.size());
    int y = insetTop;
    for (const WSListModelPtr& workspace : wsList) {
        const int h = rowHeightFor(metrics, workspace ? workspace->wsName : QString());
        m_rowTops.append(y);
        m_rowHeights.append(h);
        y += h + lineSpacing;
    }
    const int contentEnd = (wsList.isEmpty() ? insetTop : y - lineSpacing) + insetBottom;
    m_rowTops.append(contentEnd);

    // Every row is configured again (the rows may have moved); the ones in
    // view are taken first from the rows that exist.
    for (StatusBarPopoverCollectionViewItem* item : std::as_const(m_items))
        m_spareItems.append(item);
    m_items.clear();

    const QWidget* viewport = parentWidget();
    const int width = viewport ? viewport->width() : insetLeft + rowWidth + insetLeft;
    resize(std::max(width, insetLeft + rowWidth), contentEnd);
    layoutVisibleRows();
    bindHotKeys();
}

void StatusBarPopoverCollectionView::layoutVisibleRows() {
    const int count = static_cast<int>(m_rowHeights.size());
    const QWidget* viewport = parentWidget();
    const int visibleTop = viewport ? -y() : 0;
    const int visibleHeight = viewport ? viewport->height() : height();
    const int margin = 80; // a row or two beyond the edges, for smooth scrolling
    const int from = visibleTop - margin;
    const int to = visibleTop + visibleHeight + margin;

    // First row whose bottom reaches into the range.
    int first =
        static_cast<int>(std::upper_bound(m_rowTops.cbegin(), m_rowTops.cbegin() + count, from) -
                         m_rowTops.cbegin());
    first = std::max(0, first - 1);
    int last = first;
    while (last < count && m_rowTops.at(last) < to)
        ++last;

    for (auto it = m_items.begin(); it != m_items.end();) {
        if (it.key() < first || it.key() >= last) {
            m_spareItems.append(it.value());
            it = m_items.erase(it);
        } else {
            ++it;
        }
    }
    for (int row = first; row < last; ++row) {
        if (m_items.contains(row))
            continue;
        StatusBarPopoverCollectionViewItem* item =
            m_spareItems.isEmpty() ? new StatusBarPopoverCollectionViewItem(this)
                                   : m_spareItems.takeLast();
        configureItem(item, row);
        item->setGeometry(insetLeft, m_rowTops.at(row), rowWidth, m_rowHeights.at(row));
        item->show();
        m_items.insert(row, item);
    }
    for (StatusBarPopoverCollectionViewItem* item : std::as_const(m_spareItems))
        item->hide();
}

void StatusBarPopoverCollectionView::configureItem(StatusBarPopoverCollectionViewItem* item,
                                                   int index) {
    // A switch animation under way belongs to the row's previous workspace:
    // it completes first, so that workspace's opening goes on.
    item->wsLauncherToggle()->animation().finish();
    const WSListModelPtr& workspace = wsList.at(index);
    item->configure(index, workspace ? *workspace : WSListModel{});
    item->state = m_shared->records.state(item->wsID);
    item->applyItemState(this);
}

QList<StatusBarPopoverCollectionViewItem*> StatusBarPopoverCollectionView::visibleItems() const {
    QList<StatusBarPopoverCollectionViewItem*> items;
    for (int row : m_items.keys())
        items.append(m_items.value(row));
    std::sort(items.begin(), items.end(),
              [](auto* a, auto* b) { return a->itemIndex < b->itemIndex; });
    return items;
}

StatusBarPopoverCollectionViewItem*
StatusBarPopoverCollectionView::itemForWorkspace(const QString& wsID) const {
    for (StatusBarPopoverCollectionViewItem* item : m_items)
        if (item->wsID == wsID)
            return item;
    return nullptr;
}

WSListModelPtr StatusBarPopoverCollectionView::workspace(const QString& wsID) const {
    for (const WSListModelPtr& workspace : wsList)
        if (workspace && workspace->wsID == wsID)
            return workspace;
    return nullptr;
}

void StatusBarPopoverCollectionView::bindHotKeys() {
    if (!m_host.binder)
        return;
    QSet<QString> keys;
    for (const WSListModelPtr& workspace : std::as_const(wsList)) {
        if (!workspace || workspace->wsID.isEmpty())
            continue;
        const QString wsID = workspace->wsID;
        keys.insert(wsID);
        m_host.binder->bindShortcut(wsID, [list = QPointer(this), wsID] {
            if (list)
                list->toggleWorkspace(wsID, false);
        });
    }
    for (const QString& key : std::as_const(m_boundKeys))
        if (!keys.contains(key))
            m_host.binder->breakBinding(key);
    m_boundKeys = keys;
}

void StatusBarPopoverCollectionView::toggleWorkspace(const QString& wsID, bool fromStatusBar) {
    const WSListModelPtr listed = workspace(wsID);
    if (!listed || m_shared->stopped.load())
        return;
    // A workspace being switched on or off finishes that first: switching it
    // the other way meanwhile would close a half-opened workspace (or open a
    // half-closed one) and leave its records out of step.
    if (m_shared->records.state(wsID) == ItemStateEnum::runningApp)
        return;
    if (m_shared->records.toggleIsOn(wsID))
        switchOff(wsID, fromStatusBar);
    else
        switchOn(*listed, fromStatusBar);
}

void StatusBarPopoverCollectionView::switchOn(const WSListModel& listed, bool fromStatusBar) {
    auto opening = std::make_shared<WorkspaceOpening>();
    opening->wsID = listed.wsID;
    QStringList apps =
        TemporaryGlobalDataHolder::shared().updatedAppList(listed.wsID).value_or(listed.apps);
    // An empty stored list reads as one empty entry: nothing to launch.
    apps.removeIf([](const QString& entry) { return entry.trimmed().isEmpty(); });
    opening->apps = apps;
    opening->urls = linkAddresses(listed.urlLinkAdresses, markers::urlLink);
    opening->files = linkAddresses(listed.fileURLLinkAdresses, markers::fileLink);
    const AppSettings settings = m_host.settings ? m_host.settings() : AppSettings{};
    opening->configuration.hides = AppSettings::isOn(settings.hideApps);
    opening->configuration.createsNewApplicationInstance =
        AppSettings::isOn(settings.createNewInstance);
    opening->services = m_host.workspaceServices;
    opening->positions = m_host.positions;
    opening->placeWindow = m_host.placeWindow;
    opening->generation = m_shared->records.generation(listed.wsID);

    if (!fromStatusBar)
        closePopover();
    m_shared->records.setState(listed.wsID, ItemStateEnum::runningApp);
    StatusBarPopoverCollectionViewItem* item = itemForWorkspace(listed.wsID);
    if (!item) {
        openWorkspace(opening);
        return;
    }
    item->startActivationIndicator();
    item->wsLauncherToggle()->animation().play(0, 0.5, [list = QPointer(this), opening] {
        if (list)
            list->openWorkspace(opening);
    });
}

void StatusBarPopoverCollectionView::openWorkspace(
    const std::shared_ptr<WorkspaceOpening>& opening) {
    const QString& wsID = opening->wsID;
    // Deleted while its switch was moving: nothing opens.
    if (m_shared->stopped.load() || m_shared->records.generation(wsID) != opening->generation)
        return;
    m_shared->records.setToggleIsOn(wsID, true);
    if (StatusBarPopoverCollectionViewItem* item = itemForWorkspace(wsID))
        item->showBusyLook();
    opening->pending.store(static_cast<int>(opening->apps.size()) + 1);
    m_pool.start([shared = m_shared, opening, list = QPointer(this)] {
        launchWorkspaceContents(shared, opening, list);
    });
}

void StatusBarPopoverCollectionView::switchOff(const QString& wsID, bool fromStatusBar) {
    // Everything recorded is closed, also applications that gave no name; a
    // workspace that launched nothing (only links) simply switches off.
    const AppSettings settings = m_host.settings ? m_host.settings() : AppSettings{};
    const bool force = AppSettings::isOn(settings.forceTerminate);
    StatusBarPopoverCollectionViewItem* item = itemForWorkspace(wsID);
    if (item) {
        item->stopActivationIndicator();
        item->showBusyLook();
    }
    m_shared->records.setState(wsID, ItemStateEnum::runningApp);
    const quint64 generation = m_shared->records.generation(wsID);
    // A click closes the popover; a hot key only when it is shown.
    if (fromStatusBar || !m_host.isPopoverShown || m_host.isPopoverShown())
        closePopover();
    if (item)
        item->wsLauncherToggle()->animation().play(0.5, 1.0);

    WorkspaceServices* services = m_host.workspaceServices;
    m_pool.start([shared = m_shared, list = QPointer(this), services, wsID, generation, force] {
        const QList<RunningApplication> apps = shared->records.launchedApps(wsID);
        if (services) {
            for (const RunningApplication& app : apps) {
                if (force)
                    services->forceTerminate(app);
                else
                    services->terminate(app);
            }
        }
        if (shared->records.resetIf(wsID, generation))
            postToList(shared, list, [wsID](List& view) { view.endBusyLook(wsID); });
    });
}

void StatusBarPopoverCollectionView::handleWSDeleteNotifications(int workspaceIndex) {
    if (workspaceIndex < 0 || workspaceIndex >= wsList.size() || !wsList.at(workspaceIndex))
        return;
    const QString wsID = wsList.at(workspaceIndex)->wsID;
    m_shared->records.reset(wsID);
    if (StatusBarPopoverCollectionViewItem* item = itemForWorkspace(wsID)) {
        item->state = ItemStateEnum::inactive;
        item->showSwitchedOffLook();
    }
}

void StatusBarPopoverCollectionView::showSwitchedOffLook(const QString& wsID) {
    m_shared->records.setToggleIsOn(wsID, false);
    if (StatusBarPopoverCollectionViewItem* item = itemForWorkspace(wsID))
        item->showSwitchedOffLook();
}

void StatusBarPopoverCollectionView::endBusyLook(const QString& wsID) {
    StatusBarPopoverCollectionViewItem* item = itemForWorkspace(wsID);
    if (!item)
        return;
    item->endBusyLook();
    // A row made while the workspace was busy never saw its switch move.
    item->state = m_shared->records.state(wsID);
    if (item->state != ItemStateEnum::runningApp)
        item->applyItemState(this);
}

void StatusBarPopoverCollectionView::showAppsNotOpenedAlert(const QStringList& failed) {
    closePopover();
    if (m_host.alerts) {
        m_host.alerts->warn(QStringLiteral("Workspace launching"),
                            QStringLiteral("App could not be opened!"), appsNotOpenedText(failed));
    }
}

void StatusBarPopoverCollectionView::showFilesNotOpenedAlert(const QStringList& paths) {
    if (m_host.alerts)
        m_host.alerts->warn(QString(), QStringLiteral("Not opened"), paths.join(QLatin1Char('\n')));
}

void StatusBarPopoverCollectionView::closePopover() {
    if (m_host.closePopover)
        m_host.closePopover();
}

bool StatusBarPopoverCollectionView::event(QEvent* event) {
    switch (event->type()) {
    case QEvent::Move:
    case QEvent::Resize:
    case QEvent::Show:
        layoutVisibleRows();
        break;
    case QEvent::ParentChange:
        if (m_watchedViewport)
            m_watchedViewport->removeEventFilter(this);
        m_watchedViewport = parentWidget();
        if (m_watchedViewport)
            m_watchedViewport->installEventFilter(this);
        break;
    default:
        break;
    }
    return QWidget::event(event);
}

bool StatusBarPopoverCollectionView::eventFilter(QObject* watched, QEvent* event) {
    if (watched == m_watchedViewport && event->type() == QEvent::Resize) {
        const int width = std::max(m_watchedViewport->width(), insetLeft + rowWidth);
        if (width != this->width())
            resize(width, height());
        else
            layoutVisibleRows();
    }
    return QWidget::eventFilter(watched, event);
}

} // namespace dexaro
