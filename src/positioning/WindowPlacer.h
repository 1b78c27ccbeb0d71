#pragma once
// Moves a launched application's first window to its placement, the moment it
// appears, and keeps it there while the application settles.
//
// The window placed is the first normal window of the launch (LaunchWindows.h:
// not a splash screen, dialog, utility or transient window, nor a window that
// was there before the launch). It is placed as soon as the window manager
// manages it. For a short settle period afterwards, a move or resize the
// application makes itself (restoring its saved geometry) is undone once
// more; one the user makes ends the watch. A frame the window manager adjusts
// (below a panel, rounded to character cells) becomes the target. At most 20
// attempts and about 20 seconds per application; def on the current desktop
// does nothing.
//
// Everything is driven by the window layer's notifications and by deadlines,
// on one thread of the placers' own: nothing polls, nothing sleeps.
#include "platform/Windows.h"
#include "platform/WorkspaceServices.h"
#include "positioning/PositionName.h"
#include "positioning/WindowTarget.h"

#include <chrono>
#include <functional>
#include <memory>

namespace dexaro {

struct PlacerTuning {
    int attempts = 20;
    std::chrono::milliseconds limit{20000}; // how long a launch's window is waited for
    std::chrono::milliseconds settle{3000}; // how long a placed window is kept in place
};

struct PlacementResult {
    int attempts = 0; // frames asked for; 0 when nothing was to be done
    bool placed = false;
    WindowId window = 0; // the window placed
    QRect frame;         // where it was last put
};

class WindowPlacers {
public:
    WindowPlacers(Windows& windows, FrameCalculator& frames, PlacerTuning tuning = {});
    ~WindowPlacers();
    WindowPlacers(const WindowPlacers&) = delete;
    WindowPlacers& operator=(const WindowPlacers&) = delete;

    using Finished = std::function<void(const PlacementResult& result)>;
    // Places the launch's window; returns at once. finished runs once the
    // placement has ended (also when it is stopped), on the placers' thread;
    // def ends nothing and calls nothing.
    void startPlacingAppWindow(const RunningApplication& app, const WindowTarget& target,
                               Finished finished = {});
    void startPlacingAppWindow(const RunningApplication& app, PositionName position,
                               Finished finished = {}) {
        startPlacingAppWindow(app, WindowTarget{position, QString(), desktops::current},
                              std::move(finished));
    }
    // The same, waiting until the placement has ended. Called on the main
    // thread it returns at once instead, with nothing done yet.
    PlacementResult placeAppWindow(const RunningApplication& app, const WindowTarget& target);
    PlacementResult placeAppWindow(const RunningApplication& app, PositionName position) {
        return placeAppWindow(app, WindowTarget{position, QString(), desktops::current});
    }

    // Placements under way.
    int activeCount() const;
    // Ends every placement now and stops the placers' thread.
    void stop();

private:
    struct State;
    std::unique_ptr<State> m_state;
};

} // namespace dexaro
