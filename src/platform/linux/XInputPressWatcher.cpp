#include "platform/linux/XInputPressWatcher.h"

#include <QGuiApplication>
#include <QSet>
#include <QSocketNotifier>
#include <QWindow>
#include <cstdlib>
#include <xcb/xinput.h>

namespace dexaro {

namespace {

// Button numbers of the left and right buttons; 2 is the middle one, 4 and up
// are the wheel.
constexpr uint32_t leftButton = 1;
constexpr uint32_t rightButton = 3;
// The window tree is never this deep; a bound in case the pointer moves while
// we walk it.
constexpr int maxTreeDepth = 64;

// Raw events are selected for the master pointer only: a press also reported
// by the physical device it came from would otherwise arrive twice.
bool selectRawButtonPresses(xcb_connection_t* connection, xcb_window_t root) {
    struct {
        xcb_input_event_mask_t head;
        uint32_t bits;
    } mask{{XCB_INPUT_DEVICE_ALL_MASTER, 1}, XCB_INPUT_XI_EVENT_MASK_RAW_BUTTON_PRESS};
    xcb_generic_error_t* error = xcb_request_check(
        connection, xcb_input_xi_select_events_checked(connection, root, 1, &mask.head));
    free(error);
    return error == nullptr;
}

bool hasXInput22(xcb_connection_t* connection) {
    const xcb_query_extension_reply_t* extension =
        xcb_get_extension_data(connection, &xcb_input_id);
    if (!extension || !extension->present)
        return false;
    // 2.1 and later deliver raw events also while another client grabs the pointer.
    xcb_input_xi_query_version_reply_t* version = xcb_input_xi_query_version_reply(
        connection, xcb_input_xi_query_version(connection, 2, 2), nullptr);
    const bool ok = version && (version->major_version > 2 ||
                                (version->major_version == 2 && version->minor_version >= 2));
    free(version);
    return ok;
}

QSet<xcb_window_t> ownWindows() {
    QSet<xcb_window_t> windows;
    for (QWindow* window : QGuiApplication::allWindows()) {
        // winId() would create a native window for one that has none yet.
        if (window->handle())
            windows.insert(xcb_window_t(window->winId()));
    }
    return windows;
}

} // namespace

std::unique_ptr<XInputPressWatcher> XInputPressWatcher::create(std::function<void()> handler) {
    if (!qGuiApp || QGuiApplication::platformName() != QLatin1String("xcb"))
        return nullptr;
    int screenNumber = 0;
    xcb_connection_t* connection = xcb_connect(nullptr, &screenNumber);
    if (xcb_connection_has_error(connection)) {
        xcb_disconnect(connection);
        return nullptr;
    }
    xcb_screen_iterator_t screens = xcb_setup_roots_iterator(xcb_get_setup(connection));
    for (int i = 0; i < screenNumber && screens.rem; ++i)
        xcb_screen_next(&screens);
    if (!screens.rem || !hasXInput22(connection) ||
        !selectRawButtonPresses(connection, screens.data->root)) {
        xcb_disconnect(connection);
        return nullptr;
    }
    const uint8_t opcode = xcb_get_extension_data(connection, &xcb_input_id)->major_opcode;
    return std::unique_ptr<XInputPressWatcher>(
        new XInputPressWatcher(connection, screens.data->root, opcode, std::move(handler)));
}

XInputPressWatcher::XInputPressWatcher(xcb_connection_t* connection, xcb_window_t root,
                                       uint8_t xinputOpcode, std::function<void()> handler)
    : m_connection(connection), m_root(root), m_xinputOpcode(xinputOpcode),
      m_handler(std::move(handler)),
      m_notifier(std::make_unique<QSocketNotifier>(xcb_get_file_descriptor(connection),
                                                   QSocketNotifier::Read)) {
    QObject::connect(m_notifier.get(), &QSocketNotifier::activated, m_notifier.get(),
                     [this] { readEvents(); });
    // A press right after the selection may have come in with the last reply
    // of the set-up, and the descriptor will not announce it: look once the
    // caller has its watcher.
    QMetaObject::invokeMethod(
        m_notifier.get(), [this] { readEvents(); }, Qt::QueuedConnection);
}

XInputPressWatcher::~XInputPressWatcher() {
    // Stop watching the descriptor before the connection closes it.
    m_notifier->setEnabled(false);
    m_notifier.reset();
    xcb_disconnect(m_connection);
}

void XInputPressWatcher::readEvents() {
    // Take everything queued: replies read while walking the window tree can
    // bring more events in that the descriptor will not announce again.
    bool pressedElsewhere = false;
    while (xcb_generic_event_t* event = xcb_poll_for_event(m_connection)) {
        if (!pressedElsewhere && isWatchedPress(event))
            pressedElsewhere = !pointerIsOverOwnWindow();
        free(event);
    }
    if (xcb_connection_has_error(m_connection)) {
        // The server went away or dropped us: nothing more will come.
        m_notifier->setEnabled(false);
        return;
    }
    if (pressedElsewhere) {
        // The handler may destroy this watcher: call a copy, touch nothing after.
        const auto handler = m_handler;
        handler();
    }
}

bool XInputPressWatcher::isWatchedPress(const xcb_generic_event_t* event) const {
    if ((event->response_type & 0x7f) != XCB_GE_GENERIC)
        return false;
    const auto* generic = reinterpret_cast<const xcb_ge_generic_event_t*>(event);
    if (generic->extension != m_xinputOpcode || generic->event_type != XCB_INPUT_RAW_BUTTON_PRESS)
        return false;
    const auto* press = reinterpret_cast<const xcb_input_raw_button_press_event_t*>(event);
    return press->detail == leftButton || press->detail == rightButton;
}

bool XInputPressWatcher::pointerIsOverOwnWindow() const {
    // Walk down from the root to the deepest window under the pointer. A press
    // counts as ours when any window on the way is one of ours: our top-level
    // windows sit inside the window manager's frames, the tray icon inside the
    // tray's window.
    const QSet<xcb_window_t> own = ownWindows();
    xcb_window_t window = m_root;
    for (int depth = 0; depth < maxTreeDepth; ++depth) {
        xcb_query_pointer_reply_t* pointer =
            xcb_query_pointer_reply(m_connection, xcb_query_pointer(m_connection, window), nullptr);
        if (!pointer)
            return false;
        const xcb_window_t child = pointer->same_screen ? pointer->child : xcb_window_t(XCB_NONE);
        free(pointer);
        if (child == XCB_NONE)
            return false;
        if (own.contains(child))
            return true;
        window = child;
    }
    return false;
}

} // namespace dexaro
