#pragma once
// The application list an edited workspace was last saved with, by workspace
// identifier, for the popover rows that were built before the edit. Process-wide,
// kept for the life of the process, never persisted. Safe from any thread.
#include <QHash>
#include <QMutex>
#include <QStringList>
#include <optional>

namespace dexaro {

class TemporaryGlobalDataHolder {
public:
    static TemporaryGlobalDataHolder& shared();

    void setUpdatedAppList(const QString& wsID, const QStringList& apps);
    std::optional<QStringList> updatedAppList(const QString& wsID) const;

private:
    TemporaryGlobalDataHolder() = default;
    mutable QMutex m_mutex;
    QHash<QString, QStringList> m_updatedWSAppList;
};

} // namespace dexaro
