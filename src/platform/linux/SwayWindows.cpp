#include "platform/linux/SwayWindows.h"

#include "platform/Alerts.h"
#include "platform/linux/ProcFs.h"
#include "platform/linux/SwayIpc.h"
#include "platform/linux/WindowListeners.h"

#include <QHash>
#include <QJsonArray>
#include <QJsonObject>
#include <atomic>
#include <condition_variable>
#include <list>
#include <mutex>
#include <sys/eventfd.h>
#include <thread>
#include <unistd.h>

namespace dexaro {

namespace {

QRect rectOf(const QJsonValue& value) {
    const QJsonObject rect = value.toObject();
    return {rect.value(QStringLiteral("x")).toInt(), rect.value(QStringLiteral("y")).toInt(),
            rect.value(QStringLiteral("width")).toInt(),
            rect.value(QStringLiteral("height")).toInt()};
}

WindowKind kindOf(const QString& windowType) {
    if (windowType.isEmpty() || windowType == QLatin1String("normal"))
        return WindowKind::normal;
    if (windowType == QLatin1String("dialog"))
        return WindowKind::dialog;
    if (windowType == QLatin1String("utility") || windowType == QLatin1String("toolbar"))
        return WindowKind::utility;
    if (windowType == QLatin1String("splash"))
        return WindowKind::splash;
    return WindowKind::other;
}

// A window of the tree: a container that shows a client's surface.
struct View {
    WindowInfo info;
    QRect frame;
};

// The container's window, when it is one: a native Wayland window by its
// app_id, an XWayland one by its WM_CLASS and window type.
std::optional<View> viewOf(const QJsonObject& node, bool inScratchpad) {
    const QString type = node.value(QStringLiteral("type")).toString();
    if (type != QLatin1String("con") && type != QLatin1String("floating_con"))
        return std::nullopt;
    const QJsonValue appId = node.value(QStringLiteral("app_id"));
    const QJsonObject properties = node.value(QStringLiteral("window_properties")).toObject();
    if (!appId.isString() && properties.isEmpty())
        return std::nullopt; // a split container
    const qint64 conId = node.value(QStringLiteral("id")).toInteger();
    if (conId <= 0 || conId > qint64(std::numeric_limits<WindowId>::max()))
        return std::nullopt;
    View view;
    view.info.id = WindowId(conId);
    view.info.pid = qMax<qint64>(0, node.value(QStringLiteral("pid")).toInteger());
    if (appId.isString()) {
        // GTK and Qt name their desktop file (without ".desktop") as app_id.
        view.info.className = view.info.instanceName = view.info.applicationId = appId.toString();
    } else {
        view.info.className = properties.value(QStringLiteral("class")).toString();
        view.info.instanceName = properties.value(QStringLiteral("instance")).toString();
        view.info.kind = kindOf(properties.value(QStringLiteral("window_type")).toString());
        if (properties.value(QStringLiteral("transient_for")).toInteger() > 0 &&
            view.info.kind == WindowKind::normal)
            view.info.kind = WindowKind::dialog;
    }
    view.info.iconic = inScratchpad;
    // rect leaves out the title bar that deco_rect holds: the visible frame
    // is both, as "resize set" and "move position" take it.
    const int titleBar = qMax(0, rectOf(node.value(QStringLiteral("deco_rect"))).height());
    view.frame = rectOf(node.value(QStringLiteral("rect"))).adjusted(0, -titleBar, 0, 0);
    return view;
}

// Every window of the tree, in the order of the tree.
void collectViews(const QJsonObject& node, bool inScratchpad, QList<View>& views) {
    if (node.value(QStringLiteral("type")).toString() == QLatin1String("workspace") &&
        node.value(QStringLiteral("name")).toString() == QLatin1String("__i3_scratch"))
        inScratchpad = true;
    if (auto view = viewOf(node, inScratchpad))
        views.append(*view);
    for (const auto* key : {"nodes", "floating_nodes"})
        for (const QJsonValue& child : node.value(QLatin1String(key)).toArray())
            collectViews(child.toObject(), inScratchpad, views);
}

class SwayWindows final : public Windows {
public:
    SwayWindows(Alerts& alerts, std::unique_ptr<SwayIpc> requests, std::unique_ptr<SwayIpc> events)
        : m_alerts(alerts), m_requests(std::move(requests)), m_events(std::move(events)),
          m_wake(::eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK)) {
        // What is there already is known before the constructor returns.
        for (const View& view : readTree()) {
            Tracked tracked{view.info, view.frame};
            tracked.info.appearance = ++m_lastAppearance;
            m_tracked.insert(view.info.id, tracked);
            m_order.append(view.info.id);
        }
        m_thread = std::thread([this] { run(); });
    }

    ~SwayWindows() override {
        m_stopping = true;
        wake();
        m_thread.join();
        if (m_wake >= 0)
            ::close(m_wake);
    }

    bool isAvailable(bool prompt) override {
        const bool available = !m_ended.load() && !m_requests->isBroken();
        if (!available && prompt)
            explainEnd();
        return available;
    }

    QString placementLimit() override { return isAvailable(false) ? QString() : endText(); }

    QList<WindowInfo> windows() override {
        std::lock_guard lock(m_mutex);
        QList<WindowInfo> list;
        list.reserve(m_order.size());
        for (WindowId id : m_order)
            list.append(m_tracked.value(id).info);
        return list;
    }

    std::optional<WindowInfo> window(WindowId id) override {
        std::lock_guard lock(m_mutex);
        const auto found = m_tracked.constFind(id);
        if (found == m_tracked.cend())
            return std::nullopt;
        return found->info;
    }

    // sway sends its events to each client in order: once the tick asked for
    // here comes back on the event connection, every window mapped before it
    // has been taken in.
    quint64 appearanceMark() override {
        const quint64 tick = ++m_ticksAsked;
        if (m_requests->request(SwayIpc::Type(sendTick), tickPayload(tick), 1500)) {
            std::unique_lock lock(m_mutex);
            m_changed.wait_for(lock, std::chrono::milliseconds(1500),
                               [&] { return m_ticksSeen >= tick || m_ended.load(); });
        }
        std::lock_guard lock(m_mutex);
        return m_lastAppearance;
    }

    std::optional<QRect> frame(WindowId id) override {
        if (!isAvailable(false))
            return std::nullopt;
        for (const View& view : readTree())
            if (view.info.id == id)
                return view.frame;
        return std::nullopt;
    }

    std::optional<QRect> setFrame(WindowId id, const QRect& frame) override {
        // "resize set" and "move position" take the floating container's
        // frame, title bar and borders included. The tree shows the frame
        // asked for at once, but a client that answers an earlier size (the
        // tiled one it had when it mapped) after that makes sway take its size
        // again: the frame counts once it has stayed a moment, and is asked
        // for again when it went. sway tells nobody of such a change, so the
        // window is watched for a while after (watchPlaced).
        const QString command =
            QStringLiteral("[con_id=%1] fullscreen disable, floating enable, resize set %2 px %3 "
                           "px, move absolute position %4 px %5 px")
                .arg(id)
                .arg(qMax(1, frame.width()))
                .arg(qMax(1, frame.height()))
                .arg(frame.x())
                .arg(frame.y());
        const auto deadline = Clock::now() + std::chrono::milliseconds(1500);
        constexpr auto stable = std::chrono::milliseconds(100);
        constexpr auto answer = std::chrono::milliseconds(150);
        if (!runCommand(command))
            return this->frame(id);
        auto asked = Clock::now();
        std::optional<Clock::time_point> matched;
        std::optional<QRect> now, refused;
        int sameRefusals = 0;
        for (int requests = 1;;) {
            now = this->frame(id);
            const auto at = Clock::now();
            if (!now || at >= deadline)
                break;
            if (*now == frame) {
                if (!matched)
                    matched = at;
                if (at - *matched >= stable)
                    break;
            } else if ((matched || at - asked >= answer) && requests < 6) {
                // Taken back by the client, or not taken yet: asked again. The
                // same other frame three times over is sway's (or the
                // client's) own adjustment, and stays.
                sameRefusals = !matched && refused == now ? sameRefusals + 1 : 0;
                refused = now;
                if (sameRefusals >= 2)
                    break;
                matched.reset();
                if (!runCommand(command))
                    break;
                asked = Clock::now();
                ++requests;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        }
        if (now)
            frameChanged(id, *now);
        return now;
    }

    bool close(WindowId id) override {
        return runCommand(QStringLiteral("[con_id=%1] kill").arg(id));
    }
    // sway has no iconified windows: the scratchpad is where windows go out of sight.
    bool iconify(WindowId id) override {
        if (!runCommand(QStringLiteral("[con_id=%1] move scratchpad").arg(id)))
            return false;
        setIconic(id, true);
        return true;
    }
    bool raise(WindowId id) override { return activate(id); }
    bool activate(WindowId id) override {
        const auto info = window(id);
        if (info && info->iconic) {
            if (!runCommand(QStringLiteral("[con_id=%1] scratchpad show, focus").arg(id)))
                return false;
            setIconic(id, false);
            return true;
        }
        return runCommand(QStringLiteral("[con_id=%1] focus").arg(id));
    }

    // sway reads a client's pid from its socket: always a pid of this namespace.
    bool isOfProcessTree(qint64 windowPid, qint64 root) override {
        return procfs::isInTree(windowPid, root);
    }

    std::unique_ptr<WindowSubscription> subscribe(Listener listener) override {
        return m_listeners.add(std::move(listener));
    }

    quint64 roundTrips() const override { return m_roundTrips.load(); }

private:
    static constexpr quint32 sendTick = 10;

    struct Tracked {
        WindowInfo info;
        QRect frame;
    };

    using Clock = std::chrono::steady_clock;

    static QByteArray tickPayload(quint64 tick) { return "dexaro-" + QByteArray::number(tick); }

    QList<View> readTree() {
        ++m_roundTrips;
        const auto tree = m_requests->request(SwayIpc::getTree);
        QList<View> views;
        if (tree)
            collectViews(tree->object(), false, views);
        return views;
    }

    bool runCommand(const QString& command) {
        ++m_roundTrips;
        const auto reply = m_requests->request(SwayIpc::runCommand, command.toUtf8());
        if (!reply)
            return false;
        const QString errors = SwayIpc::commandErrors(*reply);
        if (!errors.isEmpty())
            qWarning("Dexaro: sway refused \"%s\": %s", qPrintable(command), qPrintable(errors));
        return errors.isEmpty();
    }

    void setIconic(WindowId id, bool iconic) {
        std::lock_guard lock(m_mutex);
        auto found = m_tracked.find(id);
        if (found != m_tracked.end())
            found->info.iconic = iconic;
    }

    void wake() {
        const uint64_t one = 1;
        [[maybe_unused]] const auto written = ::write(m_wake, &one, sizeof one);
    }

    // A frame set here is told from the event thread, in order with sway's
    // events, and the window is watched from there for a while.
    void frameChanged(WindowId id, const QRect& frame) {
        {
            std::lock_guard lock(m_mutex);
            m_framesSet.append({id, frame});
            m_watched.insert(id, Clock::now() + watchFor);
        }
        wake();
    }

    // sway reports no change of a window's size or place that a client or a
    // relayout makes. Windows placed in the last few seconds (while a placer
    // keeps them in place) are read from the tree every 50 ms, and a change
    // is told as a move.
    static constexpr auto watchFor = std::chrono::milliseconds(4000);
    static constexpr auto watchEvery = std::chrono::milliseconds(50);

    bool watchPlaced() {
        QList<WindowId> ids;
        {
            std::lock_guard lock(m_mutex);
            const auto now = Clock::now();
            for (auto it = m_watched.begin(); it != m_watched.end();)
                it = it.value() <= now ? m_watched.erase(it) : std::next(it);
            if (m_watched.isEmpty())
                return false;
            if (now - m_lastWatch < watchEvery)
                return true;
            m_lastWatch = now;
            ids = m_watched.keys();
        }
        for (const View& view : readTree())
            if (ids.contains(view.info.id))
                moved(view.info.id, view.frame);
        return true;
    }

    void run() {
        bool watching = false;
        while (!m_stopping) {
            const auto message = m_events->next(watching ? 10 : 1000, m_wake);
            uint64_t count;
            while (::read(m_wake, &count, sizeof count) > 0) {
            }
            takeFramesSet();
            watching = watchPlaced();
            if (message)
                take(*message);
            else if (m_events->isBroken())
                return ended();
        }
    }

    void takeFramesSet() {
        QList<std::pair<WindowId, QRect>> frames;
        {
            std::lock_guard lock(m_mutex);
            frames.swap(m_framesSet);
        }
        for (const auto& [id, frame] : frames)
            moved(id, frame);
    }

    void moved(WindowId id, const QRect& frame) {
        WindowEvent event;
        {
            std::lock_guard lock(m_mutex);
            auto found = m_tracked.find(id);
            if (found == m_tracked.end() || found->frame == frame)
                return;
            found->frame = frame;
            event = {WindowEvent::Type::moved, found->info, frame, false};
        }
        notify(event);
    }

    void take(const SwayIpc::Message& message) {
        const QJsonObject payload = QJsonDocument::fromJson(message.payload).object();
        if (message.type == SwayIpc::shutdownEvent)
            return ended();
        if (message.type == (SwayIpc::eventBit | 7)) { // tick
            const QByteArray tick = payload.value(QStringLiteral("payload")).toString().toUtf8();
            if (tick.startsWith("dexaro-")) {
                std::lock_guard lock(m_mutex);
                m_ticksSeen = qMax(m_ticksSeen, tick.mid(7).toULongLong());
                m_changed.notify_all();
            }
            return;
        }
        if (message.type != SwayIpc::windowEvent)
            return;
        const QString change = payload.value(QStringLiteral("change")).toString();
        const QJsonObject container = payload.value(QStringLiteral("container")).toObject();
        const auto view = viewOf(container, false);
        if (!view)
            return;
        const WindowId id = view->info.id;
        if (change == QLatin1String("new")) {
            WindowEvent event;
            {
                std::lock_guard lock(m_mutex);
                if (m_tracked.contains(id))
                    return;
                Tracked tracked{view->info, view->frame};
                tracked.info.appearance = ++m_lastAppearance;
                m_tracked.insert(id, tracked);
                m_order.prepend(id);
                event = {WindowEvent::Type::appeared, tracked.info, view->frame, false};
                m_changed.notify_all();
            }
            notify(event);
        } else if (change == QLatin1String("close")) {
            WindowEvent event;
            {
                std::lock_guard lock(m_mutex);
                const auto found = m_tracked.constFind(id);
                if (found == m_tracked.cend())
                    return;
                event = {WindowEvent::Type::gone, found->info, found->frame, false};
                m_tracked.erase(found);
                m_order.removeOne(id);
            }
            notify(event);
        } else {
            if (change == QLatin1String("focus")) {
                std::lock_guard lock(m_mutex);
                if (m_order.removeOne(id))
                    m_order.prepend(id);
            }
            changed(*view);
            if (change == QLatin1String("floating") || change == QLatin1String("move") ||
                change == QLatin1String("fullscreen_mode"))
                moved(id, view->frame);
        }
    }

    // The window's identifying properties as the event gives them; iconic is
    // only known from the tree.
    void changed(const View& view) {
        WindowEvent event;
        {
            std::lock_guard lock(m_mutex);
            auto found = m_tracked.find(view.info.id);
            if (found == m_tracked.end())
                return;
            WindowInfo info = view.info;
            info.appearance = found->info.appearance;
            info.iconic = found->info.iconic;
            if (info == found->info)
                return;
            found->info = info;
            event = {WindowEvent::Type::changed, info, found->frame, false};
        }
        notify(event);
    }

    void ended() {
        m_ended = true;
        {
            std::lock_guard lock(m_mutex);
            m_changed.notify_all();
        }
        explainEnd();
    }

    static QString endText() {
        return QStringLiteral("The connection to sway ended (sway quit or restarted). Workspaces "
                              "still open their applications, links and files, but their windows "
                              "stay where they appear until Dexaro is started again.");
    }

    void explainEnd() {
        if (m_explained.exchange(true))
            return;
        qWarning("Dexaro: windows cannot be placed: %s", qPrintable(endText()));
        if (!m_stopping)
            m_alerts.warn(QStringLiteral("Dexaro positions"),
                          QStringLiteral("Windows cannot be placed"), endText());
    }

    void notify(const WindowEvent& event) { m_listeners.notify(event); }

    Alerts& m_alerts;
    std::unique_ptr<SwayIpc> m_requests;
    std::unique_ptr<SwayIpc> m_events; // event thread only
    int m_wake = -1;
    std::thread m_thread;
    std::atomic<bool> m_stopping{false};
    std::atomic<bool> m_ended{false};
    std::atomic<bool> m_explained{false};
    std::atomic<quint64> m_roundTrips{0};
    std::atomic<quint64> m_ticksAsked{0};

    std::mutex m_mutex; // guards what follows
    std::condition_variable m_changed;
    QHash<WindowId, Tracked> m_tracked;
    QList<WindowId> m_order; // front to back, as focus last moved
    quint64 m_lastAppearance = 0;
    quint64 m_ticksSeen = 0;
    QList<std::pair<WindowId, QRect>> m_framesSet;
    QHash<WindowId, Clock::time_point> m_watched; // until when
    Clock::time_point m_lastWatch;

    WindowListeners m_listeners;
};

} // namespace

std::unique_ptr<Windows> makeSwayWindows(Alerts& alerts, const QString& socketPath) {
    QString error;
    auto requests = SwayIpc::connect(socketPath, &error);
    auto events = requests ? SwayIpc::connect(socketPath, &error) : nullptr;
    if (!events) {
        qWarning("Dexaro: %s", qPrintable(error));
        return nullptr;
    }
    const auto subscribed = events->request(SwayIpc::subscribe, R"(["window","shutdown","tick"])");
    if (!subscribed || !subscribed->object().value(QStringLiteral("success")).toBool()) {
        qWarning("Dexaro: sway's IPC at %s refused window events", qPrintable(socketPath));
        return nullptr;
    }
    return std::make_unique<SwayWindows>(alerts, std::move(requests), std::move(events));
}

} // namespace dexaro
