#pragma once
// The stored placements: one PositionsEntity record (wsID, appPositions) per
// workspace holding its placement string. Failures leave stored data as it
// was and are shown as alerts, or, where the caller asks for the error, only
// handed back. Main thread only.
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
    bool save(const QString& wsID, const QString& placementString, QString* error = nullptr);
    // Removes every record of the workspace.
    bool remove(const QString& wsID, QString* error = nullptr);

private:
    static QString defaultTitle() { return QStringLiteral("Dexaro positions"); }
    bool insert(const QString& wsID, const QString& placementString, QString* error);
    bool saveOrDiscard(const QList<ObjectStore::ObjectId>& changed, const QString& message,
                       QString* error, const QString& title = defaultTitle());
    // An alert, or the error handed back when the caller asked for it.
    void warn(const QString& message, const QString& informative, QString* error = nullptr,
              const QString& title = defaultTitle());

    ObjectStore& m_context;
    Alerts& m_alerts;
};

} // namespace dexaro
