#include "model/TemporaryGlobalDataHolder.h"

namespace dexaro {

TemporaryGlobalDataHolder& TemporaryGlobalDataHolder::shared() {
    static auto* holder = new TemporaryGlobalDataHolder; // never freed
    return *holder;
}

void TemporaryGlobalDataHolder::setUpdatedAppList(const QString& wsID, const QStringList& apps) {
    QMutexLocker lock(&m_mutex);
    m_updatedWSAppList.insert(wsID, apps);
}

std::optional<QStringList> TemporaryGlobalDataHolder::updatedAppList(const QString& wsID) const {
    QMutexLocker lock(&m_mutex);
    auto it = m_updatedWSAppList.constFind(wsID);
    if (it == m_updatedWSAppList.constEnd())
        return std::nullopt;
    return *it;
}

} // namespace dexaro
