#include "activation/PopoverPresenter.h"

#include "platform/EventMonitor.h"
#include "platform/Platform.h"
#include "platform/Popover.h"
#include "platform/StatusItem.h"
#include "platform/WorkAreas.h"

#include <QGuiApplication>
#include <QScreen>
#include <QTimer>
#include <QWindow>

namespace dexaro {
namespace {

// A status-item click this soon after the global monitor closed the popover
// belongs to that close (the click on a host-drawn icon is what closed it).
constexpr qint64 clickAfterGlobalCloseMs = 300;
// How long the first show waits for the tray to place the icon (a tray that
// starts with the session may take a while); it follows the icon afterwards.
constexpr int iconPlacementWaitMs = 3000;

QWindow* topLevelOf(QWindow* window) {
    while (window && window->parent())
        window = window->parent();
    return window;
}

qreal ratioAt(const QPoint& point) {
    const QScreen* screen = QGuiApplication::screenAt(point);
    if (!screen)
        screen = QGuiApplication::primaryScreen();
    return screen ? screen->devicePixelRatio() : 1.0;
}

} // namespace

PopoverPresenter::PopoverPresenter(Platform& platform, StatusItem* statusItem, QWidget* content,
                                   QObject* parent)
    : QObject(parent), m_platform(platform), m_statusItem(statusItem), m_popover(new Popover) {
    m_popover->setContentView(content);
    m_popover->setWorkAreaSource([this](const QPoint& point) { return workAreaAt(point); });
    connect(m_popover, &Popover::willClose, this, [this] {
        removeEventMonitors();
        emit closed();
    });
    if (m_statusItem) {
        connect(m_statusItem, &StatusItem::clicked, this, &PopoverPresenter::toggleFromStatusItem);
        connect(m_statusItem, &StatusItem::iconGeometryChanged, this,
                &PopoverPresenter::iconGeometryChanged);
    }
}

PopoverPresenter::~PopoverPresenter() {
    removeEventMonitors();
    delete m_popover;
}

bool PopoverPresenter::isShown() const {
    return m_popover && m_popover->isShown();
}

QRect PopoverPresenter::workAreaAt(const QPoint& point) const {
    const qreal ratio = ratioAt(point);
    const auto monitor = m_platform.workAreas().monitorAt(
        QPoint(qRound(point.x() * ratio), qRound(point.y() * ratio)));
    if (!monitor) {
        const QScreen* screen = QGuiApplication::screenAt(point);
        if (!screen)
            screen = QGuiApplication::primaryScreen();
        return screen ? screen->geometry() : QRect();
    }
    const QRect& area = monitor->workArea;
    return QRect(qRound(area.x() / ratio), qRound(area.y() / ratio), qRound(area.width() / ratio),
                 qRound(area.height() / ratio));
}

void PopoverPresenter::toggleFromStatusItem() {
    if (isShown()) {
        close();
        return;
    }
    if (m_statusItem && m_statusItem->isDrawnByHost() && m_globalClose.isValid() &&
        m_globalClose.elapsed() < clickAfterGlobalCloseMs)
        return;
    show();
}

void PopoverPresenter::showWhenIconIsPlaced() {
    if (!m_statusItem || !m_statusItem->isIconPlacementPending()) {
        show();
        return;
    }
    m_waitingForIcon = true;
    QTimer::singleShot(iconPlacementWaitMs, this, [this] {
        if (m_waitingForIcon)
            show();
    });
}

void PopoverPresenter::iconGeometryChanged() {
    if (m_waitingForIcon)
        show();
    else if (isShown())
        m_popover->reanchor(m_statusItem->iconGeometry());
}

void PopoverPresenter::show() {
    if (isShown() || !m_popover)
        return;
    m_waitingForIcon = false;
    m_globalClose.invalidate();
    m_popover->showRelativeTo(m_statusItem ? m_statusItem->iconGeometry() : QRect());

    QPointer<PopoverPresenter> weak(this);
    m_globalMonitor = m_platform.addGlobalMouseDownMonitor([weak] {
        if (!weak)
            return;
        weak->m_globalClose.start();
        weak->close();
    });
    m_localMonitor = m_platform.addLocalMouseDownMonitor([weak](QWindow* window) {
        if (weak)
            weak->localMouseDown(window);
    });
    emit shown();
}

void PopoverPresenter::localMouseDown(QWindow* window) {
    if (!m_popover || !m_popover->windowHandle())
        return;
    QWindow* target = topLevelOf(window);
    if (target == m_popover->windowHandle() || (m_statusItem && m_statusItem->ownsWindow(target)))
        return;
    // A press in the main window closes the popover; other windows of ours
    // (menus, dialogs, the about window) leave it open.
    if (m_closingWindow && target == m_closingWindow())
        close();
}

void PopoverPresenter::close() {
    if (!isShown())
        return;
    m_popover->performClose();
    removeEventMonitors();
}

void PopoverPresenter::removeEventMonitors() {
    m_globalMonitor.reset();
    m_localMonitor.reset();
}

} // namespace dexaro
