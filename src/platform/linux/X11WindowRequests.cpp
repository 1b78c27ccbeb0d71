#include "platform/linux/X11WindowRequests.h"

#include "platform/WindowAccess.h"

#include <cstdlib>
#include <cstring>
#include <memory>
#include <xcb/xcb.h>

namespace dexaro::x11 {
namespace {

// ICCCM and EWMH values.
constexpr uint32_t iconicState = 3;
constexpr uint32_t sourceIsUserAction = 2; // a pager or other direct user action

class Connection {
public:
    Connection() {
        int screenNumber = 0;
        m_conn = xcb_connect(nullptr, &screenNumber);
        if (xcb_connection_has_error(m_conn))
            return;
        auto it = xcb_setup_roots_iterator(xcb_get_setup(m_conn));
        for (int i = 0; i < screenNumber && it.rem; ++i)
            xcb_screen_next(&it);
        if (!it.rem)
            return;
        m_root = it.data->root;
        const char* names[] = {"_NET_CLOSE_WINDOW", "WM_CHANGE_STATE", "_NET_ACTIVE_WINDOW"};
        xcb_intern_atom_cookie_t cookies[3];
        for (int i = 0; i < 3; ++i)
            cookies[i] = xcb_intern_atom(m_conn, 0, uint16_t(std::strlen(names[i])), names[i]);
        xcb_atom_t* atoms[] = {&closeWindow, &changeState, &activeWindow};
        for (int i = 0; i < 3; ++i) {
            xcb_intern_atom_reply_t* reply = xcb_intern_atom_reply(m_conn, cookies[i], nullptr);
            *atoms[i] = reply ? reply->atom : xcb_atom_t(XCB_ATOM_NONE);
            std::free(reply);
        }
    }
    ~Connection() {
        if (m_conn)
            xcb_disconnect(m_conn);
    }
    Connection(const Connection&) = delete;
    Connection& operator=(const Connection&) = delete;

    bool ok() const {
        return m_conn && !xcb_connection_has_error(m_conn) && m_root != XCB_NONE &&
               closeWindow != XCB_ATOM_NONE && changeState != XCB_ATOM_NONE &&
               activeWindow != XCB_ATOM_NONE;
    }

    // Sends a client message about window to the root, as window managers
    // expect requests from other clients, and waits until the server has it.
    bool send(xcb_window_t window, xcb_atom_t type, uint32_t d0, uint32_t d1 = 0, uint32_t d2 = 0) {
        xcb_client_message_event_t event{};
        event.response_type = XCB_CLIENT_MESSAGE;
        event.format = 32;
        event.window = window;
        event.type = type;
        event.data.data32[0] = d0;
        event.data.data32[1] = d1;
        event.data.data32[2] = d2;
        xcb_send_event(m_conn, 0, m_root,
                       XCB_EVENT_MASK_SUBSTRUCTURE_REDIRECT | XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY,
                       reinterpret_cast<const char*>(&event));
        std::free(xcb_get_input_focus_reply(m_conn, xcb_get_input_focus(m_conn), nullptr));
        return !xcb_connection_has_error(m_conn);
    }

    xcb_atom_t closeWindow = XCB_ATOM_NONE;
    xcb_atom_t changeState = XCB_ATOM_NONE;
    xcb_atom_t activeWindow = XCB_ATOM_NONE;

private:
    xcb_connection_t* m_conn = nullptr;
    xcb_window_t m_root = XCB_NONE;
};

// This thread's connection; a broken one is replaced on the next call.
Connection* threadConnection() {
    thread_local std::unique_ptr<Connection> connection;
    if (connection && connection->ok())
        return connection.get();
    if (qEnvironmentVariableIsEmpty("DISPLAY"))
        return nullptr;
    connection = std::make_unique<Connection>();
    return connection->ok() ? connection.get() : nullptr;
}

} // namespace

bool requestClose(quint32 window) {
    Connection* conn = threadConnection();
    return conn && conn->send(window, conn->closeWindow, XCB_CURRENT_TIME, sourceIsUserAction);
}

bool requestIconify(quint32 window) {
    Connection* conn = threadConnection();
    return conn && conn->send(window, conn->changeState, iconicState);
}

bool requestActivate(quint32 window) {
    Connection* conn = threadConnection();
    return conn && conn->send(window, conn->activeWindow, sourceIsUserAction, XCB_CURRENT_TIME);
}

QList<quint32> applicationWindows(qint64 pid, const QString& wmClass) {
    const auto app = pid > 0 ? Application::make(pid) : Application::make(-1, wmClass);
    if (!app)
        return {};
    std::optional<QList<UIElement>> windows;
    try {
        windows = app->windowList();
    } catch (const AXException&) {
        return {};
    }
    QList<quint32> ids;
    for (const UIElement& window : windows.value_or(QList<UIElement>()))
        ids.append(window.element().window);
    return ids;
}

} // namespace dexaro::x11
