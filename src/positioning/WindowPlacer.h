#pragma once
// Moves a launched application's first window to its placement. The window may
// not exist yet, so the placer polls: up to 20 attempts, one second apart. It
// blocks its thread meanwhile, so it runs on a pool of its own, never on the
// main thread.
#include "positioning/PositionName.h"

#include <QString>
#include <chrono>

class QThreadPool;

namespace dexaro {

class AccessibilityBackend;

struct PlacerTuning {
    int attempts = 20;
    std::chrono::milliseconds interval{1000};
};

class WindowPlacer {
public:
    WindowPlacer(AccessibilityBackend& backend, FrameCalculator& frames, PlacerTuning tuning = {});

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
};

// Places with the system backend and the primary screen; blocks up to about
// 20 seconds. Called on the main thread, it hands the work to the placers'
// pool instead and returns at once.
void placeAppWindow(qint32 processIdentifier, PositionName position,
                    const QString& startupWMClass = {});

// Runs placeAppWindow as a work item of the placers' pool and returns at once.
// The pool has no small cap: every launched application is polled at the same
// time. Placements still waiting when the application quits are abandoned.
void startPlacingAppWindow(qint32 processIdentifier, PositionName position,
                           const QString& startupWMClass = {});
QThreadPool& placerPool();

} // namespace dexaro
