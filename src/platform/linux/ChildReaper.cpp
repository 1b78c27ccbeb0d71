#include "platform/linux/ChildReaper.h"

#include <glib.h>
#include <thread>

namespace dexaro {

ChildReaper& ChildReaper::instance() {
    static ChildReaper* reaper = new ChildReaper;
    return *reaper;
}

ChildReaper::ChildReaper() : m_context(g_main_context_new()) {
    GMainLoop* loop = g_main_loop_new(m_context, FALSE);
    std::thread([loop] { g_main_loop_run(loop); }).detach();
}

void ChildReaper::watch(qint64 pid) {
    if (pid <= 0)
        return;
    // The watch also reaps a child that exited before it was added.
    GSource* source = g_child_watch_source_new(GPid(pid));
    g_source_set_callback(
        source, G_SOURCE_FUNC(+[](GPid child, gint, gpointer) { g_spawn_close_pid(child); }),
        nullptr, nullptr);
    g_source_attach(source, m_context);
    g_source_unref(source);
}

} // namespace dexaro
