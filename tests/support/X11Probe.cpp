#include "support/X11Probe.h"

#include <cstdlib>
#include <cstring>

namespace dexaro::test {

X11Probe::X11Probe() {
    int screenNumber = 0;
    xcb_connection_t* conn = xcb_connect(nullptr, &screenNumber);
    if (xcb_connection_has_error(conn)) {
        xcb_disconnect(conn);
        return;
    }
    m_conn = conn;
    xcb_screen_iterator_t it = xcb_setup_roots_iterator(xcb_get_setup(conn));
    for (int i = 0; i < screenNumber && it.rem; ++i)
        xcb_screen_next(&it);
    m_root = it.data->root;
}

X11Probe::~X11Probe() {
    if (m_conn)
        xcb_disconnect(m_conn);
}

xcb_atom_t X11Probe::atom(const char* name) {
    auto cookie = xcb_intern_atom(m_conn, 0, uint16_t(std::strlen(name)), name);
    xcb_intern_atom_reply_t* reply = xcb_intern_atom_reply(m_conn, cookie, nullptr);
    xcb_atom_t result = reply ? reply->atom : XCB_NONE;
    std::free(reply);
    return result;
}

std::vector<uint32_t> X11Probe::cardinals(xcb_window_t window, const char* property) {
    std::vector<uint32_t> values;
    auto cookie =
        xcb_get_property(m_conn, 0, window, atom(property), XCB_GET_PROPERTY_TYPE_ANY, 0, 4096);
    xcb_get_property_reply_t* reply = xcb_get_property_reply(m_conn, cookie, nullptr);
    if (reply && reply->format == 32) {
        auto* data = static_cast<uint32_t*>(xcb_get_property_value(reply));
        values.assign(data, data + xcb_get_property_value_length(reply) / 4);
    }
    std::free(reply);
    return values;
}

std::vector<xcb_window_t> X11Probe::clientWindows() {
    auto values = cardinals(m_root, "_NET_CLIENT_LIST_STACKING");
    return {values.begin(), values.end()};
}

std::optional<uint32_t> X11Probe::pid(xcb_window_t window) {
    auto values = cardinals(window, "_NET_WM_PID");
    if (values.empty())
        return std::nullopt;
    return values.front();
}

static QByteArray stringProperty(xcb_connection_t* conn, xcb_window_t window, xcb_atom_t property) {
    auto cookie = xcb_get_property(conn, 0, window, property, XCB_GET_PROPERTY_TYPE_ANY, 0, 1024);
    xcb_get_property_reply_t* reply = xcb_get_property_reply(conn, cookie, nullptr);
    QByteArray bytes;
    if (reply && reply->format == 8)
        bytes = QByteArray(static_cast<const char*>(xcb_get_property_value(reply)),
                           xcb_get_property_value_length(reply));
    std::free(reply);
    return bytes;
}

QStringList X11Probe::wmClass(xcb_window_t window) {
    QByteArray bytes = stringProperty(m_conn, window, XCB_ATOM_WM_CLASS);
    QStringList parts;
    for (const QByteArray& part : bytes.split('\0'))
        if (!part.isEmpty())
            parts << QString::fromUtf8(part);
    return parts;
}

QString X11Probe::name(xcb_window_t window) {
    QByteArray bytes = stringProperty(m_conn, window, atom("_NET_WM_NAME"));
    if (bytes.isEmpty())
        bytes = stringProperty(m_conn, window, XCB_ATOM_WM_NAME);
    return QString::fromUtf8(bytes);
}

bool X11Probe::isViewable(xcb_window_t window) {
    auto* reply =
        xcb_get_window_attributes_reply(m_conn, xcb_get_window_attributes(m_conn, window), nullptr);
    bool viewable = reply && reply->map_state == XCB_MAP_STATE_VIEWABLE;
    std::free(reply);
    return viewable;
}

std::optional<QRect> X11Probe::clientRect(xcb_window_t window) {
    auto* geometry = xcb_get_geometry_reply(m_conn, xcb_get_geometry(m_conn, window), nullptr);
    auto* translated = xcb_translate_coordinates_reply(
        m_conn, xcb_translate_coordinates(m_conn, window, m_root, 0, 0), nullptr);
    std::optional<QRect> rect;
    if (geometry && translated)
        rect = QRect(translated->dst_x, translated->dst_y, geometry->width, geometry->height);
    std::free(geometry);
    std::free(translated);
    return rect;
}

std::optional<QRect> X11Probe::frameRect(xcb_window_t window) {
    auto rect = clientRect(window);
    if (!rect)
        return rect;
    auto extents = cardinals(window, "_NET_FRAME_EXTENTS"); // left, right, top, bottom
    if (extents.size() == 4)
        rect->adjust(-int(extents[0]), -int(extents[2]), int(extents[1]), int(extents[3]));
    return rect;
}

QRect X11Probe::workArea() {
    auto values = cardinals(m_root, "_NET_WORKAREA");
    if (values.size() < 4)
        return {};
    return QRect(int(values[0]), int(values[1]), int(values[2]), int(values[3]));
}

std::vector<xcb_window_t> X11Probe::children(xcb_window_t window) {
    std::vector<xcb_window_t> result;
    auto* reply = xcb_query_tree_reply(m_conn, xcb_query_tree(m_conn, window), nullptr);
    if (reply) {
        xcb_window_t* kids = xcb_query_tree_children(reply);
        result.assign(kids, kids + xcb_query_tree_children_length(reply));
    }
    std::free(reply);
    return result;
}

std::vector<xcb_window_t> X11Probe::descendants(xcb_window_t window) {
    std::vector<xcb_window_t> result;
    for (xcb_window_t child : children(window)) {
        result.push_back(child);
        const auto below = descendants(child);
        result.insert(result.end(), below.begin(), below.end());
    }
    return result;
}

xcb_window_t X11Probe::parent(xcb_window_t window) {
    auto* reply = xcb_query_tree_reply(m_conn, xcb_query_tree(m_conn, window), nullptr);
    const xcb_window_t result = reply ? reply->parent : xcb_window_t(XCB_NONE);
    std::free(reply);
    return result;
}

bool X11Probe::hasProperty(xcb_window_t window, const char* property) {
    auto* reply = xcb_get_property_reply(
        m_conn, xcb_get_property(m_conn, 0, window, atom(property), XCB_ATOM_ANY, 0, 1), nullptr);
    const bool present = reply && reply->type != XCB_NONE;
    std::free(reply);
    return present;
}

X11Probe::Pointer X11Probe::pointer() {
    Pointer result;
    auto* reply = xcb_query_pointer_reply(m_conn, xcb_query_pointer(m_conn, m_root), nullptr);
    if (reply)
        result = {QPoint(reply->root_x, reply->root_y), reply->child, reply->mask};
    std::free(reply);
    return result;
}

xcb_window_t X11Probe::selectionOwner(const char* selection) {
    auto* reply = xcb_get_selection_owner_reply(
        m_conn, xcb_get_selection_owner(m_conn, atom(selection)), nullptr);
    xcb_window_t owner = reply ? reply->owner : XCB_NONE;
    std::free(reply);
    return owner;
}

bool X11Probe::keyIsGrabbedByOthers(uint8_t keycode, uint16_t modifiers) {
    xcb_void_cookie_t cookie = xcb_grab_key_checked(m_conn, 1, m_root, modifiers, keycode,
                                                    XCB_GRAB_MODE_ASYNC, XCB_GRAB_MODE_ASYNC);
    xcb_generic_error_t* error = xcb_request_check(m_conn, cookie);
    if (error) {
        std::free(error);
        return true;
    }
    xcb_ungrab_key(m_conn, keycode, m_root, modifiers);
    xcb_flush(m_conn);
    return false;
}

} // namespace dexaro::test
