#include "authoring/AppListSearch.h"

#include <QMetaObject>

namespace dexaro {

AppListSearch::AppListSearch(QObject* parent) : QObject(parent) {
    m_pool.setMaxThreadCount(1);
}

AppListSearch::~AppListSearch() {
    // A job running now posts to this object; it must be done before it goes.
    m_pool.clear();
    m_pool.waitForDone();
}

void AppListSearch::setExecutor(Executor executor) {
    m_executor = std::move(executor);
}

void AppListSearch::start(const QList<AppListModel>& apps, const QString& text) {
    const quint64 generation = ++m_generation;
    // Older searches still queued are of no use any more.
    m_pool.clear();
    auto job = [this, apps, text, generation] {
        const QList<AppListModel> result = filtered(apps, text);
        QMetaObject::invokeMethod(
            this, [this, generation, result, text] { deliver(generation, result, text); },
            Qt::QueuedConnection);
    };
    if (m_executor)
        m_executor(std::move(job));
    else
        m_pool.start(std::move(job));
}

void AppListSearch::cancel() {
    ++m_generation;
    m_pool.clear();
}

void AppListSearch::deliver(quint64 generation, const QList<AppListModel>& result,
                            const QString& text) {
    if (generation != m_generation)
        return;
    emit finished(result, text);
}

QList<AppListModel> AppListSearch::filtered(const QList<AppListModel>& apps, const QString& text) {
    const QString needle = text.toLower();
    QList<AppListModel> result;
    for (const AppListModel& app : apps) {
        if (app.appName.toLower().contains(needle))
            result.append(app);
    }
    return result;
}

} // namespace dexaro
