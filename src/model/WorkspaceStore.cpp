#include "model/WorkspaceStore.h"

#include "model/Identifier.h"
#include "model/Packing.h"
#include "model/TemporaryGlobalDataHolder.h"
#include "model/WorkspaceNames.h"
#include "platform/Alerts.h"

#include <QDir>
#include <QStandardPaths>
#include <algorithm>
#include <chrono>
#include <cmath>

namespace dexaro {

namespace {

const QString kId = QStringLiteral("id");
const QString kName = QStringLiteral("name");
const QString kDateAdd = QStringLiteral("date_add");
const QString kApps = QStringLiteral("apps");
const QString kUrls = QStringLiteral("urls");
const QString kFileUrls = QStringLiteral("file_urls");
const QString kValue = QStringLiteral("value");

bool present(const QVariant& value) {
    return value.isValid() && !value.isNull();
}

double nowSeconds() {
    using namespace std::chrono;
    return double(duration_cast<microseconds>(system_clock::now().time_since_epoch()).count()) /
           1e6;
}

// date_add is stored as seconds since 1970; text that reads as a number or an
// ISO date is accepted too. Anything else counts as present but unreadable.
std::optional<QDateTime> readDate(const QVariant& value) {
    bool ok = false;
    const double seconds = value.toDouble(&ok);
    if (ok) {
        // Milliseconds must fit in 64 bits (about 292 million years either way);
        // infinities, NaN and anything beyond read as an unknown date.
        constexpr double limitSeconds = 9.2e15;
        if (!std::isfinite(seconds) || std::abs(seconds) > limitSeconds)
            return std::nullopt;
        // In UTC: the same instant, without asking the system for the local
        // time zone once per workspace while the list loads.
        const QDateTime date = QDateTime::fromMSecsSinceEpoch(qint64(seconds * 1000.0), Qt::UTC);
        if (!date.isValid())
            return std::nullopt;
        return date;
    }
    const QDateTime parsed = QDateTime::fromString(value.toString(), Qt::ISODateWithMs);
    if (parsed.isValid())
        return parsed;
    return std::nullopt;
}

WSListModelPtr makeModel(ObjectStore& context, ObjectStore::ObjectId record) {
    auto model = std::make_shared<WSListModel>();
    model->wsID = context.value(record, kId).toString();
    model->wsName = context.value(record, kName).toString();
    model->wsCreateDate = readDate(context.value(record, kDateAdd));
    model->apps = unpack(context.value(record, kApps).toString(), separators::apps);
    model->urlLinkAdresses = unpack(context.value(record, kUrls).toString(), separators::urls);
    model->fileURLLinkAdresses =
        unpack(context.value(record, kFileUrls).toString(), separators::fileURLs);
    return model;
}

} // namespace

QString storedSettingName(const QString& logicalKey) {
    static const QHash<QString, QString> names = {
        {QStringLiteral("termination"), QStringLiteral("terminationStyle")},
        {QStringLiteral("defaultApps"), QStringLiteral("defaultMacOSApps")},
        {QStringLiteral("runningAtLogin"), QStringLiteral("runWSAtLogin")},
        {QStringLiteral("createinstance"), QStringLiteral("createinstance")},
        {QStringLiteral("hideApps"), QStringLiteral("hideApps")},
    };
    return names.value(logicalKey, logicalKey);
}

WorkspaceStore::WorkspaceStore(ObjectStore& context, Alerts& alerts)
    : m_context(context), m_alerts(alerts) {}

QString WorkspaceStore::defaultStorePath() {
    return QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation) +
           QStringLiteral("/Dexaro/Dexaro.sqlite");
}

namespace {
QList<ObjectStore::Entity> storeEntities() {
    return {
        {schema::workspaces, {kId, kName, kDateAdd, kApps, kUrls, kFileUrls}, {kDateAdd}},
        {schema::settings, {kName, kValue}},
        {schema::positions, {QStringLiteral("wsID"), QStringLiteral("appPositions")}},
        {schema::options,
         {QStringLiteral("wsID"), QStringLiteral("appKey"), QStringLiteral("monitor"),
          QStringLiteral("desktop"), QStringLiteral("atStart")}},
    };
}
} // namespace

std::unique_ptr<ObjectStore> WorkspaceStore::openStore(const QString& path, QString* error) {
    return ObjectStore::open(path.isEmpty() ? defaultStorePath() : path, storeEntities(), error,
                             schema::version);
}

std::unique_ptr<ObjectStore> WorkspaceStore::openReadOnlyStore(const QString& path,
                                                               QString* error) {
    return ObjectStore::openReadOnly(path, storeEntities(), error);
}

std::optional<QList<WSListModelPtr>> WorkspaceStore::loadWorkspaceList() {
    const QString title = QStringLiteral("Workspace list");
    const QString message = QStringLiteral("Could not get the Workspace's list!");
    QString error;
    const auto records = m_context.fetch(schema::workspaces, {}, {}, &error);
    if (!records) {
        m_alerts.warn(title, message, error);
        return std::nullopt;
    }
    QList<WSListModelPtr> list;
    for (ObjectStore::ObjectId record : *records) {
        if (!present(m_context.value(record, kName)) ||
            !present(m_context.value(record, kDateAdd)) ||
            !present(m_context.value(record, kApps))) {
            m_context.remove(record);
            m_context.save(); // a failure here is not reported; the delete stays pending
            continue;
        }
        if (!present(m_context.value(record, kId))) {
            m_context.setValue(record, kId,
                               makeIdentifier(m_context.value(record, kName).toString()));
            if (!m_context.save(&error)) {
                m_alerts.warn(title, message, error);
                return list;
            }
        }
        list << makeModel(m_context, record);
    }
    return list;
}

std::optional<QList<WSListModelPtr>> WorkspaceStore::loadEditorWorkspaceList(QString* error) {
    return readEditorWorkspaceList(m_context, error);
}

std::optional<QList<WSListModelPtr>> WorkspaceStore::readEditorWorkspaceList(ObjectStore& context,
                                                                             QString* error) {
    const auto records = context.fetch(schema::workspaces, {}, {}, error);
    if (!records)
        return std::nullopt;
    QList<WSListModelPtr> list{std::make_shared<WSListModel>()};
    for (ObjectStore::ObjectId record : *records) {
        if (!present(context.value(record, kName)) || !present(context.value(record, kDateAdd)) ||
            !present(context.value(record, kApps)) || !present(context.value(record, kId)))
            continue;
        list << makeModel(context, record);
    }
    return list;
}

bool WorkspaceStore::workspaceNameExists(const QString& name, int allowed) {
    QString error;
    // Every record: names that look alike (sameWorkspaceName) are one name.
    const auto records = m_context.fetch(schema::workspaces, {}, {}, &error);
    if (!records) {
        m_alerts.warn(QStringLiteral("Workspace checking"),
                      QStringLiteral("Could not check Workspace existence!"), error);
        return false;
    }
    const auto same = std::count_if(records->cbegin(), records->cend(), [&](auto record) {
        return sameWorkspaceName(m_context.value(record, kName).toString(), name);
    });
    return same > allowed;
}

ObjectStore::ObjectId WorkspaceStore::insertWorkspace() {
    return m_context.insert(schema::workspaces);
}

QString WorkspaceStore::fillWorkspace(ObjectStore::ObjectId record,
                                      const WorkspaceContents& contents) {
    const double now = nowSeconds();
    const QString id = makeIdentifier(contents.name, now);
    m_context.setValue(record, kName, contents.name);
    m_context.setValue(record, kDateAdd, now);
    m_context.setValue(record, kApps, pack(contents.apps, separators::apps));
    m_context.setValue(record, kId, id);
    m_context.setValue(record, kUrls, packURLLinks(contents.urls));
    m_context.setValue(record, kFileUrls, packFileLinks(contents.files));
    return id;
}

QString WorkspaceStore::updateWorkspaceWithID(const QString& wsID,
                                              const WorkspaceContents& contents, QString* error) {
    const auto records = m_context.fetch(schema::workspaces, kId, wsID, error);
    if (!records)
        return {};
    if (records->isEmpty()) {
        if (error)
            *error = QStringLiteral("The workspace is no longer stored.");
        return {};
    }
    const ObjectStore::ObjectId record = records->first();
    m_context.setValue(record, kName, contents.name);
    m_context.setValue(record, kApps, pack(contents.apps, separators::apps));
    m_context.setValue(record, kUrls, packURLLinks(contents.urls));
    m_context.setValue(record, kFileUrls, packFileLinks(contents.files));
    if (!m_context.save(error)) {
        m_context.discardChanges(record);
        return {};
    }
    TemporaryGlobalDataHolder::shared().setUpdatedAppList(wsID, contents.apps);
    return wsID;
}

bool WorkspaceStore::deleteWorkspaceWithID(const QString& wsID, QString* error) {
    const auto records = m_context.fetch(schema::workspaces, kId, wsID, error);
    if (!records)
        return false;
    for (ObjectStore::ObjectId record : *records)
        m_context.remove(record);
    if (m_context.save(error))
        return true;
    for (ObjectStore::ObjectId record : *records)
        m_context.discardChanges(record);
    return false;
}

std::optional<QString> WorkspaceStore::readSetting(const QString& storedName) {
    QString error;
    const auto records = m_context.fetch(schema::settings, kName, storedName, &error);
    if (!records) {
        m_alerts.warn(QStringLiteral("Dexaro settings"),
                      QStringLiteral("Could not get settings data!"), error);
        return std::nullopt;
    }
    if (records->size() != 1)
        return std::nullopt;
    const QVariant value = m_context.value(records->first(), kValue);
    if (value.typeId() != QMetaType::QString)
        return std::nullopt;
    return value.toString();
}

void WorkspaceStore::writeSetting(const QString& storedName, const QString& value) {
    const QString title = QStringLiteral("Dexaro settings");
    const QString message = QStringLiteral("Could not save configuration!");
    QString error;
    const auto records = m_context.fetch(schema::settings, kName, storedName, &error);
    if (!records) {
        m_alerts.warn(title, message, error);
        return;
    }
    ObjectStore::ObjectId record;
    if (records->size() == 1) {
        record = records->first();
    } else {
        record = m_context.insert(schema::settings);
        m_context.setValue(record, kName, storedName);
    }
    m_context.setValue(record, kValue, value);
    if (!m_context.save(&error))
        m_alerts.warn(title, message, error);
}

QString WorkspaceStore::settingValue(const QString& logicalKey) {
    return readSetting(storedSettingName(logicalKey)).value_or(QStringLiteral("0"));
}

} // namespace dexaro
