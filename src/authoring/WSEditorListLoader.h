#pragma once
// Loads the Editor's workspace list off the GUI thread. The store's main
// context belongs to the main thread, so the worker reads through a read-only
// connection of its own to the same file (SQLite in WAL mode lets it read while
// the main thread writes); it sees what has been saved, which is everything
// the screens write, since they save at once. Never two loads at once: a
// request while one runs makes one more run after it. Results arrive on the
// main thread.
#include "model/Records.h"

#include <QList>
#include <QObject>
#include <QThreadPool>
#include <memory>

namespace dexaro {

class ObjectStore;

class WSEditorListLoader : public QObject {
    Q_OBJECT
public:
    explicit WSEditorListLoader(const QString& storePath, QObject* parent = nullptr);
    // Waits for a load that is running.
    ~WSEditorListLoader() override;

    void load();
    bool isLoading() const { return m_running; }

signals:
    // The placeholder first, then every listed workspace in store order.
    void loaded(const QList<WSListModelPtr>& list);
    // The store could not be read; error is its description.
    void failed(const QString& error);

private:
    void read();

    QString m_path;
    QThreadPool m_pool;
    std::unique_ptr<ObjectStore> m_reader; // used by the pool's one thread only
    bool m_running = false;
    bool m_again = false;
};

} // namespace dexaro
