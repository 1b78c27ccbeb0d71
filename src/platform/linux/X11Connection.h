#pragma once
// An xcb connection with the EWMH atoms, for the window layer and the work
// areas, each of which owns the connections it uses.
#include <QRect>

#include <atomic>
#include <cstdlib>
#include <memory>
#include <vector>
#include <xcb/xcb.h>
#include <xcb/xcb_ewmh.h>

namespace dexaro::x11 {

// X round trips waited for so far, over every connection (for benchmarks).
extern std::atomic<quint64> roundTrips;

template <class T> using Reply = std::unique_ptr<T, decltype(&std::free)>;
template <class T> Reply<T> reply(T* r) {
    return Reply<T>(r, &std::free);
}

class Connection {
public:
    Connection() {
        m_conn = xcb_connect(nullptr, &m_screenNumber);
        if (xcb_connection_has_error(m_conn))
            return;
        const xcb_setup_t* setup = xcb_get_setup(m_conn);
        auto it = xcb_setup_roots_iterator(setup);
        for (int i = 0; i < m_screenNumber && it.rem; ++i)
            xcb_screen_next(&it);
        if (!it.rem)
            return;
        m_screen = it.data;
        xcb_intern_atom_cookie_t* ewmhCookies = xcb_ewmh_init_atoms(m_conn, &m_ewmh);
        const bool ewmhOk = xcb_ewmh_init_atoms_replies(&m_ewmh, ewmhCookies, nullptr);
        roundTrips++;
        if (!ewmhOk)
            return;
        m_ewmhReady = true;
        m_ok = true;
    }
    ~Connection() {
        if (m_ewmhReady)
            xcb_ewmh_connection_wipe(&m_ewmh);
        if (m_conn)
            xcb_disconnect(m_conn);
    }
    Connection(const Connection&) = delete;
    Connection& operator=(const Connection&) = delete;

    bool ok() const { return m_ok && !xcb_connection_has_error(m_conn); }
    xcb_connection_t* c() const { return m_conn; }
    xcb_ewmh_connection_t* ewmh() { return &m_ewmh; }
    xcb_window_t root() const { return m_screen->root; }
    int screenNumber() const { return m_screenNumber; }
    QRect rootRect() const {
        return QRect(0, 0, m_screen->width_in_pixels, m_screen->height_in_pixels);
    }

private:
    xcb_connection_t* m_conn = nullptr;
    xcb_screen_t* m_screen = nullptr;
    int m_screenNumber = 0;
    xcb_ewmh_connection_t m_ewmh{};
    bool m_ewmhReady = false;
    bool m_ok = false;
};

// The 32-bit values of a property reply; empty when it has none.
std::vector<uint32_t> cardinalsOf(xcb_get_property_reply_t* r);

xcb_get_property_cookie_t getProperty(Connection& conn, xcb_window_t window, xcb_atom_t property,
                                      xcb_atom_t type, uint32_t length = 1024);

} // namespace dexaro::x11
