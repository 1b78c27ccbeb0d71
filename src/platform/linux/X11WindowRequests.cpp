#include "platform/linux/X11WindowRequests.h"

#include "platform/WindowAccess.h"
#include "platform/linux/X11Connection.h"

#include <cstdlib>

namespace dexaro::x11 {
namespace {

// ICCCM and EWMH values.
constexpr uint32_t iconicState = 3;
constexpr auto sourceIsUserAction = XCB_EWMH_CLIENT_SOURCE_TYPE_OTHER;

// Waits until the server has taken what was sent.
bool synced(Connection& conn) {
    std::free(xcb_get_input_focus_reply(conn.c(), xcb_get_input_focus(conn.c()), nullptr));
    roundTrips++;
    return !xcb_connection_has_error(conn.c());
}

} // namespace

bool requestClose(quint32 window) {
    Connection* conn = threadConnection();
    if (!conn)
        return false;
    xcb_ewmh_request_close_window(conn->ewmh(), conn->screenNumber(), window, XCB_CURRENT_TIME,
                                  sourceIsUserAction);
    return synced(*conn);
}

bool requestIconify(quint32 window) {
    Connection* conn = threadConnection();
    if (!conn || conn->wmChangeState() == XCB_ATOM_NONE)
        return false;
    xcb_client_message_event_t event{};
    event.response_type = XCB_CLIENT_MESSAGE;
    event.format = 32;
    event.window = window;
    event.type = conn->wmChangeState();
    event.data.data32[0] = iconicState;
    xcb_send_event(conn->c(), 0, conn->root(),
                   XCB_EVENT_MASK_SUBSTRUCTURE_REDIRECT | XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY,
                   reinterpret_cast<const char*>(&event));
    return synced(*conn);
}

bool requestActivate(quint32 window) {
    Connection* conn = threadConnection();
    if (!conn)
        return false;
    xcb_ewmh_request_change_active_window(conn->ewmh(), conn->screenNumber(), window,
                                          sourceIsUserAction, XCB_CURRENT_TIME, XCB_NONE);
    return synced(*conn);
}

QList<quint32> applicationWindows(AccessibilityBackend& windows, qint64 pid,
                                  const QString& wmClass) {
    const auto app =
        pid > 0 ? Application::make(pid, {}, windows) : Application::make(-1, wmClass, windows);
    if (!app)
        return {};
    std::optional<QList<UIElement>> list;
    try {
        list = app->windowList();
    } catch (const AXException&) {
        return {};
    }
    QList<quint32> ids;
    for (const UIElement& window : list.value_or(QList<UIElement>()))
        ids.append(window.element().window);
    return ids;
}

} // namespace dexaro::x11
