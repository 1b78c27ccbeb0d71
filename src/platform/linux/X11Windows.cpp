// The window layer over X11: EWMH window-manager hints through xcb.
//
// It owns two connections. The event connection belongs to the layer's own
// thread: it follows the root window's client list and, on every managed
// window, its structure and property events, keeps what it read of each window
// and tells the listeners. The request connection serves every caller's
// reads and requests (xcb is safe to share between threads); a caller that
// waits for the window manager's answer waits on what the event thread reads.
#include "platform/linux/X11Windows.h"

#include "platform/Alerts.h"
#include "platform/WorkAreas.h"
#include "platform/linux/ProcFs.h"
#include "platform/linux/WindowListeners.h"
#include "platform/linux/X11Connection.h"

#include <QGuiApplication>
#include <QHash>
#include <QSet>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdlib>
#include <cstring>
#include <list>
#include <mutex>
#include <poll.h>
#include <sys/eventfd.h>
#include <thread>
#include <unistd.h>
#include <xcb/xcb.h>
#include <xcb/xcb_ewmh.h>
#include <xcb/xcb_icccm.h>

namespace dexaro {
namespace {

using Clock = std::chrono::steady_clock;
using x11::cardinalsOf;
using x11::Connection;
using x11::getProperty;
using x11::reply;

// How long a change waits for the window manager's answer.
constexpr int answerTimeoutMs = 1500;
// Once the window manager has begun to answer, it is taken as finished when
// the window has had no further change for this long.
constexpr int settleMs = 250;
// ICCCM WM_STATE value of an iconified window.
constexpr uint32_t iconicState = 3;
constexpr auto fromPager = XCB_EWMH_CLIENT_SOURCE_TYPE_OTHER;
// _NET_WM_DESKTOP of a window on every desktop.
constexpr uint32_t allDesktops = 0xFFFFFFFF;

struct Extents {
    int left = 0, right = 0, top = 0, bottom = 0;
    bool operator==(const Extents&) const = default;
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

// A window's geometry as the window manager has it.
struct WindowState {
    QRect client; // root coordinates
    Extents frame;
    Extents gtk;
    bool hasFrameExtents = false;
    bool maximizedOrFullscreen = false;
    bool fullscreen = false;
    std::optional<uint32_t> desktop; // _NET_WM_DESKTOP; 0xFFFFFFFF: all
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

// Atoms beyond the EWMH set.
struct Atoms {
    xcb_atom_t gtkFrameExtents = XCB_ATOM_NONE;
    xcb_atom_t gtkApplicationId = XCB_ATOM_NONE;
    xcb_atom_t startupId = XCB_ATOM_NONE;
    xcb_atom_t wmState = XCB_ATOM_NONE;
    xcb_atom_t clientLeader = XCB_ATOM_NONE;
    xcb_atom_t changeState = XCB_ATOM_NONE;

    explicit Atoms(Connection& conn) {
        const char* names[] = {"_GTK_FRAME_EXTENTS", "_GTK_APPLICATION_ID", "_NET_STARTUP_ID",
                               "WM_STATE",           "WM_CLIENT_LEADER",    "WM_CHANGE_STATE"};
        xcb_atom_t* targets[] = {&gtkFrameExtents, &gtkApplicationId, &startupId,
                                 &wmState,         &clientLeader,     &changeState};
        xcb_intern_atom_cookie_t cookies[6];
        for (int i = 0; i < 6; ++i)
            cookies[i] = xcb_intern_atom(conn.c(), 0, uint16_t(std::strlen(names[i])), names[i]);
        for (int i = 0; i < 6; ++i) {
            auto r = reply(xcb_intern_atom_reply(conn.c(), cookies[i], nullptr));
            *targets[i] = r ? r->atom : xcb_atom_t(XCB_ATOM_NONE);
        }
        x11::roundTrips++;
    }
};

QString textOf(xcb_get_property_reply_t* r) {
    if (!r || r->format != 8 || r->type == XCB_ATOM_NONE)
        return {};
    const int length = xcb_get_property_value_length(r);
    QByteArray bytes(static_cast<const char*>(xcb_get_property_value(r)), length);
    if (const int nul = bytes.indexOf('\0'); nul >= 0)
        bytes.truncate(nul);
    return QString::fromUtf8(bytes);
}

// Reads a window's geometry in one round trip. nullopt when the window is gone.
std::optional<WindowState> readWindowState(Connection& conn, const Atoms& atoms,
                                           xcb_window_t window) {
    xcb_ewmh_connection_t* ewmh = conn.ewmh();
    const auto translateCookie = xcb_translate_coordinates(conn.c(), window, conn.root(), 0, 0);
    const auto geometryCookie = xcb_get_geometry(conn.c(), window);
    const auto frameCookie =
        getProperty(conn, window, ewmh->_NET_FRAME_EXTENTS, XCB_ATOM_CARDINAL, 4);
    const auto gtkCookie = getProperty(conn, window, atoms.gtkFrameExtents, XCB_ATOM_CARDINAL, 4);
    const auto stateCookie = getProperty(conn, window, ewmh->_NET_WM_STATE, XCB_ATOM_ATOM);
    const auto hintsCookie = xcb_icccm_get_wm_normal_hints_unchecked(conn.c(), window);
    const auto desktopCookie =
        getProperty(conn, window, ewmh->_NET_WM_DESKTOP, XCB_ATOM_CARDINAL, 1);
    auto translated = reply(xcb_translate_coordinates_reply(conn.c(), translateCookie, nullptr));
    auto geometry = reply(xcb_get_geometry_reply(conn.c(), geometryCookie, nullptr));
    auto frame = reply(xcb_get_property_reply(conn.c(), frameCookie, nullptr));
    auto gtk = reply(xcb_get_property_reply(conn.c(), gtkCookie, nullptr));
    auto state = reply(xcb_get_property_reply(conn.c(), stateCookie, nullptr));
    auto desktop = reply(xcb_get_property_reply(conn.c(), desktopCookie, nullptr));
    xcb_size_hints_t hints{};
    if (!xcb_icccm_get_wm_normal_hints_reply(conn.c(), hintsCookie, &hints, nullptr))
        hints = xcb_size_hints_t{};
    x11::roundTrips++;
    if (!translated || !geometry)
        return std::nullopt;
    WindowState s;
    s.client = QRect(translated->dst_x, translated->dst_y, geometry->width, geometry->height);
    s.hints = hints;
    if (const auto values = cardinalsOf(desktop.get()); !values.empty())
        s.desktop = values[0];
    const auto frameValues = cardinalsOf(frame.get());
    s.hasFrameExtents = frameValues.size() >= 4;
    s.frame = extentsOf(frameValues);
    if (atoms.gtkFrameExtents != XCB_ATOM_NONE)
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

// What identifies a window, in one round trip (two when its startup id is on
// its group leader). nullopt when the window is gone.
std::optional<WindowInfo> readWindowInfo(Connection& conn, const Atoms& atoms,
                                         xcb_window_t window) {
    xcb_ewmh_connection_t* ewmh = conn.ewmh();
    const auto pidCookie = getProperty(conn, window, ewmh->_NET_WM_PID, XCB_ATOM_CARDINAL, 1);
    const auto classCookie = xcb_icccm_get_wm_class(conn.c(), window);
    const auto appIdCookie = getProperty(conn, window, atoms.gtkApplicationId, XCB_ATOM_ANY, 256);
    const auto startupCookie = getProperty(conn, window, atoms.startupId, XCB_ATOM_ANY, 256);
    const auto typeCookie = getProperty(conn, window, ewmh->_NET_WM_WINDOW_TYPE, XCB_ATOM_ATOM, 16);
    const auto transientCookie =
        getProperty(conn, window, XCB_ATOM_WM_TRANSIENT_FOR, XCB_ATOM_WINDOW, 1);
    const auto stateCookie = getProperty(conn, window, atoms.wmState, atoms.wmState, 2);
    const auto leaderCookie = getProperty(conn, window, atoms.clientLeader, XCB_ATOM_WINDOW, 1);
    auto pid = reply(xcb_get_property_reply(conn.c(), pidCookie, nullptr));
    xcb_icccm_get_wm_class_reply_t wmClass;
    const bool hasClass = xcb_icccm_get_wm_class_reply(conn.c(), classCookie, &wmClass, nullptr);
    auto appId = reply(xcb_get_property_reply(conn.c(), appIdCookie, nullptr));
    auto startup = reply(xcb_get_property_reply(conn.c(), startupCookie, nullptr));
    auto type = reply(xcb_get_property_reply(conn.c(), typeCookie, nullptr));
    auto transient = reply(xcb_get_property_reply(conn.c(), transientCookie, nullptr));
    auto state = reply(xcb_get_property_reply(conn.c(), stateCookie, nullptr));
    auto leader = reply(xcb_get_property_reply(conn.c(), leaderCookie, nullptr));
    x11::roundTrips++;
    if (!pid) { // every property read of a window that is gone fails
        if (hasClass)
            xcb_icccm_get_wm_class_reply_wipe(&wmClass);
        return std::nullopt;
    }
    WindowInfo info;
    info.id = window;
    if (const auto pids = cardinalsOf(pid.get()); !pids.empty())
        info.pid = qint64(pids[0]);
    if (hasClass) {
        info.instanceName = QString::fromUtf8(wmClass.instance_name);
        info.className = QString::fromUtf8(wmClass.class_name);
        xcb_icccm_get_wm_class_reply_wipe(&wmClass);
    }
    info.applicationId = textOf(appId.get());
    info.startupId = textOf(startup.get());
    const auto leaders = cardinalsOf(leader.get());
    if (info.startupId.isEmpty() && !leaders.empty() && leaders[0] != window && leaders[0]) {
        auto own = reply(xcb_get_property_reply(
            conn.c(), getProperty(conn, leaders[0], atoms.startupId, XCB_ATOM_ANY, 256), nullptr));
        x11::roundTrips++;
        info.startupId = textOf(own.get());
    }
    if (const auto transients = cardinalsOf(transient.get()); !transients.empty())
        info.transientFor = transients[0];
    const auto types = cardinalsOf(type.get());
    info.kind = info.transientFor ? WindowKind::dialog : WindowKind::normal;
    for (uint32_t t : types) { // the first type this layer knows counts
        if (t == ewmh->_NET_WM_WINDOW_TYPE_NORMAL) {
            info.kind = WindowKind::normal;
        } else if (t == ewmh->_NET_WM_WINDOW_TYPE_DIALOG) {
            info.kind = WindowKind::dialog;
        } else if (t == ewmh->_NET_WM_WINDOW_TYPE_SPLASH) {
            info.kind = WindowKind::splash;
        } else if (t == ewmh->_NET_WM_WINDOW_TYPE_UTILITY ||
                   t == ewmh->_NET_WM_WINDOW_TYPE_TOOLBAR || t == ewmh->_NET_WM_WINDOW_TYPE_MENU) {
            info.kind = WindowKind::utility;
        } else if (t == ewmh->_NET_WM_WINDOW_TYPE_DOCK || t == ewmh->_NET_WM_WINDOW_TYPE_DESKTOP ||
                   t == ewmh->_NET_WM_WINDOW_TYPE_NOTIFICATION) {
            info.kind = WindowKind::other;
        } else {
            continue;
        }
        break;
    }
    const auto states = cardinalsOf(state.get());
    info.iconic = !states.empty() && states[0] == iconicState;
    return info;
}

class X11Windows final : public Windows {
public:
    X11Windows(Alerts& alerts, WorkAreas& workAreas) : m_alerts(alerts), m_workAreas(workAreas) {
        if (qEnvironmentVariableIsEmpty("DISPLAY"))
            return;
        m_events = std::make_unique<Connection>();
        m_requests = std::make_unique<Connection>();
        if (!m_events->ok() || !m_requests->ok()) {
            m_events.reset();
            m_requests.reset();
            return;
        }
        m_eventAtoms = std::make_unique<Atoms>(*m_events);
        m_requestAtoms = std::make_unique<Atoms>(*m_requests);
        m_wake = ::eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK);
        // The client list, and the frames the window manager puts around the
        // clients: a user's drag moves the frame at once, the client hears of
        // it (a synthetic configure) often only when the drag ends.
        const uint32_t mask = XCB_EVENT_MASK_PROPERTY_CHANGE | XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY;
        xcb_change_window_attributes(m_events->c(), m_events->root(), XCB_CW_EVENT_MASK, &mask);
        refreshClientList(); // what is there already is known before the constructor returns
        m_thread = std::thread([this] { run(); });
    }

    ~X11Windows() override {
        if (m_thread.joinable()) {
            {
                std::lock_guard lock(m_mutex);
                m_stopping = true;
            }
            wake();
            m_thread.join();
        }
        if (m_wake >= 0)
            ::close(m_wake);
    }

    bool isAvailable(bool prompt) override {
        const bool available = m_requests && hasEwmhWindowManager();
        if (!available && prompt)
            explainRefusal();
        return available;
    }

    QString placementLimit() override { return isAvailable(false) ? QString() : refusalText(); }

    QList<WindowInfo> windows() override {
        std::lock_guard lock(m_mutex);
        QList<WindowInfo> list;
        list.reserve(m_order.size());
        for (WindowId id : m_order)
            if (const auto it = m_tracked.constFind(id); it != m_tracked.constEnd())
                list.append(it->info);
        return list;
    }

    std::optional<WindowInfo> window(WindowId id) override {
        std::lock_guard lock(m_mutex);
        const auto it = m_tracked.constFind(id);
        if (it == m_tracked.constEnd())
            return std::nullopt;
        return it->info;
    }

    quint64 appearanceMark() override {
        if (!m_thread.joinable())
            return 0;
        std::unique_lock lock(m_mutex);
        const quint64 ticket = ++m_syncWanted;
        lock.unlock();
        wake();
        lock.lock();
        // The event thread answers after it has read every event the server
        // sent before this call.
        m_changed.wait_for(lock, std::chrono::milliseconds(answerTimeoutMs),
                           [&] { return m_syncDone >= ticket || m_stopping || m_broken; });
        return m_lastAppearance;
    }

    std::optional<QRect> frame(WindowId id) override {
        if (!m_requests)
            return std::nullopt;
        const auto state = readWindowState(*m_requests, *m_requestAtoms, id);
        if (!state)
            return std::nullopt;
        return state->visible();
    }

    std::optional<QRect> setFrame(WindowId id, const QRect& wanted) override {
        if (!m_requests)
            return std::nullopt;
        Connection& conn = *m_requests;
        xcb_ewmh_connection_t* ewmh = conn.ewmh();
        auto state = readWindowState(conn, *m_requestAtoms, id);
        if (!state)
            return std::nullopt;
        if (state->maximizedOrFullscreen) {
            const QRect maximized = state->client;
            const quint64 since = changesOf(id);
            xcb_ewmh_request_change_wm_state(
                ewmh, conn.screenNumber(), id, XCB_EWMH_WM_STATE_REMOVE,
                ewmh->_NET_WM_STATE_MAXIMIZED_VERT, ewmh->_NET_WM_STATE_MAXIMIZED_HORZ, fromPager);
            if (state->fullscreen)
                xcb_ewmh_request_change_wm_state(
                    ewmh, conn.screenNumber(), id, XCB_EWMH_WM_STATE_REMOVE,
                    ewmh->_NET_WM_STATE_FULLSCREEN, XCB_ATOM_NONE, fromPager);
            xcb_flush(conn.c());
            // Restoring takes the window manager a state change and one or more
            // configures, in an order of its choosing: the first answer is often
            // not the last.
            followAnswer(id, since, answerTimeoutMs, [&](const WindowState& s) {
                return !s.maximizedOrFullscreen && s.client != maximized;
            });
            followAnswer(id, changesOf(id), settleMs, [](const WindowState&) { return false; });
            state = readWindowState(conn, *m_requestAtoms, id);
        }
        if (state && !state->hasFrameExtents) {
            const quint64 since = changesOf(id);
            xcb_ewmh_request_frame_extents(ewmh, conn.screenNumber(), id);
            xcb_flush(conn.c());
            followAnswer(id, since, answerTimeoutMs,
                         [](const WindowState& s) { return s.hasFrameExtents; });
            state = readWindowState(conn, *m_requestAtoms, id);
        }
        if (!state)
            return std::nullopt;

        int x = wanted.x();
        int y = wanted.y();
        // Like a desktop's window server, keep the title bar below the top
        // panel: a window asked to go above the work area stops at its top.
        if (const auto monitor = m_workAreas.monitorAt(QPoint(x, y + 1));
            monitor && y < monitor->workArea.top())
            y = monitor->workArea.top();
        const int width = wanted.width() - state->frame.left - state->frame.right +
                          state->gtk.left + state->gtk.right;
        const int height = wanted.height() - state->frame.top - state->frame.bottom +
                           state->gtk.top + state->gtk.bottom;
        if (width < 1 || height < 1)
            return state->visible();
        const QSize expected = state->constrained(QSize(width, height));
        const QRect visible = state->visible();
        const bool moves = visible.topLeft() != QPoint(x, y);
        // A size the window manager would round back to the current one gets
        // no answer from it: not asked for then.
        const bool resizes = expected != state->client.size();
        if (!moves && !resizes)
            return visible;
        auto flags = xcb_ewmh_moveresize_window_opt_flags_t(0);
        if (moves)
            flags = xcb_ewmh_moveresize_window_opt_flags_t(flags | XCB_EWMH_MOVERESIZE_WINDOW_X |
                                                           XCB_EWMH_MOVERESIZE_WINDOW_Y);
        if (resizes)
            flags = xcb_ewmh_moveresize_window_opt_flags_t(
                flags | XCB_EWMH_MOVERESIZE_WINDOW_WIDTH | XCB_EWMH_MOVERESIZE_WINDOW_HEIGHT);
        // North-west gravity, outer position and client size: a plain
        // configure would depend on the window's own gravity.
        const quint64 since = changesOf(id);
        xcb_ewmh_request_moveresize_window(ewmh, conn.screenNumber(), id, XCB_GRAVITY_NORTH_WEST,
                                           fromPager, flags, uint32_t(x - state->gtk.left),
                                           uint32_t(y - state->gtk.top), uint32_t(width),
                                           uint32_t(height));
        xcb_flush(conn.c());
        // Only a state that answers this request ends the wait early: a
        // configure still on its way from an earlier change is not the answer.
        followAnswer(id, since, answerTimeoutMs, [&](const WindowState& s) {
            return s.visible().topLeft() == QPoint(x, y) && s.client.size() == expected;
        });
        const auto answered = readWindowState(conn, *m_requestAtoms, id);
        if (!answered)
            return std::nullopt;
        return answered->visible();
    }

    int desktopCount() override {
        if (!m_requests)
            return 0;
        uint32_t count = 0;
        xcb_ewmh_connection_t* ewmh = m_requests->ewmh();
        const bool known = xcb_ewmh_get_number_of_desktops_reply(
            ewmh, xcb_ewmh_get_number_of_desktops(ewmh, m_requests->screenNumber()), &count,
            nullptr);
        x11::roundTrips++;
        return known ? int(std::min<uint32_t>(count, 1024)) : 0;
    }

    QStringList desktopNames() override {
        if (!m_requests)
            return {};
        xcb_ewmh_connection_t* ewmh = m_requests->ewmh();
        xcb_ewmh_get_utf8_strings_reply_t names{};
        if (!xcb_ewmh_get_desktop_names_reply(
                ewmh, xcb_ewmh_get_desktop_names(ewmh, m_requests->screenNumber()), &names,
                nullptr))
            return {};
        x11::roundTrips++;
        // NUL-separated, the last one NUL-terminated or not.
        const QList<QByteArray> parts =
            QByteArray(names.strings, int(names.strings_len)).split('\0');
        xcb_ewmh_get_utf8_strings_reply_wipe(&names);
        QStringList list;
        for (const QByteArray& part : parts)
            list << QString::fromUtf8(part);
        if (!list.isEmpty() && list.last().isEmpty() && names.strings_len > 0)
            list.removeLast();
        return list;
    }

    int currentDesktop() override {
        if (!m_requests)
            return -1;
        uint32_t desktop = 0;
        xcb_ewmh_connection_t* ewmh = m_requests->ewmh();
        const bool known = xcb_ewmh_get_current_desktop_reply(
            ewmh, xcb_ewmh_get_current_desktop(ewmh, m_requests->screenNumber()), &desktop,
            nullptr);
        x11::roundTrips++;
        return known ? int(desktop) : -1;
    }

    std::optional<int> desktopOf(WindowId id) override {
        if (!m_requests)
            return std::nullopt;
        const auto state = readWindowState(*m_requests, *m_requestAtoms, id);
        if (!state || !state->desktop)
            return std::nullopt;
        return *state->desktop == allDesktops ? -2 : int(*state->desktop);
    }

    bool moveToDesktop(WindowId id, int desktop) override {
        if (!m_requests || (desktop < 0 && desktop != -2) || desktop >= desktopCount())
            return false;
        const uint32_t wanted = desktop == -2 ? allDesktops : uint32_t(desktop);
        const quint64 since = changesOf(id);
        xcb_ewmh_request_change_wm_desktop(m_requests->ewmh(), m_requests->screenNumber(), id,
                                           wanted, fromPager);
        xcb_flush(m_requests->c());
        followAnswer(id, since, answerTimeoutMs,
                     [&](const WindowState& s) { return s.desktop == wanted; });
        const auto state = readWindowState(*m_requests, *m_requestAtoms, id);
        return state && state->desktop == wanted;
    }

    bool showDesktop(int desktop) override {
        if (!m_requests || desktop < 0 || desktop >= desktopCount())
            return false;
        xcb_ewmh_request_change_current_desktop(m_requests->ewmh(), m_requests->screenNumber(),
                                                uint32_t(desktop), XCB_CURRENT_TIME);
        return synced();
    }

    bool close(WindowId id) override {
        if (!m_requests)
            return false;
        xcb_ewmh_request_close_window(m_requests->ewmh(), m_requests->screenNumber(), id,
                                      XCB_CURRENT_TIME, fromPager);
        return synced();
    }

    bool iconify(WindowId id) override {
        if (!m_requests || m_requestAtoms->changeState == XCB_ATOM_NONE)
            return false;
        xcb_client_message_event_t event{};
        event.response_type = XCB_CLIENT_MESSAGE;
        event.format = 32;
        event.window = id;
        event.type = m_requestAtoms->changeState;
        event.data.data32[0] = iconicState;
        xcb_send_event(m_requests->c(), 0, m_requests->root(),
                       XCB_EVENT_MASK_SUBSTRUCTURE_REDIRECT | XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY,
                       reinterpret_cast<const char*>(&event));
        return synced();
    }

    bool raise(WindowId id) override {
        if (!m_requests)
            return false;
        xcb_ewmh_request_restack_window(m_requests->ewmh(), m_requests->screenNumber(), id,
                                        XCB_NONE, XCB_STACK_MODE_ABOVE);
        return synced();
    }

    bool activate(WindowId id) override {
        if (!m_requests)
            return false;
        xcb_ewmh_request_change_active_window(m_requests->ewmh(), m_requests->screenNumber(), id,
                                              fromPager, XCB_CURRENT_TIME, XCB_NONE);
        return synced();
    }

    bool isOfProcessTree(qint64 windowPid, qint64 root) override {
        if (windowPid <= 0 || root <= 0)
            return false;
        // A pid of this namespace: the process or one of its ancestors is root.
        if (procfs::isInTree(windowPid, root))
            return true;
        // A pid of a sandbox's namespace: a descendant of root that has that pid
        // in its own, innermost namespace.
        return sandboxPidsBelow(root, windowPid);
    }

    std::unique_ptr<WindowSubscription> subscribe(Listener listener) override {
        return m_listeners.add(std::move(listener));
    }

    quint64 roundTrips() const override { return x11::roundTrips.load(); }

private:
    struct Tracked {
        WindowInfo info;
        std::optional<WindowState> state;
        quint64 changes = 0; // counts the changes of state
    };

    void wake() {
        if (m_wake >= 0) {
            const uint64_t one = 1;
            [[maybe_unused]] const auto written = ::write(m_wake, &one, sizeof one);
        }
    }

    bool synced() {
        std::free(xcb_get_input_focus_reply(m_requests->c(), xcb_get_input_focus(m_requests->c()),
                                            nullptr));
        x11::roundTrips++;
        return !xcb_connection_has_error(m_requests->c());
    }

    // Waits until answered(state) holds after a change of the window. A window
    // manager may answer in several steps or adjust the request, so a state
    // that does not hold is taken as the final one once the window has been
    // quiet for settleMs after a change, or when timeoutMs has passed.
    // since: changesOf(id) before the request was sent, so that an answer read
    // before the wait began counts.
    template <class Answered>
    void followAnswer(WindowId id, quint64 since, int timeoutMs, Answered answered) {
        std::unique_lock lock(m_mutex);
        const auto deadline = Clock::now() + std::chrono::milliseconds(timeoutMs);
        quint64 seen = since;
        std::optional<Clock::time_point> quietBy;
        for (;;) {
            const auto until = quietBy ? std::min(deadline, *quietBy) : deadline;
            m_changed.wait_until(lock, until, [&] {
                const auto t = m_tracked.constFind(id);
                return t == m_tracked.constEnd() || t->changes != seen || m_stopping || m_broken;
            });
            const auto t = m_tracked.constFind(id);
            if (t == m_tracked.constEnd() || m_stopping || m_broken)
                return;
            if (t->changes == seen)
                return; // quiet, or out of time
            seen = t->changes;
            if (t->state && answered(*t->state))
                return;
            quietBy = Clock::now() + std::chrono::milliseconds(settleMs);
        }
    }

    // Whether a descendant of root runs in a PID namespace below this one with
    // pid as its innermost pid. Looking through the process table costs
    // milliseconds, and placements ask often while windows appear: what a look
    // found for root serves until the next window appears (a sandbox's
    // process is there before its window), and a second at most.
    bool sandboxPidsBelow(qint64 root, qint64 pid) {
        const auto now = Clock::now();
        std::lock_guard lock(m_processMutex);
        if (const auto it = m_sandboxPids.constFind(root);
            it != m_sandboxPids.constEnd() && now - it->first < std::chrono::seconds(1))
            return it->second.contains(pid);
        if (m_sandboxPids.size() > 64)
            m_sandboxPids.clear();
        QSet<qint64> pids;
        for (qint64 descendant : procfs::descendants(root)) {
            const QList<qint64> nested = procfs::namespacePids(descendant);
            if (nested.size() > 1)
                pids.insert(nested.last());
        }
        m_sandboxPids.insert(root, {now, pids});
        return pids.contains(pid);
    }

    quint64 changesOf(WindowId id) {
        std::lock_guard lock(m_mutex);
        const auto it = m_tracked.constFind(id);
        return it == m_tracked.constEnd() ? 0 : it->changes;
    }

    // The event thread.
    void run() {
        Connection& conn = *m_events;
        for (;;) {
            quint64 syncTicket = 0;
            {
                std::lock_guard lock(m_mutex);
                if (m_stopping)
                    return;
                syncTicket = m_syncWanted;
            }
            if (syncTicket > m_syncServed) {
                // Every event sent before the reply is queued once it is here.
                std::free(
                    xcb_get_input_focus_reply(conn.c(), xcb_get_input_focus(conn.c()), nullptr));
            }
            while (xcb_generic_event_t* event = xcb_poll_for_event(conn.c())) {
                handle(event);
                std::free(event);
            }
            // The request connection's only events are errors of requests
            // without replies (a window gone meanwhile): dropped.
            while (xcb_generic_event_t* event = xcb_poll_for_event(m_requests->c()))
                std::free(event);
            if (syncTicket > m_syncServed) {
                m_syncServed = syncTicket;
                std::lock_guard lock(m_mutex);
                m_syncDone = syncTicket;
                m_changed.notify_all();
            }
            if (xcb_connection_has_error(conn.c())) {
                std::lock_guard lock(m_mutex);
                m_broken = true;
                m_tracked.clear();
                m_order.clear();
                m_changed.notify_all();
                return;
            }
            pollfd fds[] = {{xcb_get_file_descriptor(conn.c()), POLLIN, 0},
                            {xcb_get_file_descriptor(m_requests->c()), POLLIN, 0},
                            {m_wake, POLLIN, 0}};
            ::poll(fds, 3, -1);
            if (fds[2].revents & POLLIN) {
                uint64_t count = 0;
                [[maybe_unused]] const auto read = ::read(m_wake, &count, sizeof count);
            }
        }
    }

    void handle(xcb_generic_event_t* event) {
        xcb_ewmh_connection_t* ewmh = m_events->ewmh();
        switch (event->response_type & 0x7f) {
        case XCB_PROPERTY_NOTIFY: {
            const auto* e = reinterpret_cast<xcb_property_notify_event_t*>(event);
            if (e->window == m_events->root()) {
                if (e->atom == ewmh->_NET_CLIENT_LIST || e->atom == ewmh->_NET_CLIENT_LIST_STACKING)
                    refreshClientList();
                return;
            }
            const Atoms& atoms = *m_eventAtoms;
            if (e->atom == ewmh->_NET_FRAME_EXTENTS || e->atom == ewmh->_NET_WM_STATE ||
                e->atom == ewmh->_NET_WM_DESKTOP || e->atom == atoms.gtkFrameExtents ||
                e->atom == XCB_ATOM_WM_NORMAL_HINTS)
                refreshState(e->window, false);
            else if (e->atom == ewmh->_NET_WM_PID || e->atom == XCB_ATOM_WM_CLASS ||
                     e->atom == atoms.gtkApplicationId || e->atom == atoms.startupId ||
                     e->atom == ewmh->_NET_WM_WINDOW_TYPE || e->atom == XCB_ATOM_WM_TRANSIENT_FOR ||
                     e->atom == atoms.wmState)
                refreshInfo(e->window);
            return;
        }
        case XCB_CONFIGURE_NOTIFY: {
            const auto* e = reinterpret_cast<xcb_configure_notify_event_t*>(event);
            if (e->window == e->event)
                refreshState(e->window, true);
            else if (const auto it = m_clientOfFrame.constFind(e->window);
                     e->event == m_events->root() && it != m_clientOfFrame.constEnd())
                refreshState(*it, true);
            return;
        }
        default:
            return;
        }
    }

    // Follows the windows the window manager lists: new ones are read and
    // announced, those no longer listed are announced gone.
    void refreshClientList() {
        Connection& conn = *m_events;
        xcb_ewmh_connection_t* ewmh = conn.ewmh();
        const auto stackingCookie =
            getProperty(conn, conn.root(), ewmh->_NET_CLIENT_LIST_STACKING, XCB_ATOM_WINDOW, 4096);
        const auto listCookie =
            getProperty(conn, conn.root(), ewmh->_NET_CLIENT_LIST, XCB_ATOM_WINDOW, 4096);
        auto stacking = reply(xcb_get_property_reply(conn.c(), stackingCookie, nullptr));
        auto list = reply(xcb_get_property_reply(conn.c(), listCookie, nullptr));
        x11::roundTrips++;
        std::vector<uint32_t> clients = cardinalsOf(list.get()); // oldest first
        std::vector<uint32_t> order = cardinalsOf(stacking.get());
        if (order.empty())
            order = clients;
        else if (clients.empty())
            clients = order;
        std::reverse(order.begin(), order.end()); // front to back

        QList<WindowId> fresh;
        {
            std::lock_guard lock(m_mutex);
            for (uint32_t id : clients)
                if (!m_tracked.contains(id))
                    fresh.append(id);
        }
        if (!fresh.isEmpty()) {
            std::lock_guard lock(m_processMutex);
            m_sandboxPids.clear(); // a new window may come from a process new since
        }
        // Events first, then the read: no change between the two is missed.
        const uint32_t mask = XCB_EVENT_MASK_STRUCTURE_NOTIFY | XCB_EVENT_MASK_PROPERTY_CHANGE;
        for (WindowId id : fresh)
            xcb_change_window_attributes(conn.c(), id, XCB_CW_EVENT_MASK, &mask);
        QList<WindowEvent> events;
        for (WindowId id : fresh) {
            auto info = readWindowInfo(conn, *m_eventAtoms, id);
            if (!info)
                continue;
            Tracked tracked;
            tracked.state = readWindowState(conn, *m_eventAtoms, id);
            // The top-level window that holds it: the window manager's frame.
            for (xcb_window_t window = id;;) {
                auto tree = reply(
                    xcb_query_tree_reply(conn.c(), xcb_query_tree(conn.c(), window), nullptr));
                x11::roundTrips++;
                if (!tree || tree->parent == XCB_NONE)
                    break;
                if (tree->parent == conn.root()) {
                    if (window != id)
                        m_clientOfFrame.insert(window, id);
                    break;
                }
                window = tree->parent;
            }
            std::lock_guard lock(m_mutex);
            info->appearance = ++m_lastAppearance;
            tracked.info = *info;
            m_tracked.insert(id, tracked);
            events.append(WindowEvent{WindowEvent::Type::appeared, *info,
                                      tracked.state ? tracked.state->visible() : QRect(), false});
        }
        {
            std::lock_guard lock(m_mutex);
            const QSet<WindowId> listed(clients.begin(), clients.end());
            for (auto it = m_tracked.begin(); it != m_tracked.end();) {
                if (listed.contains(it.key())) {
                    ++it;
                    continue;
                }
                events.append(WindowEvent{WindowEvent::Type::gone, it->info, {}, false});
                m_clientOfFrame.removeIf(
                    [&](const auto& entry) { return entry.value() == it.key(); });
                it = m_tracked.erase(it);
            }
            m_order.clear();
            for (uint32_t id : order)
                if (m_tracked.contains(id))
                    m_order.append(id);
            m_changed.notify_all();
        }
        notify(events);
    }

    void refreshInfo(WindowId id) {
        {
            std::lock_guard lock(m_mutex);
            if (!m_tracked.contains(id))
                return; // no longer managed: its last events are of no interest
        }
        auto info = readWindowInfo(*m_events, *m_eventAtoms, id);
        if (!info)
            return;
        WindowEvent event{WindowEvent::Type::changed, {}, {}, false};
        {
            std::lock_guard lock(m_mutex);
            const auto it = m_tracked.find(id);
            if (it == m_tracked.end())
                return;
            info->appearance = it->info.appearance;
            if (it->info == *info)
                return;
            it->info = *info;
            event.window = *info;
        }
        notify({event});
    }

    void refreshState(WindowId id, bool configured) {
        {
            std::lock_guard lock(m_mutex);
            if (!m_tracked.contains(id))
                return;
        }
        const auto state = readWindowState(*m_events, *m_eventAtoms, id);
        bool byUser = false;
        if (configured && state) {
            // A window moved while a button is held is moved by the user.
            auto pointer = reply(xcb_query_pointer_reply(
                m_events->c(), xcb_query_pointer(m_events->c(), m_events->root()), nullptr));
            x11::roundTrips++;
            byUser = pointer &&
                     (pointer->mask & (XCB_BUTTON_MASK_1 | XCB_BUTTON_MASK_2 | XCB_BUTTON_MASK_3));
        }
        WindowEvent event{WindowEvent::Type::moved, {}, {}, byUser};
        bool moved = false;
        {
            std::lock_guard lock(m_mutex);
            const auto it = m_tracked.find(id);
            if (it == m_tracked.end())
                return;
            const QRect before = it->state ? it->state->visible() : QRect();
            it->state = state;
            ++it->changes;
            m_changed.notify_all();
            if (state && state->visible() != before) {
                moved = true;
                event.window = it->info;
                event.frame = state->visible();
            }
        }
        if (moved)
            notify({event});
    }

    void notify(const QList<WindowEvent>& events) {
        if (events.isEmpty())
            return;
        m_listeners.notify(events);
    }

    bool hasEwmhWindowManager() {
        Connection& conn = *m_requests;
        xcb_ewmh_connection_t* ewmh = conn.ewmh();
        auto check = reply(xcb_get_property_reply(
            conn.c(),
            getProperty(conn, conn.root(), ewmh->_NET_SUPPORTING_WM_CHECK, XCB_ATOM_WINDOW, 1),
            nullptr));
        x11::roundTrips++;
        const auto windows = cardinalsOf(check.get());
        if (windows.empty())
            return false;
        auto own = reply(xcb_get_property_reply(
            conn.c(),
            getProperty(conn, windows[0], ewmh->_NET_SUPPORTING_WM_CHECK, XCB_ATOM_WINDOW, 1),
            nullptr));
        x11::roundTrips++;
        const auto self = cardinalsOf(own.get());
        return !self.empty() && self[0] == windows[0];
    }

    static QString refusalText() {
        const bool wayland = !qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY") &&
                             qEnvironmentVariableIsEmpty("DISPLAY");
        return wayland ? QStringLiteral("This is a Wayland session without an X11 display. Dexaro "
                                        "moves windows through X11, so workspaces open their "
                                        "applications but leave their windows where they appear.")
                       : QStringLiteral("No X11 display with a window manager that supports EWMH "
                                        "was found. Workspaces open their applications but leave "
                                        "their windows where they appear.");
    }

    void explainRefusal() {
        if (m_explained.exchange(true))
            return;
        const QString why = refusalText();
        qWarning("Dexaro: windows cannot be placed: %s", qPrintable(why));
        if (QGuiApplication::platformName() != QLatin1String("offscreen"))
            m_alerts.warn(QStringLiteral("Dexaro positions"),
                          QStringLiteral("Windows cannot be placed"), why);
    }

    Alerts& m_alerts;
    WorkAreas& m_workAreas;
    std::unique_ptr<Connection> m_events;
    std::unique_ptr<Connection> m_requests;
    std::unique_ptr<Atoms> m_eventAtoms;
    std::unique_ptr<Atoms> m_requestAtoms;
    int m_wake = -1;
    std::thread m_thread;
    std::atomic<bool> m_explained{false};

    std::mutex m_mutex; // guards what follows, up to the listeners
    std::condition_variable m_changed;
    QHash<WindowId, Tracked> m_tracked;
    QList<WindowId> m_order; // front to back
    quint64 m_lastAppearance = 0;
    quint64 m_syncWanted = 0;
    quint64 m_syncDone = 0;
    bool m_stopping = false;
    bool m_broken = false;
    quint64 m_syncServed = 0;                      // event thread only
    QHash<xcb_window_t, WindowId> m_clientOfFrame; // event thread only

    std::mutex m_processMutex;
    QHash<qint64, std::pair<Clock::time_point, QSet<qint64>>> m_sandboxPids; // by root

    WindowListeners m_listeners;
};

} // namespace

std::unique_ptr<Windows> makeX11Windows(Alerts& alerts, WorkAreas& workAreas) {
    return std::make_unique<X11Windows>(alerts, workAreas);
}

} // namespace dexaro
