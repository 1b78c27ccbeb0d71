#include "platform/linux/X11DesktopSwitchMonitor.h"

#include <QAbstractNativeEventFilter>
#include <QCoreApplication>
#include <QGuiApplication>
#include <xcb/xcb.h>

namespace dexaro {

// Watches property changes of the root window on Qt's own connection: Qt
// already selects them there, so this costs no request and no wake-up.
struct X11DesktopSwitchMonitor::Filter : QAbstractNativeEventFilter {
    X11DesktopSwitchMonitor* owner = nullptr;
    xcb_window_t root = XCB_NONE;
    xcb_atom_t currentDesktop = XCB_NONE;

    bool nativeEventFilter(const QByteArray& type, void* message, qintptr*) override {
        if (type != "xcb_generic_event_t")
            return false;
        const auto* event = static_cast<const xcb_generic_event_t*>(message);
        if ((event->response_type & 0x7f) != XCB_PROPERTY_NOTIFY)
            return false;
        const auto* notify = static_cast<const xcb_property_notify_event_t*>(message);
        if (notify->window == root && notify->atom == currentDesktop)
            emit owner->desktopSwitched();
        return false;
    }
};

X11DesktopSwitchMonitor::X11DesktopSwitchMonitor(QObject* parent) : DesktopSwitchMonitor(parent) {
    auto* x11 = qGuiApp ? qGuiApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
    // The offscreen platform answers with no connection.
    xcb_connection_t* connection = x11 ? x11->connection() : nullptr;
    if (!connection)
        return;
    static const char name[] = "_NET_CURRENT_DESKTOP";
    xcb_intern_atom_reply_t* atom = xcb_intern_atom_reply(
        connection, xcb_intern_atom(connection, 0, sizeof(name) - 1, name), nullptr);
    if (!atom)
        return;
    m_filter = std::make_unique<Filter>();
    m_filter->owner = this;
    m_filter->currentDesktop = atom->atom;
    free(atom);
    m_filter->root = xcb_setup_roots_iterator(xcb_get_setup(connection)).data->root;
    // Make sure the root window reports its property changes to us, keeping
    // whatever Qt selected there.
    xcb_get_window_attributes_reply_t* attributes = xcb_get_window_attributes_reply(
        connection, xcb_get_window_attributes(connection, m_filter->root), nullptr);
    if (attributes) {
        if (!(attributes->your_event_mask & XCB_EVENT_MASK_PROPERTY_CHANGE)) {
            const uint32_t mask = attributes->your_event_mask | XCB_EVENT_MASK_PROPERTY_CHANGE;
            xcb_change_window_attributes(connection, m_filter->root, XCB_CW_EVENT_MASK, &mask);
            xcb_flush(connection);
        }
        free(attributes);
    }
    QCoreApplication::instance()->installNativeEventFilter(m_filter.get());
}

X11DesktopSwitchMonitor::~X11DesktopSwitchMonitor() {
    if (m_filter && QCoreApplication::instance())
        QCoreApplication::instance()->removeNativeEventFilter(m_filter.get());
}

} // namespace dexaro
