#include "platform/linux/KWinWindows.h"

#include "platform/Alerts.h"
#include "platform/linux/ProcFs.h"
#include "platform/linux/WindowListeners.h"

#include <QCoreApplication>
#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusContext>
#include <QDBusMessage>
#include <QDBusServiceWatcher>
#include <QDir>
#include <QFile>
#include <QHash>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QStandardPaths>
#include <QThread>
#include <QTimer>
#include <QUuid>
#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <list>
#include <map>
#include <mutex>
#include <sys/stat.h>
#include <unistd.h>

namespace dexaro {
namespace {

using namespace std::chrono_literals;

const QString kwinService = QStringLiteral("org.kde.KWin");
const QString bridgePath = QStringLiteral("/org/dexaro/KWinBridge");
const QString bridgeInterface = QStringLiteral("org.dexaro.KWinBridge");
const QString pluginName = QStringLiteral("dexaro-windows");
constexpr int callTimeoutMs = 2000;
// How long the script's "next" call is held when there is nothing to ask:
// well below the 25 s after which KWin gives up on the call (and the script
// would stop asking).
constexpr int pollHoldMs = 10000;
constexpr int stallGraceMs = 10000;
constexpr auto helloTimeout = 4s;
constexpr auto frameTimeout = 1500ms;
constexpr auto syncTimeout = 1s;

QDBusMessage callKWin(const QDBusConnection& bus, const QString& path, const QString& interface,
                      const QString& method, const QVariantList& args = {}) {
    QDBusMessage message = QDBusMessage::createMethodCall(kwinService, path, interface, method);
    message.setArguments(args);
    return bus.call(message, QDBus::Block, callTimeoutMs);
}

// The folder of Dexaro's own in the runtime folder, made private; empty and
// a reason when it is not the user's alone.
QString privateRuntimeFolder(QString* error) {
    const QString runtime = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
    if (runtime.isEmpty()) {
        *error = QStringLiteral("The session has no runtime folder (XDG_RUNTIME_DIR).");
        return {};
    }
    const QString folder = runtime + QStringLiteral("/dexaro");
    const QByteArray path = QFile::encodeName(folder);
    if (::mkdir(path.constData(), 0700) != 0 && errno != EEXIST) {
        *error = QStringLiteral("%1 could not be made: %2").arg(folder, qt_error_string(errno));
        return {};
    }
    struct stat st {};
    if (::lstat(path.constData(), &st) != 0 || !S_ISDIR(st.st_mode) || st.st_uid != ::geteuid() ||
        (st.st_mode & 077) != 0) {
        *error = QStringLiteral("%1 is not a folder that only you can write to; Dexaro loads "
                                "nothing from it.")
                     .arg(folder);
        return {};
    }
    return folder;
}

WindowKind kindOf(const QString& name) {
    if (name == QLatin1String("normal"))
        return WindowKind::normal;
    if (name == QLatin1String("dialog"))
        return WindowKind::dialog;
    if (name == QLatin1String("utility"))
        return WindowKind::utility;
    if (name == QLatin1String("splash"))
        return WindowKind::splash;
    return WindowKind::other;
}

QRect frameOf(const QJsonObject& window) {
    return QRect(window.value(QLatin1String("x")).toInt(), window.value(QLatin1String("y")).toInt(),
                 window.value(QLatin1String("width")).toInt(),
                 window.value(QLatin1String("height")).toInt());
}

class KWinWindows;

// The D-Bus object the script calls, on the backend's own thread.
class Bridge : public QObject, protected QDBusContext {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.dexaro.KWinBridge")
public:
    explicit Bridge(KWinWindows& owner) : m_owner(owner) {}

public slots:
    Q_SCRIPTABLE void report(const QString& json);
    // Answered (later) with the requests waiting, a JSON array.
    Q_SCRIPTABLE QString next();
    void flush();
    void kwinOwnerChanged(const QString& service, const QString& oldOwner, const QString& newOwner);

public:
    // Has KWin, whose bus name is owner, run the script; retried while KWin
    // is not ready for it.
    void reload(const QString& owner, int attempt);

private:
    bool fromKWin();
    KWinWindows& m_owner;
    std::optional<QDBusMessage> m_held;
    QTimer* m_holdTimer = nullptr;
    QTimer* m_stalled = nullptr;
};

class KWinWindows final : public Windows {
public:
    KWinWindows(Alerts& alerts, const QString& busAddress)
        : m_alerts(alerts),
          m_bus(busAddress.isEmpty()
                    ? QDBusConnection::connectToBus(QDBusConnection::SessionBus, connectionName())
                    : QDBusConnection::connectToBus(busAddress, connectionName())) {
        m_thread.setObjectName(QStringLiteral("KWinWindows"));
        m_bridge = new Bridge(*this);
        m_bridge->moveToThread(&m_thread);
        QObject::connect(&m_thread, &QThread::finished, m_bridge, &QObject::deleteLater);
        m_thread.start();
    }

    ~KWinWindows() override {
        // Only a script this backend loaded: another's (a second Dexaro's) stays.
        if (m_bus.isConnected() && m_loaded)
            callKWin(m_bus, QStringLiteral("/Scripting"), QStringLiteral("org.kde.kwin.Scripting"),
                     QStringLiteral("unloadScript"), {pluginName});
        m_bus.unregisterObject(bridgePath);
        m_thread.quit();
        m_thread.wait();
        QDBusConnection::disconnectFromBus(m_bus.name());
    }

    QString connectionName() const {
        return QStringLiteral("dexaro-kwin-%1").arg(quintptr(this), 0, 16);
    }

    // Loads the script and waits for its first report. False when KWin is not
    // on the bus at all.
    bool start() {
        if (!m_bus.isConnected())
            return false;
        const QDBusMessage owner =
            m_bus.call(QDBusMessage::createMethodCall(QStringLiteral("org.freedesktop.DBus"),
                                                      QStringLiteral("/org/freedesktop/DBus"),
                                                      QStringLiteral("org.freedesktop.DBus"),
                                                      QStringLiteral("GetNameOwner"))
                           << kwinService,
                       QDBus::Block, callTimeoutMs);
        if (owner.type() != QDBusMessage::ReplyMessage)
            return false;
        if (!m_bus.registerObject(bridgePath, m_bridge, QDBusConnection::ExportScriptableSlots)) {
            fail(QStringLiteral("Dexaro's window bridge could not be put on the session bus."));
            return true;
        }
        auto* watcher =
            new QDBusServiceWatcher(kwinService, m_bus, QDBusServiceWatcher::WatchForOwnerChange);
        watcher->moveToThread(&m_thread);
        watcher->setParent(m_bridge);
        QObject::connect(watcher, &QDBusServiceWatcher::serviceOwnerChanged, m_bridge,
                         &Bridge::kwinOwnerChanged);
        {
            std::lock_guard lock(m_mutex);
            m_loading = true;
        }
        const QString name = owner.arguments().value(0).toString();
        QMetaObject::invokeMethod(m_bridge, [this, name] { m_bridge->reload(name, 0); });
        std::unique_lock lock(m_mutex);
        m_changed.wait_for(lock, helloTimeout,
                           [&] { return m_ready || (!m_loading && !m_error.isEmpty()); });
        if (!m_ready && m_error.isEmpty())
            m_error = QStringLiteral("KWin loaded Dexaro's window script, but the script did not "
                                     "report. KWin's log may say why.");
        return true;
    }

    // Writes the script and has KWin, whose bus name is owner, run it. Any
    // thread; does not wait for the script's report.
    // False when it failed (the reason is kept for isAvailable()).
    bool load(const QString& owner) {
        {
            std::lock_guard lock(m_mutex);
            m_kwinOwner = owner;
            m_error.clear();
            m_ready = false;
        }
        QString error;
        const QString folder = privateRuntimeFolder(&error);
        if (folder.isEmpty())
            return fail(error);
        QFile resource(QStringLiteral(":/kwin/dexaro-windows.js"));
        if (!resource.open(QIODevice::ReadOnly))
            return fail(QStringLiteral("Dexaro's window script is missing from the program."));
        QByteArray text = resource.readAll();
        text.replace("@DEXARO_SERVICE@", m_bus.baseService().toUtf8());
        text.replace("@DEXARO_PATH@", bridgePath.toUtf8());
        const QString path =
            folder + QStringLiteral("/kwin-windows-%1.js").arg(QCoreApplication::applicationPid());
        QFile::remove(path);
        QFile file(path);
        if (!file.open(QIODevice::WriteOnly | QIODevice::NewOnly,
                       QFile::ReadOwner | QFile::WriteOwner) ||
            file.write(text) != text.size() || !file.flush())
            return fail(
                QStringLiteral("%1 could not be written: %2").arg(path, file.errorString()));
        file.close();
        {
            std::lock_guard lock(m_mutex);
            m_scriptFile = path;
        }
        const QString scripting = QStringLiteral("org.kde.kwin.Scripting");
        // A script left by an earlier Dexaro that ended without unloading it.
        callKWin(m_bus, QStringLiteral("/Scripting"), scripting, QStringLiteral("unloadScript"),
                 {pluginName});
        const QDBusMessage loaded = callKWin(m_bus, QStringLiteral("/Scripting"), scripting,
                                             QStringLiteral("loadScript"), {path, pluginName});
        if (loaded.type() != QDBusMessage::ReplyMessage ||
            loaded.arguments().value(0).toInt() < 0) {
            QFile::remove(path);
            return fail(QStringLiteral("KWin did not load Dexaro's window script: %1")
                            .arg(loaded.errorMessage().isEmpty()
                                     ? QStringLiteral("it refused the script")
                                     : loaded.errorMessage()),
                        true);
        }
        m_loaded = true;
        const QDBusMessage started =
            callKWin(m_bus, QStringLiteral("/Scripting"), scripting, QStringLiteral("start"));
        if (started.type() != QDBusMessage::ReplyMessage)
            return fail(QStringLiteral("KWin did not start Dexaro's window script: %1")
                            .arg(started.errorMessage()),
                        true);
        return true;
    }

    bool fail(const QString& error, bool byKWin = false) {
        qWarning("Dexaro: %s", qPrintable(error));
        std::lock_guard lock(m_mutex);
        m_error = error;
        m_refusedByKWin = byKWin;
        m_changed.notify_all();
        return false;
    }
    // Whether the last load failed in a call to KWin (which may answer later).
    bool refusedByKWin() {
        std::lock_guard lock(m_mutex);
        return m_refusedByKWin;
    }
    void loadingEnded() {
        std::lock_guard lock(m_mutex);
        m_loading = false;
        m_changed.notify_all();
    }
    QString kwinOwner() {
        std::lock_guard lock(m_mutex);
        return m_kwinOwner;
    }

    bool isAvailable(bool prompt) override {
        QString error;
        {
            std::lock_guard lock(m_mutex);
            if (m_ready)
                return true;
            error = m_error;
            if (!prompt || m_explained)
                return false;
            m_explained = true;
        }
        m_alerts.warn(QStringLiteral("Windows cannot be placed"),
                      QStringLiteral("Dexaro cannot move or close windows in this KWin session."),
                      error + QStringLiteral(" Applications, links and files still open."));
        return false;
    }

    QString placementLimit() override {
        std::lock_guard lock(m_mutex);
        return m_ready ? QString() : m_error;
    }

    QList<WindowInfo> windows() override {
        std::lock_guard lock(m_mutex);
        std::vector<const Entry*> sorted;
        for (const auto& [id, entry] : m_entries)
            sorted.push_back(&entry);
        std::stable_sort(sorted.begin(), sorted.end(),
                         [](const Entry* a, const Entry* b) { return a->stacking > b->stacking; });
        QList<WindowInfo> list;
        for (const Entry* entry : sorted)
            list.append(entry->info);
        return list;
    }

    std::optional<WindowInfo> window(WindowId id) override {
        std::lock_guard lock(m_mutex);
        const auto it = m_entries.find(id);
        return it == m_entries.end() ? std::nullopt : std::optional(it->second.info);
    }

    quint64 appearanceMark() override {
        // Every window KWin managed before this call has been reported once
        // the script has answered a request made now.
        if (QThread::currentThread() != &m_thread) {
            const quint64 seq = ask({{QStringLiteral("op"), QStringLiteral("sync")}});
            std::unique_lock lock(m_mutex);
            m_changed.wait_for(lock, syncTimeout, [&] { return m_synced >= seq || !m_ready; });
        }
        std::lock_guard lock(m_mutex);
        return m_appearance;
    }

    std::optional<QRect> frame(WindowId id) override {
        std::lock_guard lock(m_mutex);
        const auto it = m_entries.find(id);
        return it == m_entries.end() ? std::nullopt : std::optional(it->second.frame);
    }

    std::optional<QRect> setFrame(WindowId id, const QRect& frame) override {
        QString uuid;
        {
            std::lock_guard lock(m_mutex);
            const auto it = m_entries.find(id);
            if (it == m_entries.end())
                return std::nullopt;
            uuid = it->second.uuid;
        }
        const quint64 seq = ask({{QStringLiteral("op"), QStringLiteral("frame")},
                                 {QStringLiteral("id"), uuid},
                                 {QStringLiteral("x"), frame.x()},
                                 {QStringLiteral("y"), frame.y()},
                                 {QStringLiteral("width"), frame.width()},
                                 {QStringLiteral("height"), frame.height()}},
                                id);
        std::unique_lock lock(m_mutex);
        // The backend's own thread (a listener) cannot wait for the answer it
        // would have to read itself.
        if (QThread::currentThread() != &m_thread)
            m_changed.wait_for(lock, frameTimeout, [&] {
                const Asked& asked = m_asked[seq];
                return asked.settled || !m_entries.count(id);
            });
        m_asked.erase(seq);
        const auto it = m_entries.find(id);
        return it == m_entries.end() ? std::nullopt : std::optional(it->second.frame);
    }

    bool close(WindowId id) override { return request(id, QStringLiteral("close")); }
    bool iconify(WindowId id) override { return request(id, QStringLiteral("minimize")); }
    // KWin's scripts can raise a window only by activating it.
    bool raise(WindowId id) override { return request(id, QStringLiteral("activate")); }
    bool activate(WindowId id) override { return request(id, QStringLiteral("activate")); }

    bool isOfProcessTree(qint64 windowPid, qint64 root) override {
        // KWin reads a Wayland client's pid from its socket: a pid of this PID
        // namespace, also for a sandboxed client.
        return procfs::isInTree(windowPid, root);
    }

    std::unique_ptr<WindowSubscription> subscribe(Listener listener) override {
        return m_listeners.add(std::move(listener));
    }

    quint64 roundTrips() const override { return m_roundTrips.load(); }

    // On the backend's thread: one message of the script.
    void handle(const QJsonObject& message);
    // On the backend's thread: the requests waiting, taken.
    QJsonArray takeRequests() {
        std::lock_guard lock(m_mutex);
        return std::exchange(m_requests, QJsonArray());
    }
    bool fromKWin(const QString& sender) {
        std::lock_guard lock(m_mutex);
        return sender == m_kwinOwner;
    }
    void kwinGone();
    QDBusConnection& bus() { return m_bus; }

private:
    struct Entry {
        WindowInfo info;
        QRect frame;
        QString uuid;
        int stacking = 0;
    };
    // A frame asked for: settled once the script has set it and KWin has
    // answered with the window's next frame (or the frame is the one asked).
    struct Asked {
        WindowId window = 0;
        QRect target;
        bool set = false;
        bool settled = false;
    };

    quint64 ask(QJsonObject request, WindowId frameOf = 0) {
        quint64 seq = 0;
        {
            std::lock_guard lock(m_mutex);
            seq = ++m_seq;
            request.insert(QStringLiteral("seq"), qint64(seq));
            m_requests.append(request);
            if (frameOf)
                m_asked[seq] = {frameOf, QRect(request.value(QLatin1String("x")).toInt(),
                                               request.value(QLatin1String("y")).toInt(),
                                               request.value(QLatin1String("width")).toInt(),
                                               request.value(QLatin1String("height")).toInt())};
        }
        ++m_roundTrips;
        QMetaObject::invokeMethod(m_bridge, &Bridge::flush, Qt::QueuedConnection);
        return seq;
    }

    bool request(WindowId id, const QString& op) {
        QString uuid;
        {
            std::lock_guard lock(m_mutex);
            const auto it = m_entries.find(id);
            if (!m_ready || it == m_entries.end())
                return false;
            uuid = it->second.uuid;
        }
        ask({{QStringLiteral("op"), op}, {QStringLiteral("id"), uuid}});
        return true;
    }

    // Under m_mutex: the entry of a window the script described.
    Entry& update(const QJsonObject& window, bool* isNew);
    void notify(const WindowEvent& event) { m_listeners.notify(event); }

    Alerts& m_alerts;
    QDBusConnection m_bus;
    QThread m_thread;
    Bridge* m_bridge = nullptr;

    std::mutex m_mutex;
    std::condition_variable m_changed;
    QString m_kwinOwner, m_error, m_scriptFile;
    bool m_ready = false, m_explained = false, m_everReady = false;
    bool m_loading = false, m_refusedByKWin = false;
    std::atomic<bool> m_loaded{false};
    std::map<WindowId, Entry> m_entries;
    QHash<QString, WindowId> m_ids;
    WindowId m_nextId = 0;
    quint64 m_appearance = 0, m_seq = 0, m_synced = 0;
    QJsonArray m_requests;
    std::map<quint64, Asked> m_asked;
    std::atomic<quint64> m_roundTrips{0};

    WindowListeners m_listeners;
};

KWinWindows::Entry& KWinWindows::update(const QJsonObject& window, bool* isNew) {
    const QString uuid = window.value(QLatin1String("id")).toString();
    WindowId id = m_ids.value(uuid);
    *isNew = id == 0;
    if (*isNew) {
        id = ++m_nextId;
        m_ids.insert(uuid, id);
    }
    Entry& entry = m_entries[id];
    entry.uuid = uuid;
    entry.frame = frameOf(window);
    entry.stacking = window.value(QLatin1String("stacking")).toInt();
    WindowInfo& info = entry.info;
    info.id = id;
    info.pid = window.value(QLatin1String("pid")).toInteger();
    info.className = window.value(QLatin1String("resourceClass")).toString();
    info.instanceName = window.value(QLatin1String("resourceName")).toString();
    QString application = window.value(QLatin1String("desktopFileName")).toString();
    if (application.endsWith(QLatin1String(".desktop")))
        application.chop(8);
    info.applicationId = application;
    info.kind = kindOf(window.value(QLatin1String("kind")).toString());
    info.transientFor = m_ids.value(window.value(QLatin1String("transientFor")).toString());
    info.iconic = window.value(QLatin1String("minimized")).toBool();
    if (*isNew)
        info.appearance = ++m_appearance;
    return entry;
}

void KWinWindows::handle(const QJsonObject& message) {
    const QString type = message.value(QLatin1String("type")).toString();
    const QJsonObject described = message.value(QLatin1String("window")).toObject();
    std::vector<WindowEvent> events;
    {
        std::lock_guard lock(m_mutex);
        if (type == QLatin1String("hello")) {
            // After a restart of KWin its windows are new to Dexaro's listeners.
            const bool reload = m_everReady;
            for (const QJsonValue& value : message.value(QLatin1String("windows")).toArray()) {
                bool isNew = false;
                const Entry& entry = update(value.toObject(), &isNew);
                if (reload && isNew)
                    events.push_back({WindowEvent::Type::appeared, entry.info, entry.frame});
            }
            m_ready = m_everReady = true;
            if (!m_scriptFile.isEmpty())
                QFile::remove(std::exchange(m_scriptFile, QString()));
        } else if (type == QLatin1String("appeared") || type == QLatin1String("changed")) {
            bool isNew = false;
            const auto id = m_ids.value(described.value(QLatin1String("id")).toString());
            const std::optional<WindowInfo> before =
                id ? std::optional(m_entries[id].info) : std::nullopt;
            const Entry& entry = update(described, &isNew);
            if (isNew)
                events.push_back({WindowEvent::Type::appeared, entry.info, entry.frame});
            else if (before != entry.info)
                events.push_back({WindowEvent::Type::changed, entry.info, entry.frame});
        } else if (type == QLatin1String("moved") || type == QLatin1String("asked")) {
            const auto id = m_ids.value(described.value(QLatin1String("id")).toString());
            if (const auto it = m_entries.find(id); it != m_entries.end()) {
                const QRect before = it->second.frame;
                it->second.frame = frameOf(described);
                if (type == QLatin1String("asked")) {
                    if (auto asked = m_asked.find(message.value(QLatin1String("seq")).toInteger());
                        asked != m_asked.end()) {
                        asked->second.set = true;
                        asked->second.settled = it->second.frame == asked->second.target;
                    }
                } else {
                    for (auto& [seq, asked] : m_asked)
                        if (asked.set && asked.window == id)
                            asked.settled = true;
                }
                if (before != it->second.frame)
                    events.push_back({WindowEvent::Type::moved, it->second.info, it->second.frame,
                                      described.value(QLatin1String("byUser")).toBool()});
            }
        } else if (type == QLatin1String("stacked")) {
            const auto id = m_ids.value(described.value(QLatin1String("id")).toString());
            if (const auto it = m_entries.find(id); it != m_entries.end())
                it->second.stacking = described.value(QLatin1String("stacking")).toInt();
        } else if (type == QLatin1String("gone")) {
            const QString uuid = message.value(QLatin1String("id")).toString();
            if (const auto id = m_ids.take(uuid)) {
                const auto node = m_entries.extract(id);
                if (!node.empty())
                    events.push_back(
                        {WindowEvent::Type::gone, node.mapped().info, node.mapped().frame});
            }
        } else if (type == QLatin1String("synced")) {
            m_synced = std::max(m_synced, quint64(message.value(QLatin1String("seq")).toInteger()));
        } else if (type == QLatin1String("missing")) {
            // A request for a window that has gone meanwhile: its "gone"
            // follows or came already.
            if (auto asked = m_asked.find(message.value(QLatin1String("seq")).toInteger());
                asked != m_asked.end())
                asked->second.settled = true;
        }
        m_changed.notify_all();
    }
    for (const WindowEvent& event : events)
        notify(event);
}

void KWinWindows::kwinGone() {
    std::vector<WindowEvent> events;
    {
        std::lock_guard lock(m_mutex);
        m_ready = false;
        m_kwinOwner.clear();
        m_error = QStringLiteral("KWin is not running.");
        for (const auto& [id, entry] : m_entries)
            events.push_back({WindowEvent::Type::gone, entry.info, entry.frame});
        m_entries.clear();
        m_ids.clear();
        m_requests = QJsonArray();
        m_changed.notify_all();
    }
    for (const WindowEvent& event : events)
        notify(event);
}

bool Bridge::fromKWin() {
    if (m_owner.fromKWin(message().service()))
        return true;
    sendErrorReply(QDBusError::AccessDenied, QStringLiteral("Only KWin's script may call this."));
    return false;
}

void Bridge::report(const QString& json) {
    if (!fromKWin())
        return;
    QJsonParseError error;
    const QJsonDocument document = QJsonDocument::fromJson(json.toUtf8(), &error);
    if (!document.isObject()) {
        qWarning("Dexaro: unreadable report of the KWin script: %s",
                 qPrintable(error.errorString()));
        return;
    }
    m_owner.handle(document.object());
}

QString Bridge::next() {
    if (!fromKWin())
        return {};
    setDelayedReply(true);
    if (m_held)
        m_owner.bus().send(m_held->createReply(QStringLiteral("[]")));
    m_held = message();
    if (!m_holdTimer) {
        m_holdTimer = new QTimer(this);
        m_holdTimer->setSingleShot(true);
        connect(m_holdTimer, &QTimer::timeout, this, [this] {
            if (m_held)
                m_owner.bus().send(
                    std::exchange(m_held, std::nullopt)->createReply(QStringLiteral("[]")));
        });
    }
    m_holdTimer->start(pollHoldMs);
    // The script asks again at once after each answer; when it has not for
    // long (KWin dropped the call, the script stopped), it is loaded anew.
    if (!m_stalled) {
        m_stalled = new QTimer(this);
        m_stalled->setSingleShot(true);
        connect(m_stalled, &QTimer::timeout, this, [this] {
            const QString owner = m_owner.kwinOwner();
            if (owner.isEmpty())
                return;
            qWarning("Dexaro: KWin's window script stopped asking for requests; loading it again");
            m_held.reset();
            reload(owner, 0);
        });
    }
    m_stalled->start(pollHoldMs + stallGraceMs);
    flush();
    return {};
}

void Bridge::flush() {
    if (!m_held)
        return;
    const QJsonArray requests = m_owner.takeRequests();
    if (requests.isEmpty())
        return;
    m_holdTimer->stop();
    const QString text = QString::fromUtf8(QJsonDocument(requests).toJson(QJsonDocument::Compact));
    m_owner.bus().send(std::exchange(m_held, std::nullopt)->createReply(text));
}

void Bridge::kwinOwnerChanged(const QString&, const QString& oldOwner, const QString& newOwner) {
    if (!oldOwner.isEmpty()) {
        m_held.reset();
        m_owner.kwinGone();
    }
    if (!newOwner.isEmpty())
        reload(newOwner, 0);
}

void Bridge::reload(const QString& owner, int attempt) {
    // A KWin that has just started takes its name before its scripting
    // interface answers: try again for a few seconds.
    if (!m_owner.load(owner) && m_owner.refusedByKWin() && attempt < 20) {
        QTimer::singleShot(200, this, [this, owner, attempt] {
            if (m_owner.kwinOwner() == owner)
                reload(owner, attempt + 1);
            else
                m_owner.loadingEnded();
        });
        return;
    }
    m_owner.loadingEnded();
}

} // namespace

std::unique_ptr<Windows> makeKWinWindows(Alerts& alerts, const QString& busAddress) {
    auto windows = std::make_unique<KWinWindows>(alerts, busAddress);
    if (!windows->start())
        return nullptr;
    return windows;
}

} // namespace dexaro

#include "KWinWindows.moc"
