// The window layer under GNOME Shell. The extension keeps no state of Dexaro's:
// it announces each window once it is on screen, with the shell's own 64-bit
// window id, and every later change, move and end. This layer numbers the
// windows itself (WindowId), keeps what it was told, and tells its listeners
// on its own thread, where Qt D-Bus delivers the extension's signals in the
// order the shell sent them. Requests are D-Bus calls from the caller's
// thread, each with a deadline.
#include "platform/linux/GnomeShellWindows.h"

#include "platform/Alerts.h"
#include "platform/linux/GnomeShellExtension.h"
#include "platform/linux/ProcFs.h"
#include "platform/linux/WindowListeners.h"

#include <QCoreApplication>
#include <QDBusArgument>
#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDBusReply>
#include <QGuiApplication>
#include <QHash>
#include <QThread>
#include <QVariantMap>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <list>
#include <mutex>

namespace dexaro {
namespace {

using Clock = std::chrono::steady_clock;

const QString shellService = QStringLiteral("org.gnome.Shell");
const QString windowsPath = QStringLiteral("/org/dexaro/ShellWindows");
const QString windowsInterface = QStringLiteral("org.dexaro.ShellWindows");
// The extension answers a frame request within a second and a half.
constexpr int frameTimeoutMs = 3000;
constexpr int callTimeoutMs = 1000;
// How often an unavailable layer asks the shell again at most.
constexpr auto probeInterval = std::chrono::seconds(3);

QDBusMessage windowsCall(const QString& method) {
    return QDBusMessage::createMethodCall(shellService, windowsPath, windowsInterface, method);
}

// What the extension says of a window, before this layer's numbering.
struct ShellWindow {
    quint64 shellId = 0;
    quint64 transientFor = 0;
    WindowInfo info; // id and transientFor not yet filled
    QRect frame;
};

ShellWindow shellWindowOf(const QVariantMap& m) {
    ShellWindow w;
    w.shellId = m.value(QStringLiteral("id")).toULongLong();
    w.transientFor = m.value(QStringLiteral("transient_for")).toULongLong();
    w.info.pid = m.value(QStringLiteral("pid")).toLongLong();
    // Under Wayland the shell gives the app_id as WM_CLASS.
    w.info.className = m.value(QStringLiteral("wm_class")).toString();
    w.info.instanceName = m.value(QStringLiteral("wm_class_instance")).toString();
    if (w.info.instanceName.isEmpty())
        w.info.instanceName = w.info.className;
    w.info.applicationId = m.value(QStringLiteral("gtk_application_id")).toString();
    if (w.info.applicationId.isEmpty())
        w.info.applicationId = m.value(QStringLiteral("sandboxed_app_id")).toString();
    // The startup-notification or activation token the client was started with.
    w.info.startupId = m.value(QStringLiteral("startup_id")).toString();
    const uint kind = m.value(QStringLiteral("kind")).toUInt();
    w.info.kind = kind <= uint(WindowKind::other) ? WindowKind(kind) : WindowKind::other;
    w.info.iconic = m.value(QStringLiteral("minimized")).toBool();
    w.frame =
        QRect(m.value(QStringLiteral("x")).toInt(), m.value(QStringLiteral("y")).toInt(),
              m.value(QStringLiteral("width")).toInt(), m.value(QStringLiteral("height")).toInt());
    return w;
}

QList<QVariantMap> mapsOf(const QVariant& value) {
    QList<QVariantMap> maps;
    if (!value.canConvert<QDBusArgument>())
        return maps;
    const QDBusArgument argument = value.value<QDBusArgument>();
    argument.beginArray();
    while (!argument.atEnd()) {
        QVariantMap map;
        argument >> map;
        maps.append(map);
    }
    argument.endArray();
    return maps;
}

class GnomeShellWindows;

// Lives on the layer's thread: Qt D-Bus calls its slots there.
class Receiver : public QObject {
    Q_OBJECT
public:
    explicit Receiver(GnomeShellWindows& owner) : m_owner(owner) {}
public slots:
    void appeared(const QVariantMap& window);
    void changed(const QVariantMap& window);
    void moved(qulonglong id, int x, int y, int width, int height, bool byUser);
    void gone(qulonglong id);
    void ownerChanged(const QString& name, const QString& oldOwner, const QString& newOwner);

private:
    GnomeShellWindows& m_owner;
};

class GnomeShellWindows final : public Windows {
public:
    explicit GnomeShellWindows(Alerts& alerts) : m_alerts(alerts) {
        m_receiver = std::make_unique<Receiver>(*this);
        m_receiver->moveToThread(&m_thread);
        m_thread.setObjectName(QStringLiteral("GnomeShellWindows"));
        m_thread.start();
        QDBusConnection bus = QDBusConnection::sessionBus();
        const auto listen = [&](const char* name, const char* slot) {
            bus.connect(shellService, windowsPath, windowsInterface, QString::fromLatin1(name),
                        m_receiver.get(), slot);
        };
        listen("WindowAppeared", SLOT(appeared(QVariantMap)));
        listen("WindowChanged", SLOT(changed(QVariantMap)));
        listen("WindowMoved", SLOT(moved(qulonglong, int, int, int, int, bool)));
        listen("WindowGone", SLOT(gone(qulonglong)));
        bus.connect(QStringLiteral("org.freedesktop.DBus"), QStringLiteral("/org/freedesktop/DBus"),
                    QStringLiteral("org.freedesktop.DBus"), QStringLiteral("NameOwnerChanged"),
                    {shellService}, QString(), m_receiver.get(),
                    SLOT(ownerChanged(QString, QString, QString)));
        // What is there already is known before the constructor returns.
        probe();
    }

    ~GnomeShellWindows() override {
        QDBusConnection bus = QDBusConnection::sessionBus();
        for (const char* name : {"WindowAppeared", "WindowChanged", "WindowMoved", "WindowGone"})
            bus.disconnect(shellService, windowsPath, windowsInterface, QString::fromLatin1(name),
                           m_receiver.get(), nullptr);
        bus.disconnect(QStringLiteral("org.freedesktop.DBus"),
                       QStringLiteral("/org/freedesktop/DBus"),
                       QStringLiteral("org.freedesktop.DBus"), QStringLiteral("NameOwnerChanged"),
                       m_receiver.get(), nullptr);
        {
            std::lock_guard lock(m_mutex);
            m_stopping = true;
        }
        m_changed.notify_all();
        m_thread.quit();
        m_thread.wait();
    }

    bool isAvailable(bool prompt) override {
        if (m_running.load())
            return true;
        bool probeNow = false;
        {
            std::lock_guard lock(m_mutex);
            if (Clock::now() - m_lastProbe >= probeInterval) {
                m_lastProbe = Clock::now();
                probeNow = true;
            }
        }
        if (probeNow)
            probe();
        if (!m_running.load() && prompt)
            explainRefusal();
        return m_running.load();
    }

    QString placementLimit() override {
        if (isAvailable(false))
            return {};
        std::lock_guard lock(m_mutex);
        return gnomeshell::explain(m_status);
    }

    QList<WindowInfo> windows() override {
        std::lock_guard lock(m_mutex);
        QList<WindowInfo> list;
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
        if (!m_running.load() || QThread::currentThread() == &m_thread)
            return currentMark();
        // Every signal the shell sent before it answers is queued to the
        // layer's thread before the answer; a marker queued after it is
        // reached once they are handled.
        m_roundTrips++;
        QDBusConnection::sessionBus().call(windowsCall(QStringLiteral("Version")), QDBus::Block,
                                           callTimeoutMs);
        std::unique_lock lock(m_mutex);
        const quint64 ticket = ++m_markWanted;
        lock.unlock();
        QMetaObject::invokeMethod(
            m_receiver.get(),
            [this, ticket] {
                {
                    std::lock_guard inner(m_mutex);
                    m_markDone = std::max(m_markDone, ticket);
                }
                m_changed.notify_all();
            },
            Qt::QueuedConnection);
        lock.lock();
        m_changed.wait_for(lock, std::chrono::milliseconds(callTimeoutMs),
                           [&] { return m_markDone >= ticket || m_stopping; });
        return m_lastAppearance;
    }

    std::optional<QRect> frame(WindowId id) override {
        std::lock_guard lock(m_mutex);
        const auto it = m_tracked.constFind(id);
        if (it == m_tracked.constEnd())
            return std::nullopt;
        return it->frame;
    }

    std::optional<QRect> setFrame(WindowId id, const QRect& wanted) override {
        const auto shellId = shellIdOf(id);
        if (!shellId)
            return std::nullopt;
        QDBusMessage call = windowsCall(QStringLiteral("MoveResize"));
        call << qulonglong(*shellId) << wanted.x() << wanted.y() << wanted.width()
             << wanted.height();
        m_roundTrips++;
        const QDBusMessage answer =
            QDBusConnection::sessionBus().call(call, QDBus::Block, frameTimeoutMs);
        const QList<QVariant> args = answer.arguments();
        if (answer.type() != QDBusMessage::ReplyMessage || args.size() != 5) {
            noteError(QDBusError(answer));
            return frame(id); // no answer: what was last heard
        }
        std::lock_guard lock(m_mutex);
        const auto it = m_tracked.find(id);
        if (!args[0].toBool() || it == m_tracked.end())
            return std::nullopt;
        it->frame = QRect(args[1].toInt(), args[2].toInt(), args[3].toInt(), args[4].toInt());
        return it->frame;
    }

    bool close(WindowId id) override { return request(id, QStringLiteral("Close")); }
    bool iconify(WindowId id) override { return request(id, QStringLiteral("Minimize")); }
    bool raise(WindowId id) override { return request(id, QStringLiteral("Raise"), true); }
    bool activate(WindowId id) override { return request(id, QStringLiteral("Activate"), true); }

    bool isOfProcessTree(qint64 windowPid, qint64 root) override {
        if (windowPid <= 0 || root <= 0)
            return false;
        // The shell reads a Wayland client's pid from its socket: a pid of
        // this namespace, sandboxed or not.
        if (procfs::isInTree(windowPid, root))
            return true;
        // An X client of a sandbox (XWayland) may give its namespace's own pid.
        for (qint64 descendant : procfs::descendants(root)) {
            const QList<qint64> nested = procfs::namespacePids(descendant);
            if (nested.size() > 1 && nested.last() == windowPid)
                return true;
        }
        return false;
    }

    std::unique_ptr<WindowSubscription> subscribe(Listener listener) override {
        return m_listeners.add(std::move(listener));
    }

    quint64 roundTrips() const override { return m_roundTrips.load(); }

    // On the layer's thread.
    void onWindow(const QVariantMap& map, bool announced) {
        const ShellWindow w = shellWindowOf(map);
        if (w.shellId == 0)
            return;
        std::vector<WindowEvent> events;
        {
            std::lock_guard lock(m_mutex);
            take(w, events, announced);
        }
        tell(events);
    }

    void onMoved(quint64 shellId, const QRect& frame, bool byUser) {
        std::vector<WindowEvent> events;
        {
            std::lock_guard lock(m_mutex);
            const auto known = m_ids.constFind(shellId);
            if (known == m_ids.constEnd())
                return;
            Tracked& t = m_tracked[*known];
            if (t.frame == frame)
                return;
            t.frame = frame;
            t.changes++;
            events.push_back({WindowEvent::Type::moved, t.info, frame, byUser});
        }
        m_changed.notify_all();
        tell(events);
    }

    void onGone(quint64 shellId) {
        std::vector<WindowEvent> events;
        {
            std::lock_guard lock(m_mutex);
            forget(shellId, events);
        }
        m_changed.notify_all();
        tell(events);
    }

    // The shell left the bus or came back: what it lists now is what there is.
    void onShellOwner(bool present) {
        if (!present) {
            m_running = false;
            std::vector<WindowEvent> events;
            {
                std::lock_guard lock(m_mutex);
                for (const quint64 shellId : m_ids.keys())
                    forget(shellId, events);
            }
            tell(events);
            return;
        }
        resync();
    }

private:
    struct Tracked {
        WindowInfo info;
        quint64 shellId = 0;
        quint64 transientFor = 0; // the shell's id
        QRect frame;
        quint64 changes = 0;
    };

    quint64 currentMark() {
        std::lock_guard lock(m_mutex);
        return m_lastAppearance;
    }

    std::optional<quint64> shellIdOf(WindowId id) {
        std::lock_guard lock(m_mutex);
        const auto it = m_tracked.constFind(id);
        if (it == m_tracked.constEnd())
            return std::nullopt;
        return it->shellId;
    }

    bool request(WindowId id, const QString& method, bool toFront = false) {
        const auto shellId = shellIdOf(id);
        if (!shellId)
            return false;
        QDBusMessage call = windowsCall(method);
        call << qulonglong(*shellId);
        m_roundTrips++;
        const QDBusReply<bool> reply =
            QDBusConnection::sessionBus().call(call, QDBus::Block, callTimeoutMs);
        noteError(reply.error());
        const bool done = reply.isValid() && reply.value();
        if (done && toFront) {
            std::lock_guard lock(m_mutex);
            m_order.removeAll(id);
            m_order.prepend(id);
        }
        return done;
    }

    // An extension switched off (or a shell without it) no longer answers: the
    // layer is unavailable until a probe finds it again.
    void noteError(const QDBusError& error) {
        if (error.type() == QDBusError::UnknownObject ||
            error.type() == QDBusError::UnknownMethod ||
            error.type() == QDBusError::UnknownInterface ||
            error.type() == QDBusError::ServiceUnknown)
            m_running = false;
    }

    // Records a window the shell told of (m_mutex held); events for the listeners.
    void take(const ShellWindow& w, std::vector<WindowEvent>& events, bool announced,
              bool atBack = false) {
        WindowInfo info = w.info;
        info.transientFor = m_ids.value(w.transientFor, 0);
        const auto known = m_ids.constFind(w.shellId);
        if (known == m_ids.constEnd()) {
            info.id = m_nextId++;
            if (m_nextId == 0)
                m_nextId = 1;
            info.appearance = ++m_lastAppearance;
            m_ids.insert(w.shellId, info.id);
            m_tracked.insert(info.id, Tracked{info, w.shellId, w.transientFor, w.frame, 0});
            if (atBack)
                m_order.append(info.id);
            else
                m_order.prepend(info.id);
            if (announced)
                events.push_back({WindowEvent::Type::appeared, info, {}, false});
            return;
        }
        Tracked& t = m_tracked[*known];
        info.id = t.info.id;
        info.appearance = t.info.appearance;
        if (info != t.info) {
            t.info = info;
            events.push_back({WindowEvent::Type::changed, info, {}, false});
        }
        if (w.frame != t.frame) {
            t.frame = w.frame;
            t.changes++;
            events.push_back({WindowEvent::Type::moved, info, w.frame, false});
        }
    }

    void forget(quint64 shellId, std::vector<WindowEvent>& events) {
        const auto known = m_ids.constFind(shellId);
        if (known == m_ids.constEnd())
            return;
        const WindowId id = *known;
        m_ids.erase(known);
        const Tracked t = m_tracked.take(id);
        m_order.removeAll(id);
        events.push_back({WindowEvent::Type::gone, t.info, t.frame, false});
    }

    void tell(const std::vector<WindowEvent>& events) {
        if (events.empty())
            return;
        m_listeners.notify(events);
    }

    // Asks the shell whether the extension runs, and if so reads its windows.
    void probe() {
        const gnomeshell::Status status = gnomeshell::status(callTimeoutMs);
        // An older copy of the extension, installed at the user's request by
        // an older Dexaro, is brought up to date for the next login.
        if (status.state == gnomeshell::State::outdated && !m_updated.exchange(true)) {
            const gnomeshell::InstallResult updated = gnomeshell::install();
            if (updated.changed || !updated.ok)
                qWarning("Dexaro: %s", qPrintable(updated.message));
        }
        {
            std::lock_guard lock(m_mutex);
            m_status = status;
            m_lastProbe = Clock::now();
        }
        if (status.state == gnomeshell::State::running)
            resync();
    }

    // Replaces what is known by what the extension lists now: new windows
    // appear, windows no longer listed go.
    void resync() {
        m_roundTrips++;
        const QDBusMessage answer = QDBusConnection::sessionBus().call(
            windowsCall(QStringLiteral("List")), QDBus::Block, callTimeoutMs);
        if (answer.type() != QDBusMessage::ReplyMessage || answer.arguments().isEmpty()) {
            m_running = false;
            return;
        }
        const QList<QVariantMap> listed = mapsOf(answer.arguments().first());
        std::vector<WindowEvent> events;
        {
            std::lock_guard lock(m_mutex);
            QSet<quint64> present;
            const bool first = m_ids.isEmpty();
            for (const QVariantMap& map : listed) {
                const ShellWindow w = shellWindowOf(map);
                if (w.shellId == 0)
                    continue;
                present.insert(w.shellId);
                // Windows that were there before this layer started are no news.
                take(w, events, !first || m_everRan, true);
            }
            for (const quint64 shellId : m_ids.keys())
                if (!present.contains(shellId))
                    forget(shellId, events);
            m_everRan = true;
        }
        m_running = true;
        tell(events);
    }

    void explainRefusal() {
        gnomeshell::Status status;
        {
            std::lock_guard lock(m_mutex);
            status = m_status;
        }
        if (m_explained.exchange(true))
            return;
        const QString why = gnomeshell::explain(status);
        qWarning("Dexaro: windows cannot be placed: %s", qPrintable(why));
        if (QGuiApplication::platformName() == QLatin1String("offscreen"))
            return;
        const QString title = QStringLiteral("Dexaro positions");
        const QString message = QStringLiteral("Windows cannot be placed yet");
        const bool canInstall = status.state == gnomeshell::State::notInstalled ||
                                status.state == gnomeshell::State::outdated ||
                                status.state == gnomeshell::State::disabled;
        if (!canInstall) {
            m_alerts.warn(title, message, why);
            return;
        }
        const QString action = status.state == gnomeshell::State::disabled
                                   ? QStringLiteral("Switch On at Next Login")
                                   : QStringLiteral("Install Extension");
        // A question waits for the user: it is asked on the main thread, and
        // a launch asking from its worker goes on meanwhile.
        Alerts& alerts = m_alerts;
        const auto ask = [&alerts, title, message, why, action] {
            if (alerts.ask(title, message, why, {action, QStringLiteral("Not Now")}) == 0)
                offerExtension(alerts);
        };
        if (QThread::currentThread() == qApp->thread())
            ask();
        else
            QMetaObject::invokeMethod(qApp, ask, Qt::QueuedConnection);
    }

public:
    // Installs the extension and switches it on for the next login, and says
    // how that went.
    static void offerExtension(Alerts& alerts) {
        const gnomeshell::InstallResult installed = gnomeshell::install();
        QString error;
        if (installed.ok && !gnomeshell::enableAtLogin(&error)) {
            alerts.warn(QStringLiteral("Dexaro positions"),
                        QStringLiteral("The extension could not be switched on"),
                        installed.message + QLatin1Char(' ') + error);
            return;
        }
        if (installed.ok)
            alerts.inform(QStringLiteral("Dexaro positions"),
                          QStringLiteral("Extension ready for the next login"), installed.message);
        else
            alerts.warn(QStringLiteral("Dexaro positions"),
                        QStringLiteral("The extension could not be installed"), installed.message);
    }

private:
    Alerts& m_alerts;
    QThread m_thread;
    std::unique_ptr<Receiver> m_receiver;

    std::mutex m_mutex; // everything below up to the listeners
    std::condition_variable_any m_changed;
    QHash<quint64, WindowId> m_ids; // the shell's id -> this layer's
    QHash<WindowId, Tracked> m_tracked;
    QList<WindowId> m_order; // front to back, as far as this layer knows
    WindowId m_nextId = 1;
    quint64 m_lastAppearance = 0;
    quint64 m_markWanted = 0, m_markDone = 0;
    bool m_stopping = false;
    bool m_everRan = false;
    gnomeshell::Status m_status;
    Clock::time_point m_lastProbe{};

    std::atomic<bool> m_running{false};
    std::atomic<bool> m_explained{false};
    std::atomic<bool> m_updated{false};
    std::atomic<quint64> m_roundTrips{0};

    WindowListeners m_listeners;
};

void Receiver::appeared(const QVariantMap& window) {
    m_owner.onWindow(window, true);
}

void Receiver::changed(const QVariantMap& window) {
    m_owner.onWindow(window, true);
}

void Receiver::moved(qulonglong id, int x, int y, int width, int height, bool byUser) {
    m_owner.onMoved(id, QRect(x, y, width, height), byUser);
}

void Receiver::gone(qulonglong id) {
    m_owner.onGone(id);
}

void Receiver::ownerChanged(const QString& name, const QString&, const QString& newOwner) {
    if (name == shellService)
        m_owner.onShellOwner(!newOwner.isEmpty());
}

} // namespace

std::unique_ptr<Windows> makeGnomeShellWindows(Alerts& alerts) {
    QDBusConnectionInterface* bus = QDBusConnection::sessionBus().interface();
    if (!bus || !bus->isServiceRegistered(shellService).value())
        return nullptr;
    return std::make_unique<GnomeShellWindows>(alerts);
}

void offerGnomeShellExtension(Alerts& alerts) {
    GnomeShellWindows::offerExtension(alerts);
}

} // namespace dexaro

#include "GnomeShellWindows.moc"
