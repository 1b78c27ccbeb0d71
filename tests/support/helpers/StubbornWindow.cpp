// dexaro-stubborn-window: an X client that maps one window and never closes
// it. It takes part in WM_DELETE_WINDOW like any application, but only counts
// the requests, in the CARDINAL property _DEXARO_CLOSE_REQUESTS of its window,
// so that a test can see a close request arrive and be refused. It ends on a
// signal or when the X connection breaks.
#include <cstdlib>
#include <cstring>
#include <unistd.h>
#include <xcb/xcb.h>

static xcb_atom_t atom(xcb_connection_t* conn, const char* name) {
    auto* reply = xcb_intern_atom_reply(
        conn, xcb_intern_atom(conn, 0, uint16_t(std::strlen(name)), name), nullptr);
    const xcb_atom_t result = reply ? reply->atom : xcb_atom_t(XCB_ATOM_NONE);
    std::free(reply);
    return result;
}

int main() {
    int screenNumber = 0;
    xcb_connection_t* conn = xcb_connect(nullptr, &screenNumber);
    if (xcb_connection_has_error(conn))
        return 1;
    auto it = xcb_setup_roots_iterator(xcb_get_setup(conn));
    for (int i = 0; i < screenNumber && it.rem; ++i)
        xcb_screen_next(&it);
    xcb_screen_t* screen = it.data;

    const xcb_atom_t protocols = atom(conn, "WM_PROTOCOLS");
    const xcb_atom_t deleteWindow = atom(conn, "WM_DELETE_WINDOW");
    const xcb_atom_t pidAtom = atom(conn, "_NET_WM_PID");
    const xcb_atom_t requestsAtom = atom(conn, "_DEXARO_CLOSE_REQUESTS");

    const xcb_window_t window = xcb_generate_id(conn);
    const uint32_t values[] = {screen->white_pixel};
    xcb_create_window(conn, XCB_COPY_FROM_PARENT, window, screen->root, 100, 100, 200, 120, 0,
                      XCB_WINDOW_CLASS_INPUT_OUTPUT, screen->root_visual, XCB_CW_BACK_PIXEL,
                      values);
    const char title[] = "Stubborn window";
    xcb_change_property(conn, XCB_PROP_MODE_REPLACE, window, XCB_ATOM_WM_NAME, XCB_ATOM_STRING, 8,
                        sizeof title - 1, title);
    const char wmClass[] = "dexaro-stubborn-window\0DexaroStubbornWindow";
    xcb_change_property(conn, XCB_PROP_MODE_REPLACE, window, XCB_ATOM_WM_CLASS, XCB_ATOM_STRING, 8,
                        sizeof wmClass, wmClass);
    xcb_change_property(conn, XCB_PROP_MODE_REPLACE, window, protocols, XCB_ATOM_ATOM, 32, 1,
                        &deleteWindow);
    const uint32_t pid = uint32_t(::getpid());
    xcb_change_property(conn, XCB_PROP_MODE_REPLACE, window, pidAtom, XCB_ATOM_CARDINAL, 32, 1,
                        &pid);
    uint32_t requests = 0;
    xcb_change_property(conn, XCB_PROP_MODE_REPLACE, window, requestsAtom, XCB_ATOM_CARDINAL, 32, 1,
                        &requests);
    xcb_map_window(conn, window);
    xcb_flush(conn);

    while (xcb_generic_event_t* event = xcb_wait_for_event(conn)) {
        if ((event->response_type & 0x7f) == XCB_CLIENT_MESSAGE) {
            auto* message = reinterpret_cast<xcb_client_message_event_t*>(event);
            if (message->type == protocols && message->data.data32[0] == deleteWindow) {
                ++requests;
                xcb_change_property(conn, XCB_PROP_MODE_REPLACE, window, requestsAtom,
                                    XCB_ATOM_CARDINAL, 32, 1, &requests);
                xcb_flush(conn);
            }
        }
        std::free(event);
    }
    xcb_disconnect(conn);
    return 0;
}
