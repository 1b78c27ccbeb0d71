// dexaro-test-Window: an X client that behaves like one of the applications
// whose windows are hard to find or to keep in place. It maps one window and
// ends once its last window is closed (WM_DELETE_WINDOW), or on a signal.
//
//   --class INSTANCE,CLASS   WM_CLASS (default dexaro-window,DexaroWindow)
//   --geometry X,Y,W,H       where the window asks to be mapped
//   --splash MS              first a splash screen; MS ms later the main window,
//                            and the splash screen goes
//   --restore X,Y,W,H,MS     MS ms after the main window is mapped, it moves and
//                            resizes itself there (restoring its saved geometry)
//   --serve NAME             one process per NAME: the first serves, every
//                            later start hands its request (its startup id) to
//                            it and exits at once; the server opens one window
//                            per request, with that request's startup id
//
// The window carries _NET_STARTUP_ID from DESKTOP_STARTUP_ID, as toolkits do.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <optional>
#include <poll.h>
#include <string>
#include <unistd.h>
#include <vector>
#include <xcb/xcb.h>

namespace {

using Clock = std::chrono::steady_clock;

xcb_connection_t* conn;
const xcb_screen_t* screen;

xcb_atom_t atom(const char* name) {
    auto* reply = xcb_intern_atom_reply(
        conn, xcb_intern_atom(conn, 0, uint16_t(std::strlen(name)), name), nullptr);
    const xcb_atom_t result = reply ? reply->atom : xcb_atom_t(XCB_ATOM_NONE);
    std::free(reply);
    return result;
}

struct Rect {
    int x = 200, y = 150, w = 320, h = 240;
};

bool parseInts(const char* text, int* out, int count) {
    for (int i = 0; i < count; ++i) {
        char* end = nullptr;
        out[i] = int(std::strtol(text, &end, 10));
        if (end == text || (i + 1 < count && *end != ','))
            return false;
        text = end + 1;
    }
    return true;
}

struct Options {
    std::string instance = "dexaro-window", className = "DexaroWindow", serve;
    Rect geometry;
    int splashMs = -1;
    bool restore = false;
    Rect restored;
    int restoreMs = 0;
};

void setText(xcb_window_t window, xcb_atom_t property, const std::string& text) {
    xcb_change_property(conn, XCB_PROP_MODE_REPLACE, window, property, atom("UTF8_STRING"), 8,
                        uint32_t(text.size()), text.data());
}

xcb_window_t makeWindow(const Options& options, const char* type, const std::string& startupId) {
    const xcb_window_t window = xcb_generate_id(conn);
    const uint32_t mask = XCB_EVENT_MASK_STRUCTURE_NOTIFY | XCB_EVENT_MASK_PROPERTY_CHANGE;
    xcb_create_window(conn, XCB_COPY_FROM_PARENT, window, screen->root, int16_t(options.geometry.x),
                      int16_t(options.geometry.y), uint16_t(options.geometry.w),
                      uint16_t(options.geometry.h), 0, XCB_WINDOW_CLASS_INPUT_OUTPUT,
                      screen->root_visual, XCB_CW_EVENT_MASK, &mask);
    // Where it asks to be, as a program that restores its geometry does.
    const uint32_t hints[18] = {1 | 2 | 4 | 8, 0, 0, 0, 0}; // USPosition, USSize, PPosition, PSize
    xcb_change_property(conn, XCB_PROP_MODE_REPLACE, window, XCB_ATOM_WM_NORMAL_HINTS,
                        XCB_ATOM_WM_SIZE_HINTS, 32, 18, hints);
    const std::string wmClass = options.instance + '\0' + options.className + '\0';
    xcb_change_property(conn, XCB_PROP_MODE_REPLACE, window, XCB_ATOM_WM_CLASS, XCB_ATOM_STRING, 8,
                        uint32_t(wmClass.size()), wmClass.data());
    const xcb_atom_t deleteWindow = atom("WM_DELETE_WINDOW");
    xcb_change_property(conn, XCB_PROP_MODE_REPLACE, window, atom("WM_PROTOCOLS"), XCB_ATOM_ATOM,
                        32, 1, &deleteWindow);
    const uint32_t pid = uint32_t(::getpid());
    xcb_change_property(conn, XCB_PROP_MODE_REPLACE, window, atom("_NET_WM_PID"), XCB_ATOM_CARDINAL,
                        32, 1, &pid);
    if (!startupId.empty())
        setText(window, atom("_NET_STARTUP_ID"), startupId);
    const xcb_atom_t kind = atom(type);
    xcb_change_property(conn, XCB_PROP_MODE_REPLACE, window, atom("_NET_WM_WINDOW_TYPE"),
                        XCB_ATOM_ATOM, 32, 1, &kind);
    const std::string title = options.className + " " + (type + 20);
    xcb_change_property(conn, XCB_PROP_MODE_REPLACE, window, XCB_ATOM_WM_NAME, XCB_ATOM_STRING, 8,
                        uint32_t(title.size()), title.data());
    xcb_map_window(conn, window);
    xcb_flush(conn);
    return window;
}

// The window of the process serving NAME, or XCB_NONE.
xcb_window_t serverOf(xcb_atom_t selection) {
    auto* reply =
        xcb_get_selection_owner_reply(conn, xcb_get_selection_owner(conn, selection), nullptr);
    const xcb_window_t owner = reply ? reply->owner : xcb_window_t(XCB_NONE);
    std::free(reply);
    return owner;
}

std::string textProperty(xcb_window_t window, xcb_atom_t property) {
    auto* reply = xcb_get_property_reply(
        conn, xcb_get_property(conn, 1, window, property, XCB_ATOM_ANY, 0, 256), nullptr);
    std::string text;
    if (reply && reply->format == 8)
        text.assign(static_cast<const char*>(xcb_get_property_value(reply)),
                    size_t(xcb_get_property_value_length(reply)));
    std::free(reply);
    return text;
}

} // namespace

int main(int argc, char** argv) {
    Options options;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        const char* value = i + 1 < argc ? argv[i + 1] : "";
        int v[5];
        if (arg == "--class") {
            const std::string text = value;
            const size_t comma = text.find(',');
            options.instance = text.substr(0, comma);
            options.className = comma == std::string::npos ? text : text.substr(comma + 1);
            ++i;
        } else if (arg == "--geometry" && parseInts(value, v, 4)) {
            options.geometry = {v[0], v[1], v[2], v[3]};
            ++i;
        } else if (arg == "--splash") {
            options.splashMs = std::atoi(value);
            ++i;
        } else if (arg == "--restore" && parseInts(value, v, 5)) {
            options.restore = true;
            options.restored = {v[0], v[1], v[2], v[3]};
            options.restoreMs = v[4];
            ++i;
        } else if (arg == "--serve") {
            options.serve = value;
            ++i;
        } else {
            std::fprintf(stderr, "dexaro-test-Window: unknown argument %s\n", arg.c_str());
            return 2;
        }
    }
    conn = xcb_connect(nullptr, nullptr);
    if (xcb_connection_has_error(conn))
        return 1;
    screen = xcb_setup_roots_iterator(xcb_get_setup(conn)).data;
    const char* startupEnv = std::getenv("DESKTOP_STARTUP_ID");
    std::string startupId = startupEnv ? startupEnv : "";
    ::unsetenv("DESKTOP_STARTUP_ID");

    const xcb_atom_t request = atom("_DEXARO_TEST_OPEN");
    xcb_window_t serverWindow = XCB_NONE;
    if (!options.serve.empty()) {
        const xcb_atom_t selection = atom(("_DEXARO_TEST_SERVER_" + options.serve).c_str());
        if (const xcb_window_t server = serverOf(selection); server != XCB_NONE) {
            // Hand the request over, as a terminal's client or a second start does.
            setText(server, request, startupId.empty() ? std::string("-") : startupId);
            xcb_flush(conn);
            std::free(xcb_get_input_focus_reply(conn, xcb_get_input_focus(conn), nullptr));
            xcb_disconnect(conn);
            return 0;
        }
        serverWindow = xcb_generate_id(conn);
        const uint32_t mask = XCB_EVENT_MASK_PROPERTY_CHANGE;
        xcb_create_window(conn, XCB_COPY_FROM_PARENT, serverWindow, screen->root, -10, -10, 1, 1, 0,
                          XCB_WINDOW_CLASS_INPUT_ONLY, screen->root_visual, XCB_CW_EVENT_MASK,
                          &mask);
        xcb_set_selection_owner(conn, serverWindow, selection, XCB_CURRENT_TIME);
    }

    const xcb_atom_t protocols = atom("WM_PROTOCOLS"), deleteWindow = atom("WM_DELETE_WINDOW");
    std::vector<xcb_window_t> windows;
    xcb_window_t splash = XCB_NONE, main = XCB_NONE;
    std::optional<Clock::time_point> mainDue, restoreDue;
    if (options.splashMs >= 0) {
        splash = makeWindow(options, "_NET_WM_WINDOW_TYPE_SPLASH", startupId);
        windows.push_back(splash);
        mainDue = Clock::now() + std::chrono::milliseconds(options.splashMs);
    } else {
        main = makeWindow(options, "_NET_WM_WINDOW_TYPE_NORMAL", startupId);
        windows.push_back(main);
    }

    for (;;) {
        while (xcb_generic_event_t* event = xcb_poll_for_event(conn)) {
            const uint8_t type = event->response_type & 0x7f;
            if (type == XCB_CLIENT_MESSAGE) {
                auto* message = reinterpret_cast<xcb_client_message_event_t*>(event);
                if (message->type == protocols && message->data.data32[0] == deleteWindow) {
                    xcb_destroy_window(conn, message->window);
                    std::erase(windows, message->window);
                    xcb_flush(conn);
                }
            } else if (type == XCB_MAP_NOTIFY) {
                auto* mapped = reinterpret_cast<xcb_map_notify_event_t*>(event);
                if (mapped->window == main && options.restore && !restoreDue)
                    restoreDue = Clock::now() + std::chrono::milliseconds(options.restoreMs);
            } else if (type == XCB_PROPERTY_NOTIFY) {
                auto* changed = reinterpret_cast<xcb_property_notify_event_t*>(event);
                if (changed->window == serverWindow && changed->atom == request &&
                    changed->state == XCB_PROPERTY_NEW_VALUE) {
                    std::string id = textProperty(serverWindow, request);
                    windows.push_back(
                        makeWindow(options, "_NET_WM_WINDOW_TYPE_NORMAL", id == "-" ? "" : id));
                }
            }
            std::free(event);
        }
        if (xcb_connection_has_error(conn) || windows.empty())
            break;
        const auto now = Clock::now();
        if (mainDue && now >= *mainDue) {
            mainDue.reset();
            main = makeWindow(options, "_NET_WM_WINDOW_TYPE_NORMAL", startupId);
            windows.push_back(main);
            xcb_destroy_window(conn, splash);
            std::erase(windows, splash);
            xcb_flush(conn);
        }
        if (restoreDue && now >= *restoreDue) {
            restoreDue.reset();
            const uint32_t values[] = {uint32_t(options.restored.x), uint32_t(options.restored.y),
                                       uint32_t(options.restored.w), uint32_t(options.restored.h)};
            xcb_configure_window(conn, main,
                                 XCB_CONFIG_WINDOW_X | XCB_CONFIG_WINDOW_Y |
                                     XCB_CONFIG_WINDOW_WIDTH | XCB_CONFIG_WINDOW_HEIGHT,
                                 values);
            xcb_flush(conn);
        }
        int timeout = -1;
        for (const auto& due : {mainDue, restoreDue}) {
            if (!due)
                continue;
            const int left = std::max(
                0, int(std::chrono::duration_cast<std::chrono::milliseconds>(*due - Clock::now())
                           .count()));
            timeout = timeout < 0 ? left : std::min(timeout, left);
        }
        pollfd fd{xcb_get_file_descriptor(conn), POLLIN, 0};
        ::poll(&fd, 1, timeout);
    }
    xcb_disconnect(conn);
    return 0;
}
