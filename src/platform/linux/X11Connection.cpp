#include "platform/linux/X11Connection.h"

#include <QtGlobal>

namespace dexaro::x11 {

std::atomic<quint64> roundTrips{0};

std::vector<uint32_t> cardinalsOf(xcb_get_property_reply_t* r) {
    std::vector<uint32_t> values;
    if (!r || r->format != 32 || r->type == XCB_ATOM_NONE)
        return values;
    const int n = xcb_get_property_value_length(r) / 4;
    const auto* data = static_cast<const uint32_t*>(xcb_get_property_value(r));
    values.assign(data, data + n);
    return values;
}

xcb_get_property_cookie_t getProperty(Connection& conn, xcb_window_t window, xcb_atom_t property,
                                      xcb_atom_t type, uint32_t length) {
    return xcb_get_property(conn.c(), 0, window, property, type, 0, length);
}

} // namespace dexaro::x11
