#pragma once
// The application picker's search: narrows the whole list to the applications
// whose lower-cased name contains the lower-cased text, off the GUI thread.
// The last search started wins: a result that arrives after a newer search
// (or cancel()) started is dropped. Results are delivered on the thread that
// owns this object (the main thread).
#include "model/Records.h"

#include <QList>
#include <QObject>
#include <QThreadPool>
#include <functional>

namespace dexaro {

class AppListSearch : public QObject {
    Q_OBJECT
public:
    // Runs a job somewhere; by default on this object's own pool. Tests pass
    // one that keeps the jobs and runs them in the order they choose.
    using Executor = std::function<void(std::function<void()> job)>;

    explicit AppListSearch(QObject* parent = nullptr);
    ~AppListSearch() override;

    // A custom executor must have run (or dropped) every job before this
    // object is destroyed.
    void setExecutor(Executor executor);

    // Starts filtering apps for text (already trimmed and non-empty).
    void start(const QList<AppListModel>& apps, const QString& text);
    // Drops the result of every search started so far.
    void cancel();

    // The filter itself: apps in order, whose lower-cased name contains the
    // lower-cased text (a plain substring test, no locale rules).
    static QList<AppListModel> filtered(const QList<AppListModel>& apps, const QString& text);

signals:
    void finished(const QList<AppListModel>& result, const QString& text);

private:
    void deliver(quint64 generation, const QList<AppListModel>& result, const QString& text);

    QThreadPool m_pool;
    Executor m_executor;
    quint64 m_generation = 0; // main thread only
};

} // namespace dexaro
