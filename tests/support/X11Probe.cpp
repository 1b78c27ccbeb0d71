#include "support/X11Probe.h"

// xkb.h names a member "explicit", which C++ reserves.
#define explicit explicit_
#include <xcb/xkb.h>
#undef explicit

#include <cstdlib>
#include <cstring>
#include <memory>

namespace dexaro::test {
namespace {

// A reply of the server, freed with the object; empty when the request failed.
struct Free {
    void operator()(void* reply) const { std::free(reply); }
};
template <typename Reply> using Owned = std::unique_ptr<Reply, Free>;

template <typename Reply, typename Cookie>
Owned<Reply> reply(Reply* (*read)(xcb_connection_t*, Cookie, xcb_generic_error_t**),
                   xcb_connection_t* conn, Cookie cookie) {
    return Owned<Reply>(read(conn, cookie, nullptr));
}

QByteArray property(xcb_connection_t* conn, xcb_window_t window, xcb_atom_t name, int format) {
    auto value = reply(xcb_get_property_reply, conn,
                       xcb_get_property(conn, 0, window, name, XCB_GET_PROPERTY_TYPE_ANY, 0, 4096));
    if (!value || value->format != format)
        return {};
    return QByteArray(static_cast<const char*>(xcb_get_property_value(value.get())),
                      xcb_get_property_value_length(value.get())); // bytes
}

} // namespace

X11Probe::X11Probe() {
    // The test session's display has one screen.
    xcb_connection_t* conn = xcb_connect(nullptr, nullptr);
    if (xcb_connection_has_error(conn)) {
        xcb_disconnect(conn);
        return;
    }
    m_conn = conn;
    m_root = xcb_setup_roots_iterator(xcb_get_setup(conn)).data->root;
}

X11Probe::~X11Probe() {
    if (m_conn)
        xcb_disconnect(m_conn);
}

xcb_atom_t X11Probe::atom(const char* name) {
    auto atom = reply(xcb_intern_atom_reply, m_conn,
                      xcb_intern_atom(m_conn, 0, uint16_t(std::strlen(name)), name));
    return atom ? atom->atom : xcb_atom_t(XCB_NONE);
}

std::vector<uint32_t> X11Probe::cardinals(xcb_window_t window, const char* name) {
    const QByteArray bytes = property(m_conn, window, atom(name), 32);
    const auto* data = reinterpret_cast<const uint32_t*>(bytes.constData());
    return {data, data + bytes.size() / 4};
}

std::vector<xcb_window_t> X11Probe::clientWindows() {
    return cardinals(m_root, "_NET_CLIENT_LIST_STACKING");
}

xcb_window_t X11Probe::windowOf(qint64 pid) {
    for (xcb_window_t window : clientWindows())
        if (this->pid(window) == uint32_t(pid) && isViewable(window))
            return window;
    return XCB_NONE;
}

std::optional<uint32_t> X11Probe::pid(xcb_window_t window) {
    const auto values = cardinals(window, "_NET_WM_PID");
    return values.empty() ? std::nullopt : std::optional(values.front());
}

QStringList X11Probe::wmClass(xcb_window_t window) {
    QStringList parts;
    for (const QByteArray& part : property(m_conn, window, XCB_ATOM_WM_CLASS, 8).split('\0'))
        if (!part.isEmpty())
            parts << QString::fromUtf8(part);
    return parts;
}

bool X11Probe::isViewable(xcb_window_t window) {
    auto attributes =
        reply(xcb_get_window_attributes_reply, m_conn, xcb_get_window_attributes(m_conn, window));
    return attributes && attributes->map_state == XCB_MAP_STATE_VIEWABLE;
}

std::optional<QRect> X11Probe::clientRect(xcb_window_t window) {
    auto geometry = reply(xcb_get_geometry_reply, m_conn, xcb_get_geometry(m_conn, window));
    auto at = reply(xcb_translate_coordinates_reply, m_conn,
                    xcb_translate_coordinates(m_conn, window, m_root, 0, 0));
    if (!geometry || !at)
        return std::nullopt;
    return QRect(at->dst_x, at->dst_y, geometry->width, geometry->height);
}

std::optional<QRect> X11Probe::frameRect(xcb_window_t window) {
    auto rect = clientRect(window);
    const auto extents = cardinals(window, "_NET_FRAME_EXTENTS"); // left, right, top, bottom
    if (rect && extents.size() == 4)
        rect->adjust(-int(extents[0]), -int(extents[2]), int(extents[1]), int(extents[3]));
    return rect;
}

QRect X11Probe::workArea() {
    const auto values = cardinals(m_root, "_NET_WORKAREA");
    return values.size() < 4
               ? QRect()
               : QRect(int(values[0]), int(values[1]), int(values[2]), int(values[3]));
}

std::vector<xcb_window_t> X11Probe::children(xcb_window_t window) {
    auto tree = reply(xcb_query_tree_reply, m_conn, xcb_query_tree(m_conn, window));
    if (!tree)
        return {};
    xcb_window_t* kids = xcb_query_tree_children(tree.get());
    return {kids, kids + xcb_query_tree_children_length(tree.get())};
}

std::vector<xcb_window_t> X11Probe::descendants(xcb_window_t window) {
    std::vector<xcb_window_t> result = children(window);
    for (size_t i = 0; i < result.size(); ++i) {
        const auto below = children(result[i]);
        result.insert(result.end(), below.begin(), below.end());
    }
    return result;
}

uint16_t X11Probe::modifiers() {
    auto at = reply(xcb_query_pointer_reply, m_conn, xcb_query_pointer(m_conn, m_root));
    return at ? at->mask : 0;
}

void X11Probe::unlockModifiers() {
    std::free(xcb_xkb_use_extension_reply(
        m_conn, xcb_xkb_use_extension(m_conn, XCB_XKB_MAJOR_VERSION, XCB_XKB_MINOR_VERSION),
        nullptr));
    std::free(
        xcb_request_check(m_conn, xcb_xkb_latch_lock_state_checked(m_conn, XCB_XKB_ID_USE_CORE_KBD,
                                                                   0xff, 0, 0, 0, 0, 0, 0)));
}

bool X11Probe::keyIsGrabbedByOthers(uint8_t keycode, uint16_t modifiers) {
    Owned<xcb_generic_error_t> error(
        xcb_request_check(m_conn, xcb_grab_key_checked(m_conn, 1, m_root, modifiers, keycode,
                                                       XCB_GRAB_MODE_ASYNC, XCB_GRAB_MODE_ASYNC)));
    if (error)
        return true;
    // Waited for: a grab of another client's right after it must not meet ours.
    Owned<xcb_generic_error_t>(
        xcb_request_check(m_conn, xcb_ungrab_key_checked(m_conn, keycode, m_root, modifiers)));
    return false;
}

} // namespace dexaro::test
