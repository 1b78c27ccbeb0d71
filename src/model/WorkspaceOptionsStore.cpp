#include "model/WorkspaceOptionsStore.h"

#include "model/WorkspaceStore.h"

namespace dexaro {
namespace {

const QString kWsID = QStringLiteral("wsID");
const QString kAppKey = QStringLiteral("appKey");
const QString kMonitor = QStringLiteral("monitor");
const QString kDesktop = QStringLiteral("desktop");
const QString kAtStart = QStringLiteral("atStart");

bool saveOrDiscard(ObjectStore& context, const QList<ObjectStore::ObjectId>& changed,
                   QString* error) {
    if (context.save(error))
        return true;
    for (ObjectStore::ObjectId object : changed)
        context.discardChanges(object);
    return false;
}

} // namespace

WorkspaceOptionsStore::WorkspaceOptionsStore(ObjectStore& context) : m_context(context) {}

std::optional<QHash<QString, WorkspaceOptions>> WorkspaceOptionsStore::fetchAll(QString* error) {
    const auto records = m_context.fetch(schema::options, {}, {}, error);
    if (!records)
        return std::nullopt;
    QHash<QString, WorkspaceOptions> all;
    for (ObjectStore::ObjectId record : *records) {
        const QString wsID = m_context.value(record, kWsID).toString();
        if (wsID.isEmpty())
            continue;
        const QVariant key = m_context.value(record, kAppKey);
        const int desktop = desktopFromText(m_context.value(record, kDesktop).toString());
        if (!key.isValid() || key.isNull()) {
            WorkspaceOptions& options = all[wsID];
            options.switchOnAtStart = m_context.value(record, kAtStart).toString() == u"1";
            options.startDesktop = desktop;
            continue;
        }
        bool ok = false;
        const qint64 appKey = key.toString().toLongLong(&ok);
        if (!ok)
            continue;
        const AppTarget target{m_context.value(record, kMonitor).toString(), desktop};
        if (!target.isDefault())
            all[wsID].apps.insert(appKey, target);
    }
    return all;
}

bool WorkspaceOptionsStore::save(const QString& wsID, const WorkspaceOptions& options,
                                 QString* error) {
    const auto records = m_context.fetch(schema::options, kWsID, wsID, error);
    if (!records)
        return false;
    QList<ObjectStore::ObjectId> changed = *records;
    for (ObjectStore::ObjectId record : *records)
        m_context.remove(record);
    if (options.switchOnAtStart || options.startDesktop != desktops::current) {
        const ObjectStore::ObjectId record = m_context.insert(schema::options);
        changed << record;
        m_context.setValue(record, kWsID, wsID);
        m_context.setValue(record, kAtStart,
                           options.switchOnAtStart ? QStringLiteral("1") : QStringLiteral("0"));
        if (options.startDesktop != desktops::current)
            m_context.setValue(record, kDesktop, desktopText(options.startDesktop));
    }
    for (auto it = options.apps.cbegin(); it != options.apps.cend(); ++it) {
        if (it->isDefault())
            continue;
        const ObjectStore::ObjectId record = m_context.insert(schema::options);
        changed << record;
        m_context.setValue(record, kWsID, wsID);
        m_context.setValue(record, kAppKey, QString::number(it.key()));
        if (!it->monitor.isEmpty())
            m_context.setValue(record, kMonitor, it->monitor);
        if (it->desktop != desktops::current)
            m_context.setValue(record, kDesktop, desktopText(it->desktop));
    }
    return saveOrDiscard(m_context, changed, error);
}

bool WorkspaceOptionsStore::remove(const QString& wsID, QString* error) {
    const auto records = m_context.fetch(schema::options, kWsID, wsID, error);
    if (!records)
        return false;
    if (records->isEmpty())
        return true;
    for (ObjectStore::ObjectId record : *records)
        m_context.remove(record);
    return saveOrDiscard(m_context, *records, error);
}

} // namespace dexaro
