#pragma once
// A WorkspaceServices that launches nothing: it records every call and answers
// as configured. Launches succeed with a made-up process unless their entry is
// listed in failingEntries; with holdLaunches their completions wait until
// releaseHeldLaunches(); with blockLaunches the launching thread itself waits
// in openApplication until releaseBlockedLaunches(), as behind a slow start.
// Safe from any thread, as the real one is.
#include "platform/WorkspaceServices.h"

#include <QFileInfo>
#include <QHash>
#include <QList>
#include <QSet>
#include <condition_variable>
#include <mutex>

namespace dexaro::test {

class RecordingWorkspaceServices : public WorkspaceServices {
public:
    struct Launch {
        QString entry;
        OpenConfiguration configuration;
    };

    // --- configuration (set before use) ---
    QSet<QString> failingEntries;
    // entry -> localizedName; without an entry here the name is the file's base name.
    QHash<QString, QString> localizedNames;
    bool holdLaunches = false;
    bool blockLaunches = false; // read and changed under the lock: use the methods below

    void openApplication(const QString& entry, const OpenConfiguration& configuration,
                         OpenCompletion completion) override {
        std::unique_lock guard(m_lock);
        m_launches.append({entry, configuration});
        if (blockLaunches) {
            ++m_blocked;
            m_unblocked.wait(guard, [this] { return !blockLaunches; });
            --m_blocked;
        }
        if (holdLaunches) {
            m_held.append({entry, std::move(completion)});
            return;
        }
        guard.unlock();
        deliver(entry, completion);
    }
    bool openURL(const QUrl&) override { return true; }
    bool openFile(const QString&) override { return true; }
    void terminate(const RunningApplication& app) override { record(m_terminated, app); }
    void forceTerminate(const RunningApplication& app) override { record(m_forceTerminated, app); }
    bool isTerminated(const RunningApplication& app) override {
        std::lock_guard guard(m_lock);
        return m_terminated.contains(app) || m_forceTerminated.contains(app);
    }

    void setBlockLaunches(bool block) {
        {
            std::lock_guard guard(m_lock);
            blockLaunches = block;
        }
        m_unblocked.notify_all();
    }
    int blockedCount() const {
        std::lock_guard guard(m_lock);
        return m_blocked;
    }

    // Delivers the completions held so far, on the calling thread.
    void releaseHeldLaunches() {
        QList<std::pair<QString, OpenCompletion>> held;
        {
            std::lock_guard guard(m_lock);
            held.swap(m_held);
        }
        for (auto& [entry, completion] : held)
            deliver(entry, completion);
    }

    // --- what happened (copies, taken under the lock) ---
    QList<Launch> launches() const { return locked(m_launches); }
    QList<RunningApplication> terminated() const { return locked(m_terminated); }
    QList<RunningApplication> forceTerminated() const { return locked(m_forceTerminated); }
    int heldCount() const {
        std::lock_guard guard(m_lock);
        return static_cast<int>(m_held.size());
    }

private:
    template <typename T> T locked(const T& value) const {
        std::lock_guard guard(m_lock);
        return value;
    }
    void record(QList<RunningApplication>& list, const RunningApplication& app) {
        std::lock_guard guard(m_lock);
        list.append(app);
    }
    void deliver(const QString& entry, const OpenCompletion& completion) {
        if (failingEntries.contains(entry)) {
            completion(std::nullopt, QStringLiteral("no such application"));
            return;
        }
        RunningApplication app;
        {
            std::lock_guard guard(m_lock);
            app.pid = m_nextPid++;
            app.localizedName = localizedNames.contains(entry)
                                    ? localizedNames.value(entry)
                                    : QFileInfo(QUrl(entry).path()).completeBaseName();
            app.entry = entry;
        }
        completion(app, QString());
    }

    mutable std::mutex m_lock;
    std::condition_variable m_unblocked;
    int m_blocked = 0;
    QList<Launch> m_launches;
    QList<std::pair<QString, OpenCompletion>> m_held;
    QList<RunningApplication> m_terminated;
    QList<RunningApplication> m_forceTerminated;
    qint64 m_nextPid = 4000;
};

} // namespace dexaro::test
