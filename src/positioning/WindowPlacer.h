#pragma once
// Moves a launched application's first window to its placement. The window may
// not exist yet, so the placer polls: up to 20 attempts, one second apart. It
// blocks its thread meanwhile, so it runs on a pool of its own, never on the
// main thread.
#include "positioning/PositionName.h"

#include <QString>
#include <chrono>
#include <condition_variable>
#include <memory>
#include <mutex>

namespace dexaro {

class AccessibilityBackend;

struct PlacerTuning {
    int attempts = 20;
    std::chrono::milliseconds interval{1000};
};

// What placers wait on between attempts, so that quitting wakes them at once.
class PlacerStop {
public:
    // Waits one interval; false once stopped.
    bool wait(std::chrono::milliseconds interval);
    void stop();

private:
    std::mutex m_mutex;
    std::condition_variable m_wake;
    bool m_stopped = false;
};

class WindowPlacer {
public:
    // Between attempts the placer waits on stop (nullptr: it is never stopped early).
    WindowPlacer(AccessibilityBackend& backend, FrameCalculator& frames, PlacerTuning tuning = {},
                 PlacerStop* stop = nullptr);

    struct Result {
        int attempts = 0; // attempts made; 0 when nothing was to be done
        bool placed = false;
    };
    // Windows of the process (or of its descendants) are placed; with
    // startupWMClass also windows of that WM_CLASS (applications started over
    // D-Bus have no process of their own). def returns at once.
    Result place(qint64 processIdentifier, PositionName position,
                 const QString& startupWMClass = {});

private:
    bool attempt(qint64 pid, const QString& wmClass, QPointF& targetOrigin, QSizeF& targetSize);

    AccessibilityBackend& m_backend;
    FrameCalculator& m_frames;
    PlacerTuning m_tuning;
    PlacerStop* m_stop;
};

// The placers of launched applications' windows. Each placement polls on a
// thread of the placers' own pool, which has no small cap: every application
// of a workspace is polled at the same time. Start-up owns one; destroying it
// wakes every waiting placer and waits for them to end.
class WindowPlacers {
public:
    WindowPlacers(AccessibilityBackend& backend, FrameCalculator& frames, PlacerTuning tuning = {});
    ~WindowPlacers();
    WindowPlacers(const WindowPlacers&) = delete;
    WindowPlacers& operator=(const WindowPlacers&) = delete;

    // Places the window; blocks up to about attempts x interval. Called on the
    // main thread, it hands the work to the pool instead and returns at once.
    void placeAppWindow(qint64 processIdentifier, PositionName position,
                        const QString& startupWMClass = {});
    // Runs placeAppWindow on the pool and returns at once; def does nothing.
    void startPlacingAppWindow(qint64 processIdentifier, PositionName position,
                               const QString& startupWMClass = {});

    // Placements under way.
    int activeCount() const;
    // Wakes every waiting placer so that it gives up, and waits for them.
    void stop();

private:
    struct State;
    std::unique_ptr<State> m_state;
};

} // namespace dexaro
