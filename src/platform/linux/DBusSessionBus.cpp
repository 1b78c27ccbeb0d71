#include "platform/linux/DBusSessionBus.h"

#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusMessage>

namespace dexaro {

DBusSessionBus::DBusSessionBus(QObject* parent) : SessionBus(parent) {}

bool DBusSessionBus::registerName(const QString& name, QString* error) {
    QDBusConnection bus = QDBusConnection::sessionBus();
    QDBusConnectionInterface* daemon = bus.isConnected() ? bus.interface() : nullptr;
    if (!daemon) {
        if (error)
            *error = QStringLiteral("no session bus: %1").arg(bus.lastError().message());
        return false;
    }
    const QDBusReply<QDBusConnectionInterface::RegisterServiceReply> reply =
        daemon->registerService(name, QDBusConnectionInterface::DontQueueService,
                                QDBusConnectionInterface::DontAllowReplacement);
    if (!reply.isValid() || reply.value() != QDBusConnectionInterface::ServiceRegistered) {
        if (error)
            *error = reply.isValid() ? QStringLiteral("%1 is owned by another process").arg(name)
                                     : reply.error().message();
        return false;
    }
    return true;
}

bool DBusSessionBus::isNameOwned(const QString& name) {
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected() || !bus.interface())
        return false;
    const QDBusReply<bool> reply = bus.interface()->isServiceRegistered(name);
    return reply.isValid() && reply.value();
}

bool DBusSessionBus::postNotification(const QString& name, const QString& object) {
    QDBusMessage signal = QDBusMessage::createSignal(
        QString::fromLatin1(NotificationPath), QString::fromLatin1(NotificationInterface), name);
    signal << object;
    return QDBusConnection::sessionBus().send(signal);
}

bool DBusSessionBus::subscribe(const QString& name) {
    return QDBusConnection::sessionBus().connect(QString(), QString::fromLatin1(NotificationPath),
                                                 QString::fromLatin1(NotificationInterface), name,
                                                 this, SLOT(onSignal(QString, QDBusMessage)));
}

void DBusSessionBus::onSignal(const QString& object, const QDBusMessage& message) {
    emit notificationReceived(message.member(), object);
}

} // namespace dexaro
