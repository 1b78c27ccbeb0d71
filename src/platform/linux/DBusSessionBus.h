#pragma once
// SessionBus over Qt D-Bus.
#include "platform/SessionBus.h"

#include <QDBusMessage>

namespace dexaro {

class DBusSessionBus : public SessionBus {
    Q_OBJECT
public:
    explicit DBusSessionBus(QObject* parent = nullptr);

    bool registerName(const QString& name, QString* error = nullptr) override;
    bool isNameOwned(const QString& name) override;
    bool postNotification(const QString& name, const QString& object) override;
    bool subscribe(const QString& name) override;

private slots:
    void onSignal(const QString& object, const QDBusMessage& message);
};

} // namespace dexaro
