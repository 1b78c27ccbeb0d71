#include "platform/linux/DBusWorkspaceBus.h"

#include <QDBusArgument>
#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDBusMetaType>
#include <QDBusServiceWatcher>
#include <QEventLoop>
#include <QTimer>

namespace dexaro {

QDBusArgument& operator<<(QDBusArgument& argument, const DBusWorkspace& workspace) {
    argument.beginStructure();
    argument << workspace.id << workspace.name << workspace.state;
    argument.endStructure();
    return argument;
}

const QDBusArgument& operator>>(const QDBusArgument& argument, DBusWorkspace& workspace) {
    argument.beginStructure();
    argument >> workspace.id >> workspace.name >> workspace.state;
    argument.endStructure();
    return argument;
}

void registerDBusWorkspace() {
    static const bool registered = [] {
        qDBusRegisterMetaType<DBusWorkspace>();
        qDBusRegisterMetaType<QList<DBusWorkspace>>();
        return true;
    }();
    Q_UNUSED(registered);
}

namespace {

const QString dexaroName = QStringLiteral("org.dexaro.Dexaro");
// A request is answered at once (switching goes on afterwards): a Dexaro
// that takes longer is stuck, and the caller is told so.
constexpr int callTimeoutMs = 10000;

QString errorName(BusReply reply) {
    const QString prefix = QString::fromLatin1(WorkspacesInterface) + QStringLiteral(".Error.");
    switch (reply) {
    case BusReply::noSuchWorkspace:
        return prefix + QStringLiteral("NoSuchWorkspace");
    case BusReply::busy:
        return prefix + QStringLiteral("Busy");
    case BusReply::stopped:
        return prefix + QStringLiteral("Stopped");
    case BusReply::ok:
    case BusReply::failed:
        break;
    }
    return prefix + QStringLiteral("Failed");
}

BusReply replyForError(const QString& name) {
    for (BusReply reply : {BusReply::noSuchWorkspace, BusReply::busy, BusReply::stopped})
        if (name == errorName(reply))
            return reply;
    return BusReply::failed;
}

QString errorText(BusReply reply, const QString& id) {
    switch (reply) {
    case BusReply::noSuchWorkspace:
        return QStringLiteral("No workspace has the identifier %1.").arg(id);
    case BusReply::busy:
        return QStringLiteral("The workspace is being switched on or off; ask again once it is "
                              "done.");
    case BusReply::stopped:
        return QStringLiteral("Dexaro is quitting.");
    case BusReply::ok:
    case BusReply::failed:
        break;
    }
    return QStringLiteral("The request failed.");
}

} // namespace

DBusWorkspaceService::DBusWorkspaceService(QObject* parent) : QObject(parent) {
    registerDBusWorkspace();
}

DBusWorkspaceService::~DBusWorkspaceService() {
    if (m_published)
        QDBusConnection::sessionBus().unregisterObject(QString::fromLatin1(WorkspacesPath));
}

bool DBusWorkspaceService::publish(WorkspaceBusHandler& handler, QString* error) {
    m_handler = &handler;
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected()) {
        if (error)
            *error = QStringLiteral("no session bus: %1").arg(bus.lastError().message());
        return false;
    }
    m_published = bus.registerObject(QString::fromLatin1(WorkspacesPath), this,
                                     QDBusConnection::ExportAllSlots);
    if (!m_published && error)
        *error = QStringLiteral("%1 is taken on the session bus").arg(WorkspacesPath);
    return m_published;
}

void DBusWorkspaceService::announceStateChanged(const QString& id, const QString& state) {
    if (!m_published)
        return;
    QDBusMessage signal = QDBusMessage::createSignal(QString::fromLatin1(WorkspacesPath),
                                                     QString::fromLatin1(WorkspacesInterface),
                                                     QStringLiteral("StateChanged"));
    signal << id << state;
    QDBusConnection::sessionBus().send(signal);
}

QList<DBusWorkspace> DBusWorkspaceService::List() {
    QList<DBusWorkspace> listed;
    if (m_handler)
        for (const BusWorkspace& workspace : m_handler->list())
            listed << DBusWorkspace{workspace.id, workspace.name, workspace.state};
    return listed;
}

void DBusWorkspaceService::SwitchOn(const QString& id) {
    answer(m_handler ? m_handler->switchOn(id) : BusReply::stopped, id);
}

void DBusWorkspaceService::SwitchOff(const QString& id) {
    answer(m_handler ? m_handler->switchOff(id) : BusReply::stopped, id);
}

void DBusWorkspaceService::Toggle(const QString& id) {
    answer(m_handler ? m_handler->toggle(id) : BusReply::stopped, id);
}

void DBusWorkspaceService::answer(BusReply reply, const QString& id) {
    if (reply != BusReply::ok)
        sendErrorReply(errorName(reply), errorText(reply, id));
}

bool DBusWorkspaceClient::hasSessionBus() {
    return QDBusConnection::sessionBus().isConnected();
}

bool DBusWorkspaceClient::isDexaroRunning() {
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected() || !bus.interface())
        return false;
    const QDBusReply<bool> reply = bus.interface()->isServiceRegistered(dexaroName);
    return reply.isValid() && reply.value();
}

bool DBusWorkspaceClient::waitForDexaro(int waitMs) {
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected())
        return false;
    QDBusServiceWatcher watcher(dexaroName, bus, QDBusServiceWatcher::WatchForRegistration);
    QEventLoop loop;
    QObject::connect(&watcher, &QDBusServiceWatcher::serviceRegistered, &loop, &QEventLoop::quit);
    QTimer::singleShot(waitMs, &loop, &QEventLoop::quit);
    // Registered between the first look and the watcher: no signal comes.
    if (isDexaroRunning())
        return true;
    loop.exec();
    return isDexaroRunning();
}

std::optional<QList<BusWorkspace>> DBusWorkspaceClient::list(QString* error) {
    registerDBusWorkspace();
    QDBusMessage call = QDBusMessage::createMethodCall(
        dexaroName, QString::fromLatin1(WorkspacesPath), QString::fromLatin1(WorkspacesInterface),
        QStringLiteral("List"));
    const QDBusMessage reply =
        QDBusConnection::sessionBus().call(call, QDBus::Block, callTimeoutMs);
    if (reply.type() != QDBusMessage::ReplyMessage || reply.arguments().isEmpty() ||
        reply.signature() != QLatin1String("a(sss)")) {
        if (error)
            *error = reply.type() == QDBusMessage::ErrorMessage
                         ? reply.errorMessage()
                         : QStringLiteral("Dexaro gave an answer that cannot be read.");
        return std::nullopt;
    }
    QList<BusWorkspace> workspaces;
    for (const DBusWorkspace& workspace :
         qdbus_cast<QList<DBusWorkspace>>(reply.arguments().first()))
        workspaces << BusWorkspace{workspace.id, workspace.name, workspace.state};
    return workspaces;
}

BusReply DBusWorkspaceClient::call(const QString& method, const QString& id, QString* error) {
    QDBusMessage call =
        QDBusMessage::createMethodCall(dexaroName, QString::fromLatin1(WorkspacesPath),
                                       QString::fromLatin1(WorkspacesInterface), method);
    call << id;
    const QDBusMessage reply =
        QDBusConnection::sessionBus().call(call, QDBus::Block, callTimeoutMs);
    if (reply.type() == QDBusMessage::ReplyMessage)
        return BusReply::ok;
    if (error)
        *error = reply.errorMessage();
    return replyForError(reply.errorName());
}

std::unique_ptr<WorkspaceBusClient> WorkspaceBusClient::forSession() {
    return std::make_unique<DBusWorkspaceClient>();
}

} // namespace dexaro
