// dexaro-stubborn-window: an X client that maps one window and never closes
// it. It takes part in WM_DELETE_WINDOW like any application, but only counts
// the requests, in the CARDINAL property _DEXARO_CLOSE_REQUESTS of its window,
// so that a test can see a close request arrive and be refused. It ends on a
// signal or when the X connection breaks.
#include <cstdlib>
#include <cstring>
#include <unistd.h>
#include <xcb/xcb.h>

int main() {
    xcb_connection_t* conn = xcb_connect(nullptr, nullptr);
    if (xcb_connection_has_error(conn))
        return 1;
    const xcb_screen_t* screen = xcb_setup_roots_iterator(xcb_get_setup(conn)).data;
    const auto atom = [conn](const char* name) {
        auto* reply = xcb_intern_atom_reply(
            conn, xcb_intern_atom(conn, 0, uint16_t(std::strlen(name)), name), nullptr);
        const xcb_atom_t result = reply ? reply->atom : xcb_atom_t(XCB_ATOM_NONE);
        std::free(reply);
        return result;
    };
    const xcb_atom_t protocols = atom("WM_PROTOCOLS"), deleteWindow = atom("WM_DELETE_WINDOW");
    const xcb_atom_t requestCount = atom("_DEXARO_CLOSE_REQUESTS");
    const xcb_window_t window = xcb_generate_id(conn);
    xcb_create_window(conn, XCB_COPY_FROM_PARENT, window, screen->root, 100, 100, 200, 120, 0,
                      XCB_WINDOW_CLASS_INPUT_OUTPUT, screen->root_visual, 0, nullptr);
    const auto set = [&](xcb_atom_t property, xcb_atom_t type, uint32_t value) {
        xcb_change_property(conn, XCB_PROP_MODE_REPLACE, window, property, type, 32, 1, &value);
        xcb_flush(conn);
    };
    set(protocols, XCB_ATOM_ATOM, deleteWindow);
    set(atom("_NET_WM_PID"), XCB_ATOM_CARDINAL, uint32_t(::getpid()));
    uint32_t requests = 0;
    set(requestCount, XCB_ATOM_CARDINAL, requests);
    xcb_map_window(conn, window);
    xcb_flush(conn);

    while (xcb_generic_event_t* event = xcb_wait_for_event(conn)) {
        auto* message = reinterpret_cast<xcb_client_message_event_t*>(event);
        if ((event->response_type & 0x7f) == XCB_CLIENT_MESSAGE && message->type == protocols &&
            message->data.data32[0] == deleteWindow)
            set(requestCount, XCB_ATOM_CARDINAL, ++requests);
        std::free(event);
    }
    xcb_disconnect(conn);
    return 0;
}
