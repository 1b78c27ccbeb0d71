#include "positioning/WindowPlacer.h"

#include "platform/LaunchWindows.h"

#include <QCoreApplication>
#include <QSet>
#include <QThread>

#include <algorithm>
#include <condition_variable>
#include <deque>
#include <future>
#include <list>
#include <mutex>
#include <optional>
#include <thread>

namespace dexaro {
namespace {

using Clock = std::chrono::steady_clock;

struct Placement {
    RunningApplication app;
    WindowTarget where;
    bool desktopSent = false;
    WindowPlacers::Finished finished;
    std::optional<QRect> target;
    int attemptsLeft = 0;
    Clock::time_point deadline;
    WindowId window = 0; // the window taken, 0 while waiting for one
    std::optional<Clock::time_point> settleUntil;
    PlacementResult result;
};

using PlacementPtr = std::shared_ptr<Placement>;

} // namespace

struct WindowPlacers::State {
    State(Windows& windows, FrameCalculator& frames, PlacerTuning tuning)
        : windows(windows), frames(frames), tuning(tuning) {}

    Windows& windows;
    FrameCalculator& frames;
    PlacerTuning tuning;

    mutable std::mutex mutex; // guards what follows up to the thread
    std::condition_variable wake;
    std::deque<PlacementPtr> starting;
    std::deque<WindowEvent> events;
    int count = 0; // starting and active
    bool stopping = false;
    std::unique_ptr<WindowSubscription> subscription;
    std::thread thread;

    // The placers' thread only.
    std::list<PlacementPtr> active;
    QSet<WindowId> claimed; // a window one placement has taken is no other's
    // The launches handed over lately, with when: a window that one of them
    // shows for certain (by its startup id or process) is not another launch's
    // of the same application by its class, also after its placement ended.
    std::deque<std::pair<Clock::time_point, RunningApplication>> recent;

    void run();
    void begin(const PlacementPtr& placement);
    void lookAtPresent(const PlacementPtr& placement);
    void handle(const WindowEvent& event);
    void consider(const PlacementPtr& placement, const WindowInfo& window);
    void attempt(const PlacementPtr& placement);
    void release(const PlacementPtr& placement);
    // By value: the caller's may be the list entry that finishing removes.
    void finish(PlacementPtr placement);
};

void WindowPlacers::State::run() {
    std::unique_lock lock(mutex);
    for (;;) {
        std::optional<Clock::time_point> next;
        for (const PlacementPtr& p : active) {
            Clock::time_point due = p->deadline;
            if (p->settleUntil)
                due = std::min(due, *p->settleUntil);
            if (!next || due < *next)
                next = due;
        }
        const auto ready = [&] {
            return stopping || !starting.empty() || !events.empty();
        };
        if (next)
            wake.wait_until(lock, *next, ready);
        else
            wake.wait(lock, ready);
        if (stopping)
            break;
        std::deque<PlacementPtr> started;
        std::deque<WindowEvent> arrived;
        started.swap(starting);
        arrived.swap(events);
        lock.unlock();

        // Every launch handed over is known before any looks at the windows
        // there: a window is not taken by class from the launch it is for.
        for (const PlacementPtr& p : started)
            begin(p);
        for (const PlacementPtr& p : started)
            lookAtPresent(p);
        for (const WindowEvent& event : arrived)
            handle(event);
        const auto now = Clock::now();
        for (auto it = active.begin(); it != active.end();) {
            const PlacementPtr p = *it++;
            if (now >= p->deadline || (p->settleUntil && now >= *p->settleUntil))
                finish(p);
        }
        lock.lock();
    }
    // Stopped: every placement ends where it is.
    std::deque<PlacementPtr> started;
    started.swap(starting);
    lock.unlock();
    for (const PlacementPtr& p : started) {
        active.push_back(p);
        finish(p);
    }
    while (!active.empty())
        finish(active.front());
}

void WindowPlacers::State::begin(const PlacementPtr& p) {
    active.push_back(p);
    const auto now = Clock::now();
    while (!recent.empty() && (recent.front().first < now - tuning.limit || recent.size() > 64))
        recent.pop_front();
    recent.emplace_back(now, p->app);
    if (p->where.position != PositionName::def)
        if (const auto frame = frames.frame(p->where.position, p->where.monitor))
            p->target = frame->toRect();
    p->attemptsLeft = tuning.attempts;
    p->deadline = now + tuning.limit;
}

void WindowPlacers::State::lookAtPresent(const PlacementPtr& p) {
    if (!p->target && p->where.desktop == desktops::current) {
        finish(p); // no screen: the window is left alone
        return;
    }
    // The launch's windows already there: the oldest that qualifies.
    QList<WindowInfo> present = windows.windows();
    std::sort(present.begin(), present.end(),
              [](const WindowInfo& a, const WindowInfo& b) { return a.appearance < b.appearance; });
    for (const WindowInfo& window : present) {
        consider(p, window);
        if (p->window || p->result.attempts)
            break;
    }
}

void WindowPlacers::State::handle(const WindowEvent& event) {
    const WindowId id = event.window.id;
    for (auto it = active.begin(); it != active.end();) {
        const PlacementPtr p = *it++;
        if (!p->window) {
            if (event.type == WindowEvent::Type::appeared ||
                event.type == WindowEvent::Type::changed)
                consider(p, event.window);
            continue;
        }
        if (p->window != id)
            continue;
        if (event.type == WindowEvent::Type::gone) {
            // Gone while being placed, or replaced: the next one is waited for.
            release(p);
            p->settleUntil.reset();
            p->result.placed = false;
        } else if (event.type == WindowEvent::Type::moved) {
            if (event.byUser) {
                finish(p); // the user's own move is the last word
                continue;
            }
            // The application moved or resized it itself: once more. Events of
            // a change already undone find the window back in place.
            const auto now = windows.frame(id);
            if (!now)
                release(p);
            else if (*now != *p->target)
                attempt(p);
        }
    }
}

void WindowPlacers::State::consider(const PlacementPtr& p, const WindowInfo& window) {
    if (p->window || claimed.contains(window.id) || !isMainWindowKind(window))
        return;
    const LaunchMatch match = launchMatch(window, p->app, windows);
    if (match == LaunchMatch::none)
        return;
    if (match == LaunchMatch::byClass) {
        // A window whose pid is not written yet may turn out another launch's
        // of the same program: it is looked at again once the pid comes
        // (unless this launch has no process to tell it by).
        if (window.pid == 0 && p->app.pid > 0)
            return;
        // Named by its class only: not when it is another launch's for certain.
        for (const auto& [when, other] : recent)
            if (!(other == p->app) && launchMatch(window, other, windows) > LaunchMatch::byClass)
                return;
    }
    p->window = window.id;
    claimed.insert(window.id);
    attempt(p);
}

void WindowPlacers::State::attempt(const PlacementPtr& p) {
    if (p->attemptsLeft <= 0) {
        finish(p);
        return;
    }
    if (!p->desktopSent && p->where.desktop != desktops::current) {
        // Before it is placed: a window manager may place a window anew on
        // the desktop it arrives at.
        p->desktopSent = true;
        windows.moveToDesktop(p->window, p->where.desktop);
    }
    if (!p->target) { // a desktop, no placement
        p->result.placed = true;
        p->result.window = p->window;
        finish(p);
        return;
    }
    --p->attemptsLeft;
    ++p->result.attempts;
    const auto frame = windows.setFrame(p->window, *p->target);
    if (!frame) {
        release(p); // gone meanwhile: the next window of the launch is waited for
        return;
    }
    // Where the window manager put it is the target from now on, so that a
    // later attempt does not fight its adjustment.
    p->target = *frame;
    p->result.placed = true;
    p->result.window = p->window;
    p->result.frame = *frame;
    if (!p->settleUntil)
        p->settleUntil = Clock::now() + tuning.settle;
}

void WindowPlacers::State::release(const PlacementPtr& p) {
    if (p->window)
        claimed.remove(p->window);
    p->window = 0;
}

void WindowPlacers::State::finish(PlacementPtr p) {
    release(p);
    active.remove(p);
    if (p->finished)
        p->finished(p->result);
    std::lock_guard lock(mutex);
    --count;
}

WindowPlacers::WindowPlacers(Windows& windows, FrameCalculator& frames, PlacerTuning tuning)
    : m_state(std::make_unique<State>(windows, frames, tuning)) {
    State* state = m_state.get();
    state->subscription = windows.subscribe([state](const WindowEvent& event) {
        std::lock_guard lock(state->mutex);
        if (state->count == 0 || state->stopping)
            return; // nothing is placed: nothing to hear
        state->events.push_back(event);
        state->wake.notify_one();
    });
    state->thread = std::thread([state] { state->run(); });
}

WindowPlacers::~WindowPlacers() {
    stop();
}

void WindowPlacers::stop() {
    m_state->subscription.reset();
    {
        std::lock_guard lock(m_state->mutex);
        m_state->stopping = true;
    }
    m_state->wake.notify_all();
    if (m_state->thread.joinable())
        m_state->thread.join();
}

int WindowPlacers::activeCount() const {
    std::lock_guard lock(m_state->mutex);
    return m_state->count;
}

void WindowPlacers::startPlacingAppWindow(const RunningApplication& app, const WindowTarget& target,
                                          Finished finished) {
    if (target.doesNothing())
        return;
    auto p = std::make_shared<Placement>();
    p->app = app;
    p->where = target;
    p->finished = std::move(finished);
    std::lock_guard lock(m_state->mutex);
    if (m_state->stopping)
        return;
    ++m_state->count;
    m_state->starting.push_back(std::move(p));
    m_state->wake.notify_one();
}

PlacementResult WindowPlacers::placeAppWindow(const RunningApplication& app,
                                              const WindowTarget& target) {
    // Waiting for seconds would freeze the user interface: hand the work over.
    if (auto* instance = QCoreApplication::instance();
        instance && QThread::currentThread() == instance->thread()) {
        startPlacingAppWindow(app, target);
        return {};
    }
    if (target.doesNothing())
        return {};
    auto done = std::make_shared<std::promise<PlacementResult>>();
    auto result = done->get_future();
    startPlacingAppWindow(app, target,
                          [done](const PlacementResult& placed) { done->set_value(placed); });
    {
        std::lock_guard lock(m_state->mutex);
        if (m_state->stopping)
            return {};
    }
    return result.get();
}

} // namespace dexaro
