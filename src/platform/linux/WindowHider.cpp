#include "platform/linux/WindowHider.h"

#include "platform/linux/ProcFs.h"
#include "platform/linux/X11WindowRequests.h"

#include <QSet>
#include <condition_variable>

namespace dexaro {

WindowHider::WindowHider(AccessibilityBackend& windows, Tuning tuning)
    : m_windows(windows), m_tuning(tuning) {}

WindowHider::~WindowHider() {
    std::list<Watch> watches;
    {
        std::lock_guard lock(m_mutex);
        watches.swap(m_watches);
    }
    watches.clear(); // each jthread is asked to stop, then joined
}

void WindowHider::hideAsTheyAppear(qint64 pid, const QString& wmClass,
                                   const QList<quint32>& existing) {
    if (pid <= 0 && wmClass.isEmpty())
        return;
    auto done = std::make_shared<std::atomic<bool>>(false);
    const Tuning tuning = m_tuning;
    AccessibilityBackend* windows = &m_windows;
    std::jthread thread([=](std::stop_token stop) {
        QSet<quint32> handled(existing.begin(), existing.end());
        const auto deadline = std::chrono::steady_clock::now() + tuning.limit;
        std::mutex mutex;
        std::condition_variable_any wake;
        while (!stop.stop_requested() && std::chrono::steady_clock::now() < deadline) {
            if (pid > 0 && !procfs::isAlive(pid))
                break;
            for (quint32 window : x11::applicationWindows(*windows, pid, wmClass)) {
                if (!handled.contains(window) && x11::requestIconify(window))
                    handled.insert(window);
            }
            std::unique_lock lock(mutex);
            wake.wait_for(lock, stop, tuning.interval, [] { return false; });
        }
        done->store(true);
    });

    std::lock_guard lock(m_mutex);
    // Watches that have ended are joined here, so that they do not pile up.
    m_watches.remove_if([](const Watch& watch) { return watch.done->load(); });
    m_watches.push_back(Watch{done, std::move(thread)});
}

} // namespace dexaro
