#include "platform/linux/DesktopSession.h"

#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDBusReply>

namespace dexaro {

namespace {

bool isWaylandSession(const QProcessEnvironment& env) {
    const QString type = env.value(QStringLiteral("XDG_SESSION_TYPE")).toLower();
    if (type == QLatin1String("wayland"))
        return true;
    if (type == QLatin1String("x11"))
        return false;
    return !env.value(QStringLiteral("WAYLAND_DISPLAY")).isEmpty();
}

} // namespace

Compositor detectCompositor(const QProcessEnvironment& env,
                            const std::function<bool(const QString&)>& hasBusName) {
    if (!isWaylandSession(env))
        return Compositor::x11;
    if (hasBusName && hasBusName(QStringLiteral("org.kde.KWin")))
        return Compositor::kwin;
    if (hasBusName && hasBusName(QStringLiteral("org.gnome.Shell")))
        return Compositor::gnomeShell;
    if (!env.value(QStringLiteral("SWAYSOCK")).isEmpty())
        return Compositor::sway;
    return Compositor::otherWayland;
}

Compositor detectCompositor() {
    return detectCompositor(QProcessEnvironment::systemEnvironment(), [](const QString& name) {
        QDBusConnection bus = QDBusConnection::sessionBus();
        if (!bus.isConnected())
            return false;
        // Asked directly, with a timeout of its own: a bus that does not answer
        // must not hold up the start.
        QDBusMessage call = QDBusMessage::createMethodCall(
            QStringLiteral("org.freedesktop.DBus"), QStringLiteral("/org/freedesktop/DBus"),
            QStringLiteral("org.freedesktop.DBus"), QStringLiteral("NameHasOwner"));
        call << name;
        const QDBusReply<bool> reply = bus.call(call, QDBus::Block, 500);
        return reply.isValid() && reply.value();
    });
}

QString compositorName(Compositor compositor) {
    switch (compositor) {
    case Compositor::x11:
        return QStringLiteral("X11");
    case Compositor::kwin:
        return QStringLiteral("KWin");
    case Compositor::gnomeShell:
        return QStringLiteral("GNOME Shell");
    case Compositor::sway:
        return QStringLiteral("sway");
    case Compositor::otherWayland:
        break;
    }
    return QStringLiteral("Wayland");
}

bool ownWindowsOnXWayland(const QProcessEnvironment& env) {
    return isWaylandSession(env) && !env.value(QStringLiteral("DISPLAY")).isEmpty() &&
           env.value(QStringLiteral("QT_QPA_PLATFORM")).isEmpty();
}

} // namespace dexaro
