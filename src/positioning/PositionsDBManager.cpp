#include "positioning/PositionsDBManager.h"

#include "model/WorkspaceStore.h"
#include "platform/Alerts.h"
#include "platform/ObjectStore.h"

namespace dexaro {
namespace {

const QString wsIDAttribute = QStringLiteral("wsID");
const QString appPositionsAttribute = QStringLiteral("appPositions");
const QString couldNotGet = QStringLiteral("Could not get positions data!");

} // namespace

PositionsDBManager::PositionsDBManager(ObjectStore& context, Alerts& alerts)
    : m_context(context), m_alerts(alerts) {}

void PositionsDBManager::warn(const QString& message, const QString& informative, QString* error,
                              const QString& title) {
    if (error)
        *error = QStringLiteral("%1 %2").arg(message, informative).trimmed();
    else
        m_alerts.warn(title, message, informative);
}

QHash<QString, QString> PositionsDBManager::fetchAll() {
    QString error;
    const auto records = m_context.fetch(schema::positions, {}, {}, &error);
    if (!records) {
        warn(couldNotGet, error);
        return {};
    }
    QHash<QString, QString> all;
    for (ObjectStore::ObjectId record : *records) {
        const QVariant id = m_context.value(record, wsIDAttribute);
        const QVariant positions = m_context.value(record, appPositionsAttribute);
        const QString key = id.isValid() && !id.isNull() ? id.toString() : QStringLiteral("dd");
        all.insert(key, positions.isValid() && !positions.isNull() ? positions.toString()
                                                                   : QStringLiteral(""));
    }
    return all;
}

std::optional<QString> PositionsDBManager::positionsOf(const QString& wsID) {
    QString error;
    const auto records = m_context.fetch(schema::positions, wsIDAttribute, wsID, &error);
    if (!records) {
        warn(couldNotGet, error);
        return std::nullopt;
    }
    if (records->isEmpty())
        return std::nullopt;
    const QVariant positions = m_context.value(records->first(), appPositionsAttribute);
    if (!positions.isValid() || positions.isNull())
        return std::nullopt;
    return positions.toString();
}

bool PositionsDBManager::save(const QString& wsID, const QString& placementString, QString* error) {
    if (wsID.isEmpty() && placementString.isEmpty())
        return false;
    QString fetchError;
    const auto records = m_context.fetch(schema::positions, wsIDAttribute, wsID, &fetchError);
    if (!records) {
        warn(couldNotGet, fetchError, error);
        return false;
    }
    if (records->isEmpty())
        return insert(wsID, placementString, error);
    m_context.setValue(records->first(), appPositionsAttribute, placementString);
    return saveOrDiscard({records->first()}, couldNotGet, error);
}

// A refused insert answers false, so that a caller never takes a placement
// the store did not keep for a saved one.
bool PositionsDBManager::insert(const QString& wsID, const QString& placementString,
                                QString* error) {
    if (wsID.isEmpty() && placementString.isEmpty())
        return false;
    const ObjectStore::ObjectId record = m_context.insert(schema::positions);
    m_context.setValue(record, appPositionsAttribute, placementString);
    m_context.setValue(record, wsIDAttribute, wsID);
    return saveOrDiscard({record}, QStringLiteral("Could not save the positions!"), error,
                         QStringLiteral("Position saving"));
}

bool PositionsDBManager::remove(const QString& wsID, QString* error) {
    const QString couldNotDelete = QStringLiteral("Could not delete positions data!");
    QString fetchError;
    const auto records = m_context.fetch(schema::positions, wsIDAttribute, wsID, &fetchError);
    if (!records) {
        warn(couldNotDelete, fetchError, error);
        return false;
    }
    for (ObjectStore::ObjectId record : *records)
        m_context.remove(record);
    return saveOrDiscard(*records, couldNotDelete, error);
}

// A change the store refused is dropped, so that the next save (of anything
// else, or at quit) does not write what the user was told did not happen.
bool PositionsDBManager::saveOrDiscard(const QList<ObjectStore::ObjectId>& changed,
                                       const QString& message, QString* error,
                                       const QString& title) {
    QString saveError;
    if (m_context.save(&saveError))
        return true;
    for (ObjectStore::ObjectId record : changed)
        m_context.discardChanges(record);
    warn(message, saveError, error, title);
    return false;
}

} // namespace dexaro
