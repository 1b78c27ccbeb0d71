#pragma once
// A test's own connection to the X server, for checking what a user would see:
// managed windows, their visible frames, tray icons, key grabs. Independent of
// Qt's connection so that it sees the server exactly as another client does.
#include <QRect>
#include <QString>
#include <QStringList>
#include <cstdint>
#include <optional>
#include <vector>
#include <xcb/xcb.h>

namespace dexaro::test {

class X11Probe {
public:
    X11Probe();
    ~X11Probe();
    X11Probe(const X11Probe&) = delete;
    X11Probe& operator=(const X11Probe&) = delete;

    bool ok() const { return m_conn != nullptr; }
    xcb_connection_t* connection() const { return m_conn; }
    xcb_window_t root() const { return m_root; }
    xcb_atom_t atom(const char* name);

    // Managed client windows, bottom to top (_NET_CLIENT_LIST_STACKING).
    std::vector<xcb_window_t> clientWindows();
    // The first managed, mapped window of the process, or XCB_NONE.
    xcb_window_t windowOf(qint64 pid);
    std::optional<uint32_t> pid(xcb_window_t window); // _NET_WM_PID
    QStringList wmClass(xcb_window_t window);         // instance, class
    bool isViewable(xcb_window_t window);
    // The client area in root coordinates, and the visible frame around it
    // (client plus _NET_FRAME_EXTENTS).
    std::optional<QRect> clientRect(xcb_window_t window);
    std::optional<QRect> frameRect(xcb_window_t window);
    QRect workArea(); // _NET_WORKAREA, desktop 0
    std::vector<uint32_t> cardinals(xcb_window_t window, const char* property);
    std::vector<xcb_window_t> children(xcb_window_t window);
    std::vector<xcb_window_t> descendants(xcb_window_t window); // nearest first
    // The modifier and lock state of the keyboard as the server has it.
    uint16_t modifiers();
    // Unlocks every locked modifier (Num Lock, Caps Lock) through XKB, also
    // where a changed modifier map left the key unable to unlock it.
    void unlockModifiers();
    // True while another client holds a passive grab on that key combination:
    // probed by grabbing it ourselves and releasing at once.
    bool keyIsGrabbedByOthers(uint8_t keycode, uint16_t modifiers);

private:
    xcb_connection_t* m_conn = nullptr;
    xcb_window_t m_root = XCB_NONE;
};

} // namespace dexaro::test
