// The window layer over X11: EWMH window manager hints through xcb.
//
// Each thread that uses it gets its own connection, so that the events it waits
// for after a write (the window manager's answer) reach only that thread.
#include "platform/linux/X11WindowAccess.h"

#include "platform/Alerts.h"
#include "platform/WorkAreas.h"
#include "platform/linux/X11Connection.h"

#include <QCoreApplication>
#include <QFile>
#include <QGuiApplication>
#include <QHash>
#include <QThread>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdlib>
#include <memory>
#include <mutex>
#include <poll.h>
#include <xcb/xcb.h>
#include <xcb/xcb_ewmh.h>
#include <xcb/xcb_icccm.h>

namespace dexaro {
namespace {

using x11::cardinalsOf;
using x11::Connection;
using x11::getProperty;
using x11::reply;
using x11::threadConnection;

// How long a write waits for the window manager's answer when nothing changes.
constexpr int defaultAnswerTimeoutMs = 1500;
// Once the window manager has begun to answer, it is taken as finished when
// the window has had no further change for this long.
constexpr int settleMs = 250;

struct Extents {
    int left = 0, right = 0, top = 0, bottom = 0;
};

struct WindowState {
    QRect client; // root coordinates
    Extents frame;
    Extents gtk;
    bool hasFrameExtents = false;
    bool maximizedOrFullscreen = false;
    bool fullscreen = false;
    xcb_size_hints_t hints{};

    // The client size the window manager makes of a requested one: ICCCM size
    // increments counted from the base size (or the minimum), within min and max.
    QSize constrained(QSize size) const {
        const bool hasMin = hints.flags & XCB_ICCCM_SIZE_HINT_P_MIN_SIZE;
        const bool hasBase = hints.flags & XCB_ICCCM_SIZE_HINT_BASE_SIZE;
        const int minW = hasMin ? hints.min_width : (hasBase ? hints.base_width : 1);
        const int minH = hasMin ? hints.min_height : (hasBase ? hints.base_height : 1);
        int w = std::max(size.width(), std::max(minW, 1));
        int h = std::max(size.height(), std::max(minH, 1));
        if (hints.flags & XCB_ICCCM_SIZE_HINT_P_MAX_SIZE) {
            if (hints.max_width > 0)
                w = std::min(w, int(hints.max_width));
            if (hints.max_height > 0)
                h = std::min(h, int(hints.max_height));
        }
        if (hints.flags & XCB_ICCCM_SIZE_HINT_P_RESIZE_INC) {
            const int baseW = hasBase ? hints.base_width : (hasMin ? hints.min_width : 0);
            const int baseH = hasBase ? hints.base_height : (hasMin ? hints.min_height : 0);
            if (hints.width_inc > 1 && w > baseW)
                w = baseW + (w - baseW) / hints.width_inc * hints.width_inc;
            if (hints.height_inc > 1 && h > baseH)
                h = baseH + (h - baseH) / hints.height_inc * hints.height_inc;
        }
        return QSize(w, h);
    }

    QRect visible() const {
        return QRect(client.x() - frame.left + gtk.left, client.y() - frame.top + gtk.top,
                     client.width() + frame.left + frame.right - gtk.left - gtk.right,
                     client.height() + frame.top + frame.bottom - gtk.top - gtk.bottom);
    }
};

Extents extentsOf(const std::vector<uint32_t>& v) {
    Extents e;
    if (v.size() >= 4) {
        e.left = int(v[0]);
        e.right = int(v[1]);
        e.top = int(v[2]);
        e.bottom = int(v[3]);
    }
    return e;
}

// Reads a window's geometry in one round trip. nullopt when the window is gone.
std::optional<WindowState> readWindowState(Connection& conn, xcb_window_t window) {
    xcb_ewmh_connection_t* ewmh = conn.ewmh();
    const auto translateCookie = xcb_translate_coordinates(conn.c(), window, conn.root(), 0, 0);
    const auto geometryCookie = xcb_get_geometry(conn.c(), window);
    const auto frameCookie =
        getProperty(conn, window, ewmh->_NET_FRAME_EXTENTS, XCB_ATOM_CARDINAL, 4);
    const auto gtkCookie = getProperty(conn, window, conn.gtkFrameExtents(), XCB_ATOM_CARDINAL, 4);
    const auto stateCookie = getProperty(conn, window, ewmh->_NET_WM_STATE, XCB_ATOM_ATOM);
    const auto hintsCookie = xcb_icccm_get_wm_normal_hints_unchecked(conn.c(), window);
    auto translated = reply(xcb_translate_coordinates_reply(conn.c(), translateCookie, nullptr));
    auto geometry = reply(xcb_get_geometry_reply(conn.c(), geometryCookie, nullptr));
    auto frame = reply(xcb_get_property_reply(conn.c(), frameCookie, nullptr));
    auto gtk = reply(xcb_get_property_reply(conn.c(), gtkCookie, nullptr));
    auto state = reply(xcb_get_property_reply(conn.c(), stateCookie, nullptr));
    xcb_size_hints_t hints{};
    if (!xcb_icccm_get_wm_normal_hints_reply(conn.c(), hintsCookie, &hints, nullptr))
        hints = xcb_size_hints_t{};
    x11::roundTrips++;
    if (!translated || !geometry)
        return std::nullopt;
    WindowState s;
    s.client = QRect(translated->dst_x, translated->dst_y, geometry->width, geometry->height);
    s.hints = hints;
    const auto frameValues = cardinalsOf(frame.get());
    s.hasFrameExtents = frameValues.size() >= 4;
    s.frame = extentsOf(frameValues);
    if (conn.gtkFrameExtents() != XCB_ATOM_NONE)
        s.gtk = extentsOf(cardinalsOf(gtk.get()));
    for (uint32_t atom : cardinalsOf(state.get())) {
        if (atom == ewmh->_NET_WM_STATE_MAXIMIZED_VERT ||
            atom == ewmh->_NET_WM_STATE_MAXIMIZED_HORZ || atom == ewmh->_NET_WM_STATE_FULLSCREEN)
            s.maximizedOrFullscreen = true;
        if (atom == ewmh->_NET_WM_STATE_FULLSCREEN)
            s.fullscreen = true;
    }
    return s;
}

void selectEvents(Connection& conn, xcb_window_t window, uint32_t mask) {
    xcb_change_window_attributes(conn.c(), window, XCB_CW_EVENT_MASK, &mask);
}

bool isEventFor(xcb_generic_event_t* event, xcb_window_t window, uint8_t type) {
    const uint8_t t = event->response_type & 0x7f;
    if (t != type)
        return false;
    if (type == XCB_CONFIGURE_NOTIFY)
        return reinterpret_cast<xcb_configure_notify_event_t*>(event)->window == window;
    if (type == XCB_PROPERTY_NOTIFY)
        return reinterpret_cast<xcb_property_notify_event_t*>(event)->window == window;
    return false;
}

// After a request, follows the window manager's answer: the window's state is
// read again after each of its changes (a ConfigureNotify, or a change of its
// _NET_WM_STATE) until answered(state) holds. A window manager may answer in
// several steps or adjust the request, so a state that does not hold is taken
// as the final one only once the window has been quiet for settleMs, or when
// timeoutMs has passed. The window's events must be selected by the caller.
template <class Answered>
std::optional<WindowState> followAnswer(Connection& conn, xcb_window_t window, int timeoutMs,
                                        Answered answered) {
    xcb_ewmh_connection_t* ewmh = conn.ewmh();
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    bool changed = false;
    for (;;) {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
                              deadline - std::chrono::steady_clock::now())
                              .count();
        if (left <= 0)
            return readWindowState(conn, window);
        const int wait = changed ? std::min<int>(settleMs, int(left)) : int(left);
        const bool event = conn.waitForEvent(wait, [&](xcb_generic_event_t* e) {
            return isEventFor(e, window, XCB_CONFIGURE_NOTIFY) ||
                   (isEventFor(e, window, XCB_PROPERTY_NOTIFY) &&
                    reinterpret_cast<xcb_property_notify_event_t*>(e)->atom == ewmh->_NET_WM_STATE);
        });
        auto state = readWindowState(conn, window);
        if (!state)
            return state; // the window is gone
        if (!event && changed)
            return state; // settled on something else than asked
        if (event) {
            changed = true;
            if (answered(*state))
                return state;
        }
    }
}

// Brings a window into a state in which it can be moved: not maximized, not
// full screen, with known frame extents. Answers its fresh state.
std::optional<WindowState> prepareForChange(Connection& conn, xcb_window_t window,
                                            std::optional<WindowState> state, int timeoutMs) {
    xcb_ewmh_connection_t* ewmh = conn.ewmh();
    if (state && state->maximizedOrFullscreen) {
        const QRect maximized = state->client;
        selectEvents(conn, window,
                     XCB_EVENT_MASK_PROPERTY_CHANGE | XCB_EVENT_MASK_STRUCTURE_NOTIFY);
        conn.dropPendingEvents();
        xcb_ewmh_request_change_wm_state(
            ewmh, conn.screenNumber(), window, XCB_EWMH_WM_STATE_REMOVE,
            ewmh->_NET_WM_STATE_MAXIMIZED_VERT, ewmh->_NET_WM_STATE_MAXIMIZED_HORZ,
            XCB_EWMH_CLIENT_SOURCE_TYPE_OTHER);
        if (state->fullscreen) {
            xcb_ewmh_request_change_wm_state(
                ewmh, conn.screenNumber(), window, XCB_EWMH_WM_STATE_REMOVE,
                ewmh->_NET_WM_STATE_FULLSCREEN, XCB_ATOM_NONE, XCB_EWMH_CLIENT_SOURCE_TYPE_OTHER);
        }
        // Restoring takes the window manager a state change and one or more
        // configures, in an order of its choosing. The first answer is often
        // not the last: wait until the state is gone and the window has its
        // restored geometry, then until it stays there.
        const auto restored = followAnswer(conn, window, timeoutMs, [&](const WindowState& s) {
            return !s.maximizedOrFullscreen && s.client != maximized;
        });
        if (restored && !restored->maximizedOrFullscreen)
            followAnswer(conn, window, settleMs, [](const WindowState&) { return false; });
        selectEvents(conn, window, 0);
        state = readWindowState(conn, window);
    }
    if (state && !state->hasFrameExtents) {
        selectEvents(conn, window, XCB_EVENT_MASK_PROPERTY_CHANGE);
        conn.dropPendingEvents();
        xcb_ewmh_request_frame_extents(ewmh, conn.screenNumber(), window);
        conn.waitForEvent(timeoutMs, [&](xcb_generic_event_t* e) {
            return isEventFor(e, window, XCB_PROPERTY_NOTIFY) &&
                   reinterpret_cast<xcb_property_notify_event_t*>(e)->atom ==
                       ewmh->_NET_FRAME_EXTENTS;
        });
        selectEvents(conn, window, 0);
        state = readWindowState(conn, window);
    }
    return state;
}

// The window manager answers a move with a (synthetic) ConfigureNotify and a
// resize with a real one; a request it refuses may get no answer at all. Only
// a state that answers this request ends the wait early: a ConfigureNotify
// still on its way from an earlier change is not taken for the answer.
template <class Answered>
void requestAndWait(Connection& conn, xcb_window_t window, int timeoutMs,
                    xcb_ewmh_moveresize_window_opt_flags_t flags, int x, int y, int width,
                    int height, Answered answered) {
    selectEvents(conn, window, XCB_EVENT_MASK_STRUCTURE_NOTIFY | XCB_EVENT_MASK_PROPERTY_CHANGE);
    conn.dropPendingEvents();
    xcb_ewmh_request_moveresize_window(conn.ewmh(), conn.screenNumber(), window,
                                       XCB_GRAVITY_NORTH_WEST, XCB_EWMH_CLIENT_SOURCE_TYPE_OTHER,
                                       flags, uint32_t(x), uint32_t(y), uint32_t(width),
                                       uint32_t(height));
    followAnswer(conn, window, timeoutMs, answered);
    selectEvents(conn, window, 0);
    xcb_flush(conn.c());
}

// The parent of a process, from /proc; 0 when unknown.
qint64 parentPid(qint64 pid) {
    QFile file(QStringLiteral("/proc/%1/stat").arg(pid));
    if (!file.open(QIODevice::ReadOnly))
        return 0;
    const QByteArray stat = file.readAll();
    // "pid (comm) state ppid ..."; comm may hold spaces and parentheses.
    const int close = stat.lastIndexOf(')');
    if (close < 0)
        return 0;
    const QList<QByteArray> fields = stat.mid(close + 2).split(' ');
    return fields.size() > 1 ? fields[1].toLongLong() : 0;
}

char processState(qint64 pid) {
    QFile file(QStringLiteral("/proc/%1/stat").arg(pid));
    if (!file.open(QIODevice::ReadOnly))
        return 0;
    const QByteArray stat = file.readAll();
    const int close = stat.lastIndexOf(')');
    return close >= 0 && close + 2 < stat.size() ? stat[close + 2] : 0;
}

class X11Backend final : public AccessibilityBackend {
public:
    X11Backend(Alerts& alerts, WorkAreas& workAreas) : m_alerts(alerts), m_workAreas(workAreas) {}

    bool isProcessTrusted(bool prompt) override {
        const bool trusted = hasEwmhWindowManager();
        if (!trusted && prompt)
            explainRefusal();
        return trusted;
    }

    bool isProcessRunning(qint64 pid) override {
        if (pid <= 0)
            return false;
        const char state = processState(pid);
        return state != 0 && state != 'Z' && state != 'X';
    }

    AXError copyAttributeValue(const ElementRef& element, const QString& name,
                               AXValue* value) override {
        Connection* conn = threadConnection();
        if (!conn)
            return AXError::apiDisabled;
        switch (element.kind) {
        case ElementRef::Kind::application:
            if (name == QLatin1String("AXWindows"))
                return readWindows(*conn, element, value);
            return AXError::attributeUnsupported;
        case ElementRef::Kind::window: {
            if (name != QLatin1String("AXPosition") && name != QLatin1String("AXSize") &&
                name != QLatin1String("AXRole"))
                return AXError::attributeUnsupported;
            const auto state = readWindowState(*conn, element.window);
            if (!state)
                return AXError::invalidUIElement;
            const QRect visible = state->visible();
            if (name == QLatin1String("AXPosition"))
                *value = QPointF(visible.topLeft());
            else if (name == QLatin1String("AXSize"))
                *value = QSizeF(visible.size());
            else
                *value = QVariant(QStringLiteral("AXWindow"));
            return AXError::success;
        }
        case ElementRef::Kind::none:
            break;
        }
        return AXError::invalidUIElement;
    }

    AXError setAttributeValue(const ElementRef& element, const QString& name,
                              const AXValue& value) override {
        Connection* conn = threadConnection();
        if (!conn)
            return AXError::apiDisabled;
        if (element.kind != ElementRef::Kind::window)
            return element.kind == ElementRef::Kind::none ? AXError::invalidUIElement
                                                          : AXError::attributeUnsupported;
        const bool isPosition = name == QLatin1String("AXPosition");
        const bool isSize = name == QLatin1String("AXSize");
        if (!isPosition && !isSize)
            return AXError::attributeUnsupported;
        const QPointF* point = std::get_if<QPointF>(&value);
        const QSizeF* size = std::get_if<QSizeF>(&value);
        if ((isPosition && !point) || (isSize && !size))
            return AXError::illegalArgument;

        const xcb_window_t window = element.window;
        auto state =
            prepareForChange(*conn, window, readWindowState(*conn, window), defaultAnswerTimeoutMs);
        if (!state)
            return AXError::invalidUIElement;
        if (isPosition) {
            int x = qRound(point->x());
            int y = qRound(point->y());
            // Like a desktop's window server, keep the title bar below the top
            // panel: a window asked to go above the work area stops at its top.
            if (const auto monitor = m_workAreas.monitorAt(QPoint(x, y + 1));
                monitor && y < monitor->workArea.top())
                y = monitor->workArea.top();
            const QRect visible = state->visible();
            if (visible.x() == x && visible.y() == y)
                return AXError::success;
            requestAndWait(
                *conn, window, defaultAnswerTimeoutMs,
                xcb_ewmh_moveresize_window_opt_flags_t(XCB_EWMH_MOVERESIZE_WINDOW_X |
                                                       XCB_EWMH_MOVERESIZE_WINDOW_Y),
                x - state->gtk.left, y - state->gtk.top, 0, 0,
                [&](const WindowState& s) { return s.visible().topLeft() == QPoint(x, y); });
        } else {
            const int width = qRound(size->width()) - state->frame.left - state->frame.right +
                              state->gtk.left + state->gtk.right;
            const int height = qRound(size->height()) - state->frame.top - state->frame.bottom +
                               state->gtk.top + state->gtk.bottom;
            if (width < 1 || height < 1)
                return AXError::illegalArgument;
            // A size the window manager would round back to the current one gets
            // no answer from it: nothing to ask for then.
            if (state->constrained(QSize(width, height)) == state->client.size())
                return AXError::success;
            const QSize expected = state->constrained(QSize(width, height));
            requestAndWait(
                *conn, window, defaultAnswerTimeoutMs,
                xcb_ewmh_moveresize_window_opt_flags_t(XCB_EWMH_MOVERESIZE_WINDOW_WIDTH |
                                                       XCB_EWMH_MOVERESIZE_WINDOW_HEIGHT),
                0, 0, width, height,
                [&](const WindowState& s) { return s.client.size() == expected; });
        }
        return xcb_connection_has_error(conn->c()) ? AXError::cannotComplete : AXError::success;
    }

    quint64 roundTrips() const override { return x11::roundTrips.load(); }

private:
    AXError readWindows(Connection& conn, const ElementRef& app, AXValue* value) {
        xcb_ewmh_connection_t* ewmh = conn.ewmh();
        auto stacking = reply(xcb_get_property_reply(
            conn.c(),
            getProperty(conn, conn.root(), ewmh->_NET_CLIENT_LIST_STACKING, XCB_ATOM_WINDOW, 4096),
            nullptr));
        x11::roundTrips++;
        std::vector<uint32_t> clients = cardinalsOf(stacking.get());
        if (!stacking || stacking->type == XCB_ATOM_NONE) {
            auto list = reply(xcb_get_property_reply(
                conn.c(),
                getProperty(conn, conn.root(), ewmh->_NET_CLIENT_LIST, XCB_ATOM_WINDOW, 4096),
                nullptr));
            x11::roundTrips++;
            if (!list || list->type == XCB_ATOM_NONE)
                return AXError::cannotComplete; // no EWMH window manager
            clients = cardinalsOf(list.get());
        }
        std::reverse(clients.begin(), clients.end()); // front to back

        const bool byClass = !app.wmClass.isEmpty();
        std::vector<xcb_get_property_cookie_t> pidCookies, classCookies;
        pidCookies.reserve(clients.size());
        for (uint32_t window : clients) {
            pidCookies.push_back(
                getProperty(conn, window, ewmh->_NET_WM_PID, XCB_ATOM_CARDINAL, 1));
            if (byClass)
                classCookies.push_back(xcb_icccm_get_wm_class(conn.c(), window));
        }
        QHash<qint64, bool> belongs; // pid -> is the application's process or below it
        QList<ElementRef> windows;
        for (size_t i = 0; i < clients.size(); ++i) {
            auto pidReply = reply(xcb_get_property_reply(conn.c(), pidCookies[i], nullptr));
            bool match = false;
            const auto pids = cardinalsOf(pidReply.get());
            if (app.pid > 0 && !pids.empty())
                match = isSameOrDescendant(qint64(pids[0]), app.pid, belongs);
            if (byClass) {
                xcb_icccm_get_wm_class_reply_t wmClass;
                if (xcb_icccm_get_wm_class_reply(conn.c(), classCookies[i], &wmClass, nullptr)) {
                    if (!match)
                        match = app.wmClass.compare(QString::fromUtf8(wmClass.class_name),
                                                    Qt::CaseInsensitive) == 0 ||
                                app.wmClass.compare(QString::fromUtf8(wmClass.instance_name),
                                                    Qt::CaseInsensitive) == 0;
                    xcb_icccm_get_wm_class_reply_wipe(&wmClass);
                }
            }
            if (match) {
                ElementRef ref;
                ref.kind = ElementRef::Kind::window;
                ref.window = clients[i];
                windows.append(ref);
            }
        }
        if (!clients.empty())
            x11::roundTrips++;
        *value = windows;
        return AXError::success;
    }

    static bool isSameOrDescendant(qint64 pid, qint64 ancestor, QHash<qint64, bool>& known) {
        QList<qint64> chain;
        bool result = false;
        for (int depth = 0; depth < 64 && pid > 1; ++depth) {
            if (pid == ancestor) {
                result = true;
                break;
            }
            if (auto it = known.constFind(pid); it != known.constEnd()) {
                result = *it;
                break;
            }
            chain.append(pid);
            pid = parentPid(pid);
        }
        for (qint64 p : chain)
            known.insert(p, result);
        return result;
    }

    bool hasEwmhWindowManager() {
        Connection* conn = threadConnection();
        if (!conn)
            return false;
        xcb_ewmh_connection_t* ewmh = conn->ewmh();
        auto check = reply(xcb_get_property_reply(
            conn->c(),
            getProperty(*conn, conn->root(), ewmh->_NET_SUPPORTING_WM_CHECK, XCB_ATOM_WINDOW, 1),
            nullptr));
        x11::roundTrips++;
        const auto windows = cardinalsOf(check.get());
        if (windows.empty())
            return false;
        auto own = reply(xcb_get_property_reply(
            conn->c(),
            getProperty(*conn, windows[0], ewmh->_NET_SUPPORTING_WM_CHECK, XCB_ATOM_WINDOW, 1),
            nullptr));
        x11::roundTrips++;
        const auto self = cardinalsOf(own.get());
        return !self.empty() && self[0] == windows[0];
    }

    void explainRefusal() {
        if (m_explained.exchange(true))
            return;
        const bool wayland = !qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY") &&
                             qEnvironmentVariableIsEmpty("DISPLAY");
        const QString why =
            wayland ? QStringLiteral("This is a Wayland session without an X11 display. Dexaro "
                                     "moves windows through X11, so workspaces open their "
                                     "applications but leave their windows where they appear.")
                    : QStringLiteral("No X11 display with a window manager that supports EWMH "
                                     "was found. Workspaces open their applications but leave "
                                     "their windows where they appear.");
        qWarning("Dexaro: windows cannot be placed: %s", qPrintable(why));
        if (QGuiApplication::platformName() != QLatin1String("offscreen"))
            m_alerts.warn(QStringLiteral("Dexaro positions"),
                          QStringLiteral("Windows cannot be placed"), why);
    }

    Alerts& m_alerts;
    WorkAreas& m_workAreas;
    std::atomic<bool> m_explained{false};
};

} // namespace

std::unique_ptr<AccessibilityBackend> makeX11WindowAccess(Alerts& alerts, WorkAreas& workAreas) {
    return std::make_unique<X11Backend>(alerts, workAreas);
}

} // namespace dexaro
