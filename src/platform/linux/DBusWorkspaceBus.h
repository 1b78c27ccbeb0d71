#pragma once
// The workspace interface of WorkspaceBus.h over Qt D-Bus: the object the
// running Dexaro exports, and the client another process calls it through.
#include "platform/WorkspaceBus.h"

#include <QDBusArgument>
#include <QDBusContext>
#include <QObject>

namespace dexaro {

// One element of List()'s a(sss).
struct DBusWorkspace {
    QString id;
    QString name;
    QString state;
};
QDBusArgument& operator<<(QDBusArgument& argument, const DBusWorkspace& workspace);
const QDBusArgument& operator>>(const QDBusArgument& argument, DBusWorkspace& workspace);

class DBusWorkspaceService : public QObject, public WorkspaceBusService, protected QDBusContext {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.dexaro.Workspaces1")
public:
    explicit DBusWorkspaceService(QObject* parent = nullptr);
    ~DBusWorkspaceService() override;

    bool publish(WorkspaceBusHandler& handler, QString* error) override;
    void announceStateChanged(const QString& id, const QString& state) override;

public slots:
    // Called over the bus only.
    QList<DBusWorkspace> List();
    void SwitchOn(const QString& id);
    void SwitchOff(const QString& id);
    void Toggle(const QString& id);

private:
    void answer(BusReply reply, const QString& id);

    WorkspaceBusHandler* m_handler = nullptr;
    bool m_published = false;
};

class DBusWorkspaceClient : public WorkspaceBusClient {
public:
    bool hasSessionBus() override;
    bool isDexaroRunning() override;
    bool waitForDexaro(int waitMs) override;
    std::optional<QList<BusWorkspace>> list(QString* error) override;
    BusReply call(const QString& method, const QString& id, QString* error) override;
};

} // namespace dexaro

Q_DECLARE_METATYPE(dexaro::DBusWorkspace)
