#pragma once
// The stored placements: one PositionsEntity record (wsID, appPositions) per
// workspace holding its placement string. Failures are shown as alerts and
// leave stored data as it was. Main thread only.
#include "platform/ObjectStore.h"

#include <QHash>
#include <QString>
#include <optional>

namespace dexaro {

class Alerts;

class PositionsDBManager {
public:
    PositionsDBManager(ObjectStore& context, Alerts& alerts);

    Alerts& alerts() const { return m_alerts; }

    // Workspace identifier ("dd" for a record without one) -> placement string
    // ("" when unset); the last record of an identifier wins. Empty after a
    // fetch error.
    QHash<QString, QString> fetchAll();
    // The first matching record's placement string; nothing when there is no
    // record, the attribute is unset or the fetch failed.
    std::optional<QString> positionsOf(const QString& wsID);
    // Updates the first record of the workspace or inserts one. false when both
    // texts are empty or the store refused.
    bool save(const QString& wsID, const QString& placementString);
    // Removes every record of the workspace.
    bool remove(const QString& wsID);

private:
    static QString defaultTitle() { return QStringLiteral("Dexaro positions"); }
    bool insert(const QString& wsID, const QString& placementString);
    bool saveOrDiscard(const QList<ObjectStore::ObjectId>& changed, const QString& message,
                       const QString& title = defaultTitle());
    void warn(const QString& message, const QString& informative,
              const QString& title = defaultTitle());

    ObjectStore& m_context;
    Alerts& m_alerts;
};

} // namespace dexaro
