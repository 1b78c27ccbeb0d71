#include "activation/StatusBarPopoverCollectionView.h"

#include "activation/AnimatedSwitch.h"
#include "activation/StatusBarPopoverCollectionViewItem.h"

#include <QApplication>
#include <QEvent>
#include <QFontMetricsF>
#include <QPointer>
#include <algorithm>
#include <array>
#include <limits>

namespace dexaro {

namespace {

using List = StatusBarPopoverCollectionView;

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

// Row heights for one font: whether a name certainly fits on one line is told
// from its characters' own advances, without shaping the text, for the
// alphabets whose shaping barely changes a width (Latin, Greek, Cyrillic,
// Armenian), with room to spare for kerning. Any other name is laid out in
// full. Laying out every name was most of the cost of a long list at start-up,
// and nearly every name is one line.
class RowHeights {
public:
    explicit RowHeights(const QFont& font) : m_metrics(font) { m_advances.fill(-1); }

    int of(const QString& name) {
        qreal h = surelyOneLine(name) ? m_metrics.height() : measuredNameHeight(m_metrics, name);
        if (h < 40)
            h = 30;
        return static_cast<int>(h) + 8;
    }

private:
    static constexpr char16_t simpleEnd = 0x0590;

    bool surelyOneLine(const QString& name) {
        const qreal room = List::rowWidth * 0.9;
        qreal width = 0;
        for (const QChar c : name) {
            const char16_t code = c.unicode();
            if (code < 0x20 || code >= simpleEnd)
                return false;
            qreal& advance = m_advances[code];
            if (advance < 0)
                advance = m_metrics.horizontalAdvance(c);
            width += advance;
            if (width > room)
                return false;
        }
        return true;
    }

    QFontMetricsF m_metrics;
    std::array<qreal, simpleEnd> m_advances;
};

} // namespace

StatusBarPopoverCollectionView::StatusBarPopoverCollectionView(WorkspaceActivation& activation,
                                                               QWidget* parent)
    : QWidget(parent), m_activation(activation) {
    setObjectName(QStringLiteral("StatusBarPopoverCollectionView"));
    setAccessibleName(QStringLiteral("Workspaces"));
    connect(&activation, &WorkspaceActivation::workspacesChanged, this, &List::reloadData);
    connect(&activation, &WorkspaceActivation::switchingStarted, this, &List::showSwitching);
    connect(&activation, &WorkspaceActivation::stateChanged, this, &List::showState);
}

StatusBarPopoverCollectionView::~StatusBarPopoverCollectionView() = default;

QSize StatusBarPopoverCollectionView::rowSize(const QString& name) {
    return {rowWidth, RowHeights(measuringFont()).of(name)};
}

void StatusBarPopoverCollectionView::reloadData() {
    const QList<WSListModelPtr>& workspaces = m_activation.workspaces();
    RowHeights heights(measuringFont());
    m_rowTops.clear();
    m_rowHeights.clear();
    m_rowTops.reserve(workspaces.size() + 1);
    m_rowHeights.reserve(workspaces.size());
    int y = insetTop;
    for (const WSListModelPtr& workspace : workspaces) {
        const int h = heights.of(workspace ? workspace->wsName : QString());
        m_rowTops.append(y);
        m_rowHeights.append(h);
        y += h + lineSpacing;
    }
    const int contentEnd = (workspaces.isEmpty() ? insetTop : y - lineSpacing) + insetBottom;
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
        StatusBarPopoverCollectionViewItem* item = nullptr;
        if (m_spareItems.isEmpty()) {
            item = new StatusBarPopoverCollectionViewItem(this);
            connect(item, &StatusBarPopoverCollectionViewItem::toggleRequested, this,
                    [this](const QString& wsID) { toggleWorkspace(wsID, true); });
        } else {
            item = m_spareItems.takeLast();
        }
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
    // A switch animation under way belongs to the row's previous workspace.
    item->wsLauncherToggle()->animation().finish();
    const WSListModelPtr& workspace = m_activation.workspaces().at(index);
    item->configure(index, workspace ? *workspace : WSListModel{});
    item->applyItemState(m_activation.itemState(item->wsID()));
}

QList<StatusBarPopoverCollectionViewItem*> StatusBarPopoverCollectionView::visibleItems() const {
    QList<StatusBarPopoverCollectionViewItem*> items = m_items.values();
    std::sort(items.begin(), items.end(),
              [](auto* a, auto* b) { return a->itemIndex() < b->itemIndex(); });
    return items;
}

StatusBarPopoverCollectionViewItem*
StatusBarPopoverCollectionView::itemForWorkspace(const QString& wsID) const {
    for (StatusBarPopoverCollectionViewItem* item : m_items)
        if (item->wsID() == wsID)
            return item;
    return nullptr;
}

void StatusBarPopoverCollectionView::toggleWorkspace(const QString& wsID, bool fromStatusBar) {
    m_activation.toggleWorkspace(wsID, fromStatusBar);
}

void StatusBarPopoverCollectionView::showSwitching(const QString& wsID, bool on) {
    StatusBarPopoverCollectionViewItem* item = itemForWorkspace(wsID);
    if (!item)
        return;
    if (!on) {
        item->stopActivationIndicator();
        item->showBusyLook();
        item->wsLauncherToggle()->animation().play(0.5, 1.0);
        return;
    }
    // The switch moves first; the spinner takes its place if the workspace
    // is still opening by then.
    item->startActivationIndicator();
    item->wsLauncherToggle()->animation().play(0, 0.5, [list = QPointer(this), wsID] {
        if (!list || list->itemState(wsID) != ItemStateEnum::runningApp)
            return;
        if (StatusBarPopoverCollectionViewItem* row = list->itemForWorkspace(wsID))
            row->showBusyLook();
    });
}

void StatusBarPopoverCollectionView::showState(const QString& wsID, ItemStateEnum state) {
    if (StatusBarPopoverCollectionViewItem* item = itemForWorkspace(wsID)) {
        item->endBusyLook();
        item->applyItemState(state);
    }
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
