#pragma once
// Hides a launched application: its windows are iconified as they appear.
// Each hidden launch is watched by a thread of its own for a bounded time, and
// no longer than its process lives; nothing of it runs on the main thread.
// Destroying the hider stops and joins every watch.
#include <QList>
#include <QString>
#include <atomic>
#include <chrono>
#include <list>
#include <memory>
#include <mutex>
#include <thread>

namespace dexaro {

class AccessibilityBackend;

class WindowHider {
public:
    struct Tuning {
        std::chrono::milliseconds limit{20000};  // how long new windows are looked for
        std::chrono::milliseconds interval{100}; // between two looks
    };

    // Windows are found through the window layer windows.
    WindowHider(AccessibilityBackend& windows, Tuning tuning);
    explicit WindowHider(AccessibilityBackend& windows) : WindowHider(windows, Tuning{}) {}
    ~WindowHider();
    WindowHider(const WindowHider&) = delete;
    WindowHider& operator=(const WindowHider&) = delete;

    // Iconifies each window of the application (pid > 0: the process and its
    // descendants; otherwise windows of wmClass) that is not in existing, once,
    // as it appears. Returns at once.
    void hideAsTheyAppear(qint64 pid, const QString& wmClass, const QList<quint32>& existing);

private:
    struct Watch {
        std::shared_ptr<std::atomic<bool>> done;
        std::jthread thread;
    };

    AccessibilityBackend& m_windows;
    Tuning m_tuning;
    std::mutex m_mutex;
    std::list<Watch> m_watches;
};

} // namespace dexaro
