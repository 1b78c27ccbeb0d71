#pragma once
// Collects the exit status of launched applications, so that none stays a
// zombie. The GLib child watches run on a main context of the reaper's own,
// served by a thread of its own: reaping does not depend on which thread
// launched, on the Qt event dispatcher being GLib's (QT_NO_GLIB), nor on the
// main thread being free.
//
// Until a child is reaped its pid cannot be reused, so the reaper also knows
// for certain which entry each of its live children was launched from, even
// in the moment before the child has become the entry's program.
#include <QHash>
#include <QString>
#include <mutex>
#include <optional>
#include <utility>

typedef struct _GMainContext GMainContext;

namespace dexaro {

class ChildReaper {
public:
    // The process-wide reaper, started on first use and never stopped: a child
    // still running when its launcher is gone must still be reaped.
    static ChildReaper& instance();

    // Reaps pid, a child of this process launched from the entry at entryPath,
    // once it exits. Any thread.
    void watch(qint64 pid, const QString& entryPath);
    // The entry pid was launched from, while it is a child not yet reaped.
    std::optional<QString> launchedFrom(qint64 pid) const;

private:
    ChildReaper();
    void reaped(qint64 pid, quint64 token);

    GMainContext* m_context = nullptr;
    mutable std::mutex m_mutex;
    quint64 m_nextToken = 0;
    QHash<qint64, std::pair<quint64, QString>> m_children; // pid -> (watch, entry)
};

} // namespace dexaro
