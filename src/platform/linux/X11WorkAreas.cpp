#include "platform/linux/X11WorkAreas.h"

#include "platform/linux/X11Connection.h"

#include <QGuiApplication>
#include <QScreen>
#include <QSet>

namespace dexaro {
namespace {

QRect devicePixels(const QScreen* screen) {
    const QRect g = screen->geometry();
    const qreal ratio = screen->devicePixelRatio();
    return QRect(qRound(g.x() * ratio), qRound(g.y() * ratio), qRound(g.width() * ratio),
                 qRound(g.height() * ratio));
}

// Struts of every dock the window manager knows of, and of the top-level
// windows it may keep out of its client list.
QList<WorkAreas::Strut> readStruts(x11::Connection& conn) {
    xcb_ewmh_connection_t* ewmh = conn.ewmh();
    QSet<xcb_window_t> windows;
    const auto clientsCookie =
        x11::getProperty(conn, conn.root(), ewmh->_NET_CLIENT_LIST, XCB_ATOM_WINDOW);
    const auto treeCookie = xcb_query_tree(conn.c(), conn.root());
    auto clients = x11::reply(xcb_get_property_reply(conn.c(), clientsCookie, nullptr));
    auto tree = x11::reply(xcb_query_tree_reply(conn.c(), treeCookie, nullptr));
    x11::roundTrips++;
    for (uint32_t window : x11::cardinalsOf(clients.get()))
        windows.insert(window);
    if (tree) {
        const xcb_window_t* children = xcb_query_tree_children(tree.get());
        for (int i = 0; i < xcb_query_tree_children_length(tree.get()); ++i)
            windows.insert(children[i]);
    }

    QList<xcb_window_t> order(windows.cbegin(), windows.cend());
    std::vector<xcb_get_property_cookie_t> partial, plain;
    for (xcb_window_t window : order) {
        partial.push_back(
            x11::getProperty(conn, window, ewmh->_NET_WM_STRUT_PARTIAL, XCB_ATOM_CARDINAL, 12));
        plain.push_back(x11::getProperty(conn, window, ewmh->_NET_WM_STRUT, XCB_ATOM_CARDINAL, 4));
    }
    const QRect root = conn.rootRect();
    QList<WorkAreas::Strut> struts;
    for (size_t i = 0; i < partial.size(); ++i) {
        auto p = x11::reply(xcb_get_property_reply(conn.c(), partial[i], nullptr));
        auto s = x11::reply(xcb_get_property_reply(conn.c(), plain[i], nullptr));
        const auto v = x11::cardinalsOf(p.get());
        if (v.size() >= 12) {
            struts.append({WorkAreas::Strut::left, int(v[0]), int(v[4]), int(v[5])});
            struts.append({WorkAreas::Strut::right, int(v[1]), int(v[6]), int(v[7])});
            struts.append({WorkAreas::Strut::top, int(v[2]), int(v[8]), int(v[9])});
            struts.append({WorkAreas::Strut::bottom, int(v[3]), int(v[10]), int(v[11])});
            continue;
        }
        const auto w = x11::cardinalsOf(s.get());
        if (w.size() >= 4) { // the old form spans the whole edge
            struts.append({WorkAreas::Strut::left, int(w[0]), root.top(), root.bottom()});
            struts.append({WorkAreas::Strut::right, int(w[1]), root.top(), root.bottom()});
            struts.append({WorkAreas::Strut::top, int(w[2]), root.left(), root.right()});
            struts.append({WorkAreas::Strut::bottom, int(w[3]), root.left(), root.right()});
        }
    }
    x11::roundTrips++;
    return struts;
}

std::optional<QRect> readDesktopArea(x11::Connection& conn) {
    xcb_ewmh_connection_t* ewmh = conn.ewmh();
    const auto desktopCookie =
        x11::getProperty(conn, conn.root(), ewmh->_NET_CURRENT_DESKTOP, XCB_ATOM_CARDINAL, 1);
    const auto areaCookie =
        x11::getProperty(conn, conn.root(), ewmh->_NET_WORKAREA, XCB_ATOM_CARDINAL);
    auto desktop = x11::reply(xcb_get_property_reply(conn.c(), desktopCookie, nullptr));
    auto area = x11::reply(xcb_get_property_reply(conn.c(), areaCookie, nullptr));
    x11::roundTrips++;
    const auto desktops = x11::cardinalsOf(desktop.get());
    const auto areas = x11::cardinalsOf(area.get());
    const size_t index = desktops.empty() ? 0 : desktops[0];
    if (areas.size() < 4 * (index + 1))
        return std::nullopt;
    return QRect(int(areas[4 * index]), int(areas[4 * index + 1]), int(areas[4 * index + 2]),
                 int(areas[4 * index + 3]));
}

} // namespace

X11WorkAreas::X11WorkAreas() {
    auto* app = qobject_cast<QGuiApplication*>(QCoreApplication::instance());
    // Only a program that shows its windows on the X server asks it; on any
    // other platform (offscreen, Wayland) there are no work areas to tell.
    if (!app || QGuiApplication::platformName() != QLatin1String("xcb"))
        return;
    m_onX11 = true;
    updateMonitors();
    auto follow = [this](QScreen* screen) {
        QObject::connect(screen, &QScreen::geometryChanged, &m_context,
                         [this] { updateMonitors(); });
    };
    for (QScreen* screen : QGuiApplication::screens())
        follow(screen);
    QObject::connect(app, &QGuiApplication::screenAdded, &m_context, [this, follow](QScreen* s) {
        follow(s);
        updateMonitors();
    });
    QObject::connect(app, &QGuiApplication::screenRemoved, &m_context,
                     [this] { updateMonitors(); });
    QObject::connect(app, &QGuiApplication::primaryScreenChanged, &m_context,
                     [this] { updateMonitors(); });
}

X11WorkAreas::~X11WorkAreas() = default;

x11::Connection* X11WorkAreas::connection() {
    std::lock_guard lock(m_connectionMutex);
    if (!m_connectionMade) {
        m_connectionMade = true;
        if (!qEnvironmentVariableIsEmpty("DISPLAY"))
            m_connection = std::make_unique<x11::Connection>();
    }
    return m_connection && m_connection->ok() ? m_connection.get() : nullptr;
}

void X11WorkAreas::updateMonitors() {
    QList<QRect> monitors;
    QStringList names;
    const QScreen* primary = QGuiApplication::primaryScreen();
    if (primary) {
        monitors.append(devicePixels(primary));
        names.append(primary->name());
    }
    for (const QScreen* screen : QGuiApplication::screens()) {
        if (screen != primary) {
            monitors.append(devicePixels(screen));
            names.append(screen->name());
        }
    }
    std::lock_guard lock(m_mutex);
    m_monitors = monitors;
    m_names = names;
}

QList<WorkAreas::Monitor> X11WorkAreas::read(const QList<int>& indexes) {
    x11::Connection* conn = m_onX11 ? connection() : nullptr;
    if (!conn)
        return {};
    QList<QRect> monitors;
    QStringList names;
    {
        std::lock_guard lock(m_mutex);
        monitors = m_monitors;
        names = m_names;
    }
    const QRect root = conn->rootRect();
    QList<int> wanted = indexes;
    if (wanted.isEmpty())
        for (int i = 0; i < qMax(1, int(monitors.size())); ++i)
            wanted << i;
    QList<Strut> struts;
    if (monitors.size() > 1)
        struts = readStruts(*conn);
    std::optional<QRect> desktopArea;
    if (struts.isEmpty())
        desktopArea = readDesktopArea(*conn);
    QList<Monitor> found;
    for (int index : wanted) {
        const bool known = index >= 0 && index < monitors.size();
        const QRect geometry = known ? monitors[index] : root;
        const QString name = known ? names.value(index) : QString();
        if (!struts.isEmpty())
            found << Monitor{geometry, monitorMinusStruts(geometry, root, struts), name};
        else
            found << Monitor{geometry,
                             desktopArea ? desktopAreaOnMonitor(geometry, *desktopArea) : geometry,
                             name};
    }
    return found;
}

std::optional<WorkAreas::Monitor> X11WorkAreas::primary() {
    const QList<Monitor> found = read({0});
    return found.isEmpty() ? std::nullopt : std::optional(found.first());
}

std::optional<WorkAreas::Monitor> X11WorkAreas::monitorAt(const QPoint& point) {
    QList<QRect> monitors;
    {
        std::lock_guard lock(m_mutex);
        monitors = m_monitors;
    }
    const QList<Monitor> found = read({monitorIndexAt(monitors, point)});
    return found.isEmpty() ? std::nullopt : std::optional(found.first());
}

QList<WorkAreas::Monitor> X11WorkAreas::monitors() {
    return read({});
}

} // namespace dexaro
