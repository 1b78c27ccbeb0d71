#include "platform/linux/ChildReaper.h"

#include <glib.h>
#include <thread>

namespace dexaro {
namespace {

struct Watch {
    ChildReaper* reaper;
    quint64 token;
};

} // namespace

ChildReaper& ChildReaper::instance() {
    static ChildReaper* reaper = new ChildReaper;
    return *reaper;
}

ChildReaper::ChildReaper() : m_context(g_main_context_new()) {
    GMainLoop* loop = g_main_loop_new(m_context, FALSE);
    std::thread([loop] { g_main_loop_run(loop); }).detach();
}

void ChildReaper::watch(qint64 pid, const QString& entryPath) {
    if (pid <= 0)
        return;
    quint64 token = 0;
    {
        std::lock_guard lock(m_mutex);
        token = ++m_nextToken;
        m_children.insert(pid, {token, entryPath});
    }
    // The watch also reaps a child that exited before it was added. GLib has
    // reaped the child when the callback runs.
    GSource* source = g_child_watch_source_new(GPid(pid));
    g_source_set_callback(source, G_SOURCE_FUNC(+[](GPid child, gint, gpointer data) {
                              const auto* watch = static_cast<Watch*>(data);
                              watch->reaper->reaped(child, watch->token);
                              g_spawn_close_pid(child);
                          }),
                          new Watch{this, token},
                          [](gpointer data) { delete static_cast<Watch*>(data); });
    g_source_attach(source, m_context);
    g_source_unref(source);
}

std::optional<QString> ChildReaper::launchedFrom(qint64 pid) const {
    std::lock_guard lock(m_mutex);
    const auto it = m_children.constFind(pid);
    if (it == m_children.constEnd())
        return std::nullopt;
    return it->second;
}

void ChildReaper::reaped(qint64 pid, quint64 token) {
    std::lock_guard lock(m_mutex);
    // The pid may already belong to a newer child that was launched after
    // GLib reaped this one and before this ran.
    const auto it = m_children.find(pid);
    if (it != m_children.end() && it->first == token)
        m_children.erase(it);
}

} // namespace dexaro
