// dexaro-test-DBusApp: an application that shows its windows from a session
// D-Bus service, as GApplication programs do.
//
//   dexaro-test-DBusApp ID --gapplication-service   the service (D-Bus activated)
//   dexaro-test-DBusApp ID --launcher               asks the service for a window and
//                                                   exits at once, never showing one itself
//
// Each activation opens one window with _GTK_APPLICATION_ID and WM_CLASS ID
// (instance in lower case), and the service's pid. The service ends when its
// last window is closed (WM_DELETE_WINDOW).
#include <cstdlib>
#include <cstring>
#include <string>
#include <unistd.h>
#include <vector>
#include <xcb/xcb.h>

#pragma push_macro("signals")
#undef signals
#include <gio/gio.h>
#include <glib-unix.h>
#pragma pop_macro("signals")

namespace {

xcb_connection_t* conn = nullptr;
std::vector<xcb_window_t> windows;
std::string appId;
GApplication* application = nullptr;

xcb_atom_t atom(const char* name) {
    auto* reply = xcb_intern_atom_reply(
        conn, xcb_intern_atom(conn, 0, uint16_t(std::strlen(name)), name), nullptr);
    const xcb_atom_t result = reply ? reply->atom : xcb_atom_t(XCB_ATOM_NONE);
    std::free(reply);
    return result;
}

void openWindow() {
    const xcb_screen_t* screen = xcb_setup_roots_iterator(xcb_get_setup(conn)).data;
    const xcb_window_t window = xcb_generate_id(conn);
    xcb_create_window(conn, XCB_COPY_FROM_PARENT, window, screen->root, 250, 200, 300, 220, 0,
                      XCB_WINDOW_CLASS_INPUT_OUTPUT, screen->root_visual, 0, nullptr);
    std::string instance = appId;
    for (char& c : instance)
        c = char(std::tolower(static_cast<unsigned char>(c)));
    const std::string wmClass = instance + '\0' + appId + '\0';
    xcb_change_property(conn, XCB_PROP_MODE_REPLACE, window, XCB_ATOM_WM_CLASS, XCB_ATOM_STRING, 8,
                        uint32_t(wmClass.size()), wmClass.data());
    xcb_change_property(conn, XCB_PROP_MODE_REPLACE, window, atom("_GTK_APPLICATION_ID"),
                        atom("UTF8_STRING"), 8, uint32_t(appId.size()), appId.data());
    const uint32_t pid = uint32_t(::getpid());
    xcb_change_property(conn, XCB_PROP_MODE_REPLACE, window, atom("_NET_WM_PID"), XCB_ATOM_CARDINAL,
                        32, 1, &pid);
    const xcb_atom_t deleteWindow = atom("WM_DELETE_WINDOW");
    xcb_change_property(conn, XCB_PROP_MODE_REPLACE, window, atom("WM_PROTOCOLS"), XCB_ATOM_ATOM,
                        32, 1, &deleteWindow);
    xcb_map_window(conn, window);
    xcb_flush(conn);
    windows.push_back(window);
}

gboolean xEvents(gint, GIOCondition, gpointer) {
    const xcb_atom_t protocols = atom("WM_PROTOCOLS"), deleteWindow = atom("WM_DELETE_WINDOW");
    while (xcb_generic_event_t* event = xcb_poll_for_event(conn)) {
        auto* message = reinterpret_cast<xcb_client_message_event_t*>(event);
        if ((event->response_type & 0x7f) == XCB_CLIENT_MESSAGE && message->type == protocols &&
            message->data.data32[0] == deleteWindow) {
            xcb_destroy_window(conn, message->window);
            std::erase(windows, message->window);
            xcb_flush(conn);
            if (windows.empty())
                g_application_release(application);
        }
        std::free(event);
    }
    if (xcb_connection_has_error(conn)) {
        g_application_quit(application);
        return G_SOURCE_REMOVE;
    }
    return G_SOURCE_CONTINUE;
}

void activate(GApplication*, gpointer) {
    if (!conn) {
        conn = xcb_connect(nullptr, nullptr);
        if (xcb_connection_has_error(conn)) {
            g_application_quit(application);
            return;
        }
        g_unix_fd_add(xcb_get_file_descriptor(conn), G_IO_IN, xEvents, nullptr);
    }
    if (windows.empty())
        g_application_hold(application); // released when the last window closes
    openWindow();
}

} // namespace

int main(int argc, char** argv) {
    if (argc < 2 || !g_application_id_is_valid(argv[1]))
        return 2;
    appId = argv[1];
    bool launcher = false;
    std::vector<char*> rest{argv[0]};
    for (int i = 2; i < argc; ++i) {
        if (std::strcmp(argv[i], "--launcher") == 0)
            launcher = true;
        else
            rest.push_back(argv[i]);
    }
    application = g_application_new(appId.c_str(), launcher ? G_APPLICATION_IS_LAUNCHER
                                                            : G_APPLICATION_DEFAULT_FLAGS);
    g_signal_connect(application, "activate", G_CALLBACK(activate), nullptr);
    const int status = g_application_run(application, int(rest.size()), rest.data());
    g_object_unref(application);
    if (conn)
        xcb_disconnect(conn);
    return status;
}
