#pragma once
// The desktop session's message bus, as Dexaro and its login launcher use it:
// each program owns its identifier as a well-known bus name, "is X running"
// asks whether that name has an owner, and notifications are broadcast
// signals that carry the sender's identifier.
//
// On the D-Bus session bus a notification named N is the signal
//     path      /org/dexaro/Notifications
//     interface org.dexaro.Notifications
//     member    N                 (for example "killLauncher")
//     argument  one string: the sender's identifier ("org.dexaro.Dexaro")
// sent without a destination. The launcher quits when it receives
// "killLauncher"; it subscribes before it takes its own name
// (org.dexaro.Dexarolauncher), so a launcher that Dexaro can see never misses it.
// Dexaro owns org.dexaro.Dexaro; a second start finds it there, sends
// "showPopover" (object "org.dexaro.Dexaro") so that the running one opens its
// popover, and leaves.
#include <QObject>
#include <QString>

namespace dexaro {

inline constexpr char NotificationPath[] = "/org/dexaro/Notifications";
inline constexpr char NotificationInterface[] = "org.dexaro.Notifications";

class SessionBus : public QObject {
    Q_OBJECT
public:
    using QObject::QObject;
    ~SessionBus() override = default;

    // Takes name as this process's well-known name. False and error when there
    // is no session bus or another process owns it.
    virtual bool registerName(const QString& name, QString* error = nullptr) = 0;
    virtual bool isNameOwned(const QString& name) = 0;
    // Broadcasts the notification with object (the sender's identifier).
    virtual bool postNotification(const QString& name, const QString& object) = 0;
    // From then on, notificationReceived is emitted for notifications of that name.
    virtual bool subscribe(const QString& name) = 0;

signals:
    void notificationReceived(const QString& name, const QString& object);
};

} // namespace dexaro
