#include "platform/linux/TrayStatusItem.h"

#include <QApplication>
#include <QCoreApplication>
#include <QEvent>
#include <QGuiApplication>
#include <QMenu>
#include <QMetaObject>
#include <QMouseEvent>
#include <QWidget>
#include <QWindow>
#include <xcb/xcb.h>

namespace dexaro {

TrayStatusItem::TrayStatusItem(QObject* parent) : StatusItem(parent) {
    connect(&m_tray, &QSystemTrayIcon::activated, this,
            [this](QSystemTrayIcon::ActivationReason reason) {
                // A second click soon after the first arrives as a double click;
                // each click counts.
                if (reason == QSystemTrayIcon::Trigger || reason == QSystemTrayIcon::DoubleClick)
                    emit clicked();
            });
    QCoreApplication::instance()->installNativeEventFilter(this);
}

TrayStatusItem::~TrayStatusItem() {
    if (QCoreApplication::instance())
        QCoreApplication::instance()->removeNativeEventFilter(this);
}

bool TrayStatusItem::nativeEventFilter(const QByteArray& type, void* message, qintptr*) {
    if (type != "xcb_generic_event_t" || !m_iconWidget ||
        !m_iconWidget->testAttribute(Qt::WA_WState_Created))
        return false;
    const auto* event = static_cast<const xcb_generic_event_t*>(message);
    const auto icon = xcb_window_t(m_iconWidget->winId());
    switch (event->response_type & 0x7f) {
    case XCB_REPARENT_NOTIFY:
        if (reinterpret_cast<const xcb_reparent_notify_event_t*>(event)->window == icon)
            QMetaObject::invokeMethod(this, &TrayStatusItem::checkGeometry, Qt::QueuedConnection);
        break;
    case XCB_CONFIGURE_NOTIFY:
        if (reinterpret_cast<const xcb_configure_notify_event_t*>(event)->window == icon)
            QMetaObject::invokeMethod(this, &TrayStatusItem::checkGeometry, Qt::QueuedConnection);
        break;
    default:
        break;
    }
    return false;
}

void TrayStatusItem::checkGeometry() {
    const QRect geometry = iconGeometry();
    if (geometry.isValid() && geometry != m_lastGeometry) {
        m_lastGeometry = geometry;
        emit iconGeometryChanged();
    }
}

void TrayStatusItem::setImage(const QIcon& icon) {
    m_tray.setIcon(icon);
}

void TrayStatusItem::setToolTip(const QString& text) {
    m_tray.setToolTip(text);
}

void TrayStatusItem::setMenu(QMenu* menu) {
    m_tray.setContextMenu(menu);
}

void TrayStatusItem::setVisible(bool visible) {
    m_tray.setVisible(visible);
    iconWidget();
}

QWidget* TrayStatusItem::iconWidget() {
    if (m_iconWidget)
        return m_iconWidget;
    // Qt draws an XEmbed tray icon in a small top-level widget of its own; a
    // StatusNotifierItem has none.
    for (QWidget* widget : QApplication::topLevelWidgets()) {
        if (qstrcmp(widget->metaObject()->className(), "QSystemTrayIconSys") == 0) {
            m_iconWidget = widget;
            widget->installEventFilter(this);
            break;
        }
    }
    return m_iconWidget;
}

bool TrayStatusItem::isEmbedded(QWidget* widget) const {
    return embeddedGeometry(widget).has_value();
}

std::optional<QRect> TrayStatusItem::embeddedGeometry(QWidget* widget) const {
    // Until the tray takes the icon's window in, it is a child of the root
    // window and its position means nothing. Once it is in, Qt learns where it
    // went only when the tray moves it again, so ask the X server.
    auto* x11 = qGuiApp->nativeInterface<QNativeInterface::QX11Application>();
    xcb_connection_t* connection = x11 ? x11->connection() : nullptr;
    if (!connection || !widget->testAttribute(Qt::WA_WState_Created))
        return std::nullopt;
    const auto window = xcb_window_t(widget->winId());
    xcb_query_tree_reply_t* tree =
        xcb_query_tree_reply(connection, xcb_query_tree(connection, window), nullptr);
    if (!tree)
        return std::nullopt;
    const xcb_window_t root = tree->root;
    const bool embedded = tree->parent != root;
    free(tree);
    if (!embedded)
        return std::nullopt;
    const auto geometryCookie = xcb_get_geometry(connection, window);
    const auto translateCookie = xcb_translate_coordinates(connection, window, root, 0, 0);
    xcb_get_geometry_reply_t* geometry =
        xcb_get_geometry_reply(connection, geometryCookie, nullptr);
    xcb_translate_coordinates_reply_t* origin =
        xcb_translate_coordinates_reply(connection, translateCookie, nullptr);
    std::optional<QRect> result;
    if (geometry && origin) {
        const qreal ratio = widget->devicePixelRatioF();
        result = QRect(qRound(origin->dst_x / ratio), qRound(origin->dst_y / ratio),
                       qRound(geometry->width / ratio), qRound(geometry->height / ratio));
    }
    free(geometry);
    free(origin);
    return result;
}

bool TrayStatusItem::eventFilter(QObject* watched, QEvent* event) {
    if (watched != m_iconWidget)
        return StatusItem::eventFilter(watched, event);
    switch (event->type()) {
    case QEvent::Move:
    case QEvent::Resize:
    case QEvent::Show:
        checkGeometry();
        break;
    case QEvent::MouseButtonDblClick: {
        // Qt makes a second press soon after the first a double click, and
        // its icon opens the menu on presses only: every right press opens it.
        const auto* mouse = static_cast<QMouseEvent*>(event);
        if (mouse->button() == Qt::RightButton && m_tray.contextMenu()) {
            m_tray.contextMenu()->popup(mouse->globalPosition().toPoint());
            return true;
        }
        break;
    }
    default:
        break;
    }
    return StatusItem::eventFilter(watched, event);
}

bool TrayStatusItem::isAvailable() const {
    return QSystemTrayIcon::isSystemTrayAvailable();
}

QRect TrayStatusItem::iconGeometry() const {
    if (!m_tray.isVisible())
        return QRect();
    if (QWidget* widget = const_cast<TrayStatusItem*>(this)->iconWidget())
        return embeddedGeometry(widget).value_or(QRect());
    const QRect geometry = m_tray.geometry();
    return geometry.isValid() ? geometry : QRect();
}

bool TrayStatusItem::isIconPlacementPending() const {
    if (!m_tray.isVisible())
        return false;
    QWidget* widget = const_cast<TrayStatusItem*>(this)->iconWidget();
    return widget && !isEmbedded(widget);
}

bool TrayStatusItem::isDrawnByHost() const {
    return m_tray.isVisible() && !const_cast<TrayStatusItem*>(this)->iconWidget();
}

bool TrayStatusItem::ownsWindow(const QWindow* window) const {
    if (!window || !m_tray.isVisible())
        return false;
    QWidget* widget = const_cast<TrayStatusItem*>(this)->iconWidget();
    return widget && widget->windowHandle() == window;
}

} // namespace dexaro
