#include "authoring/WSEditorListLoader.h"

#include "model/WorkspaceStore.h"
#include "platform/ObjectStore.h"

#include <QMetaObject>

namespace dexaro {

WSEditorListLoader::WSEditorListLoader(const QString& storePath, QObject* parent)
    : QObject(parent), m_path(storePath) {
    m_pool.setMaxThreadCount(1);
}

WSEditorListLoader::~WSEditorListLoader() {
    m_pool.waitForDone();
}

void WSEditorListLoader::load() {
    if (m_running) {
        m_again = true;
        return;
    }
    m_running = true;
    m_pool.start([this] { read(); });
}

// On the pool's thread.
void WSEditorListLoader::read() {
    QString error;
    if (!m_reader)
        m_reader = WorkspaceStore::openReadOnlyStore(m_path, &error);
    std::optional<QList<WSListModelPtr>> list;
    if (m_reader)
        list = WorkspaceStore::readEditorWorkspaceList(*m_reader, &error);
    QMetaObject::invokeMethod(
        this,
        [this, list, error] {
            m_running = false;
            if (list)
                emit loaded(*list);
            else
                emit failed(error);
            if (m_again) {
                m_again = false;
                load();
            }
        },
        Qt::QueuedConnection);
}

} // namespace dexaro
