#pragma once
// Collects the exit status of launched applications, so that none stays a
// zombie. The GLib child watches run on a main context of the reaper's own,
// served by a thread of its own: reaping does not depend on which thread
// launched, on the Qt event dispatcher being GLib's (QT_NO_GLIB), nor on the
// main thread being free.
#include <QtGlobal>

typedef struct _GMainContext GMainContext;

namespace dexaro {

class ChildReaper {
public:
    // The process-wide reaper, started on first use and never stopped: a child
    // still running when its launcher is gone must still be reaped.
    static ChildReaper& instance();

    // Reaps pid, a child of this process, once it exits. Any thread.
    void watch(qint64 pid);

private:
    ChildReaper();
    GMainContext* m_context = nullptr;
};

} // namespace dexaro
