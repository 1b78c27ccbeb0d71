#pragma once
// Left and right mouse presses anywhere on the X screen, seen through XInput2
// raw button events on the root window. Raw events arrive for every press,
// also in our own windows: a press counts only when the window under the
// pointer is not one of this program's windows.
//
// The watcher holds an X connection of its own while it lives and reads it
// only when the server has something to say: it is meant to exist just as
// long as someone needs to hear about the presses.
#include <functional>
#include <memory>
#include <xcb/xcb.h>

class QSocketNotifier;

namespace dexaro {

class XInputPressWatcher {
public:
    // Null when there is no X11 display or the server lacks XInput 2.2.
    static std::unique_ptr<XInputPressWatcher> create(std::function<void()> handler);
    ~XInputPressWatcher();

    XInputPressWatcher(const XInputPressWatcher&) = delete;
    XInputPressWatcher& operator=(const XInputPressWatcher&) = delete;

private:
    XInputPressWatcher(xcb_connection_t* connection, xcb_window_t root, uint8_t xinputOpcode,
                       std::function<void()> handler);
    void readEvents();
    bool isWatchedPress(const xcb_generic_event_t* event) const;
    bool pointerIsOverOwnWindow() const;

    xcb_connection_t* m_connection;
    xcb_window_t m_root;
    uint8_t m_xinputOpcode;
    std::function<void()> m_handler;
    std::unique_ptr<QSocketNotifier> m_notifier;
};

} // namespace dexaro
