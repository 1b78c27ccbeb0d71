#pragma once
// An executor for code that hands jobs to a background pool: it keeps the
// jobs, and the test runs them, on its own thread, in the order it chooses,
// so that races between overlapping jobs become deterministic.
#include <QList>
#include <functional>
#include <utility>

namespace dexaro::test {

class ManualExecutor {
public:
    using Job = std::function<void()>;

    std::function<void(Job)> executor() {
        return [this](Job job) {
            m_jobs.append(std::move(job));
        };
    }
    // Jobs handed over so far, run or not; indexes stay valid.
    int count() const { return int(m_jobs.size()); }
    // Runs job i once (later calls for it do nothing).
    void run(int i) {
        if (Job job = std::exchange(m_jobs[i], Job()))
            job();
    }
    void runAll() {
        for (int i = 0; i < count(); ++i)
            run(i);
    }

private:
    QList<Job> m_jobs;
};

} // namespace dexaro::test
