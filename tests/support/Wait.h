#pragma once
// Polling with a deadline, for tests that wait on real outcomes (a window
// mapped, a process ended). Qt events keep being processed while waiting.
#include <QTest>
#include <functional>

namespace dexaro::test {

inline bool waitUntil(const std::function<bool()>& condition, int timeoutMs = 10000) {
    return QTest::qWaitFor(condition, timeoutMs);
}

} // namespace dexaro::test
