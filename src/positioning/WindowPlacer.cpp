#include "positioning/WindowPlacer.h"

#include "platform/WindowAccess.h"

#include <QCoreApplication>
#include <QThread>
#include <QThreadPool>

#include <thread>

namespace dexaro {
namespace {

bool samePoint(const QPointF& a, const QPointF& b) {
    return a.x() == b.x() && a.y() == b.y();
}

bool sameSize(const QSizeF& a, const QSizeF& b) {
    return a.width() == b.width() && a.height() == b.height();
}

} // namespace

bool PlacerStop::wait(std::chrono::milliseconds interval) {
    std::unique_lock lock(m_mutex);
    return !m_wake.wait_for(lock, interval, [this] { return m_stopped; });
}

void PlacerStop::stop() {
    {
        std::lock_guard lock(m_mutex);
        m_stopped = true;
    }
    m_wake.notify_all();
}

WindowPlacer::WindowPlacer(AccessibilityBackend& backend, FrameCalculator& frames,
                           PlacerTuning tuning, PlacerStop* stop)
    : m_backend(backend), m_frames(frames), m_tuning(tuning), m_stop(stop) {}

WindowPlacer::Result WindowPlacer::place(qint64 pid, PositionName position,
                                         const QString& wmClass) {
    Result result;
    if (position == PositionName::def)
        return result;
    const auto frame = m_frames.frame(position);
    if (!frame)
        return result; // no screen: the window is left alone
    QPointF targetOrigin = frame->topLeft();
    QSizeF targetSize = frame->size();
    // Looked up once: a process that is not running now will not come back,
    // so there is no window to wait for.
    if (!m_backend.isProcessRunning(pid) && wmClass.isEmpty())
        return result;

    for (int left = m_tuning.attempts; left > 0;) {
        ++result.attempts;
        if (attempt(pid, wmClass, targetOrigin, targetSize)) {
            result.placed = true;
            return result;
        }
        if (m_stop ? !m_stop->wait(m_tuning.interval)
                   : (std::this_thread::sleep_for(m_tuning.interval), false))
            return result;
        --left;
    }
    return result;
}

// One attempt; true when the window is placed.
bool WindowPlacer::attempt(qint64 pid, const QString& wmClass, QPointF& targetOrigin,
                           QSizeF& targetSize) {
    const auto app = Application::make(pid, wmClass, m_backend);
    if (!app)
        return false;
    std::optional<QList<UIElement>> windows;
    try {
        windows = app->windowList();
    } catch (const AXException&) {
        return false;
    }
    if (!windows || windows->isEmpty())
        return false;
    const UIElement& window = windows->first();

    QPointF origin;
    try {
        origin = window.readAttribute<QPointF>(Attribute::position).value_or(QPointF(0, 0));
    } catch (const AXException&) {
        return false;
    }
    bool positionFailed = false;
    if (!samePoint(origin, targetOrigin)) {
        try {
            window.writeAttribute(Attribute::position, targetOrigin);
            // Where the window manager really put it is the target from now on,
            // so a later attempt does not fight its adjustment.
            if (const auto placed = window.readAttribute<QPointF>(Attribute::position))
                targetOrigin = *placed;
        } catch (const AXException&) {
            positionFailed = true;
        }
    }

    QSizeF size;
    try {
        size = window.readAttribute<QSizeF>(Attribute::size).value_or(QSizeF(0, 0));
    } catch (const AXException&) {
        return false;
    }
    if (!sameSize(size, targetSize)) {
        try {
            window.writeAttribute(Attribute::size, targetSize);
            try {
                if (const auto sized = window.readAttribute<QSizeF>(Attribute::size))
                    targetSize = *sized;
            } catch (const AXException&) {
            }
        } catch (const AXException&) {
        }
    }
    return !positionFailed;
}

struct WindowPlacers::State {
    State(AccessibilityBackend& backend, FrameCalculator& frames, PlacerTuning tuning)
        : backend(backend), frames(frames), tuning(tuning) {
        // Every placer sleeps most of its time: no small cap.
        pool.setMaxThreadCount(256);
        pool.setExpiryTimeout(10000);
    }
    AccessibilityBackend& backend;
    FrameCalculator& frames;
    PlacerTuning tuning;
    PlacerStop stop;
    QThreadPool pool;
};

WindowPlacers::WindowPlacers(AccessibilityBackend& backend, FrameCalculator& frames,
                             PlacerTuning tuning)
    : m_state(std::make_unique<State>(backend, frames, tuning)) {}

WindowPlacers::~WindowPlacers() {
    stop();
}

void WindowPlacers::stop() {
    m_state->stop.stop();
    m_state->pool.waitForDone();
}

int WindowPlacers::activeCount() const {
    return m_state->pool.activeThreadCount();
}

void WindowPlacers::placeAppWindow(qint64 processIdentifier, PositionName position,
                                   const QString& startupWMClass) {
    if (position == PositionName::def)
        return;
    // Polling for seconds would freeze the user interface: hand the work over.
    if (auto* app = QCoreApplication::instance();
        app && QThread::currentThread() == app->thread()) {
        startPlacingAppWindow(processIdentifier, position, startupWMClass);
        return;
    }
    WindowPlacer placer(m_state->backend, m_state->frames, m_state->tuning, &m_state->stop);
    placer.place(processIdentifier, position, startupWMClass);
}

void WindowPlacers::startPlacingAppWindow(qint64 processIdentifier, PositionName position,
                                          const QString& startupWMClass) {
    if (position == PositionName::def)
        return;
    // The destructor waits for every placement, so the state outlives them.
    m_state->pool.start([state = m_state.get(), processIdentifier, position, startupWMClass] {
        WindowPlacer placer(state->backend, state->frames, state->tuning, &state->stop);
        placer.place(processIdentifier, position, startupWMClass);
    });
}

} // namespace dexaro
