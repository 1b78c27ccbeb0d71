#include "positioning/WindowPlacer.h"

#include "platform/WindowAccess.h"

#include <QCoreApplication>
#include <QThread>
#include <QThreadPool>

#include <condition_variable>
#include <mutex>

namespace dexaro {
namespace {

// Placers wait on this, so that quitting wakes them at once.
struct Shutdown {
    std::mutex mutex;
    std::condition_variable wake;
    bool quitting = false;
};

Shutdown& shutdown() {
    static Shutdown* s = new Shutdown;
    return *s;
}

// Waits one interval; false when the application is quitting.
bool waitInterval(std::chrono::milliseconds interval) {
    Shutdown& s = shutdown();
    std::unique_lock lock(s.mutex);
    return !s.wake.wait_for(lock, interval, [&] { return s.quitting; });
}

bool samePoint(const QPointF& a, const QPointF& b) {
    return a.x() == b.x() && a.y() == b.y();
}

bool sameSize(const QSizeF& a, const QSizeF& b) {
    return a.width() == b.width() && a.height() == b.height();
}

} // namespace

WindowPlacer::WindowPlacer(AccessibilityBackend& backend, FrameCalculator& frames,
                           PlacerTuning tuning)
    : m_backend(backend), m_frames(frames), m_tuning(tuning) {}

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
    // Looked up once: a process that is not running now will not come back.
    const bool running = m_backend.isProcessRunning(pid) || !wmClass.isEmpty();

    for (int left = m_tuning.attempts; left > 0;) {
        ++result.attempts;
        if (running && attempt(pid, wmClass, targetOrigin, targetSize)) {
            result.placed = true;
            return result;
        }
        if (!waitInterval(m_tuning.interval))
            return result;
        --left;
    }
    return result;
}

// One attempt; true when the window is placed.
bool WindowPlacer::attempt(qint64 pid, const QString& wmClass, QPointF& targetOrigin,
                           QSizeF& targetSize) {
    const auto app = Application::make(pid, wmClass, &m_backend);
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

void placeAppWindow(qint32 processIdentifier, PositionName position,
                    const QString& startupWMClass) {
    if (position == PositionName::def)
        return;
    // Polling for seconds would freeze the user interface: hand the work over.
    if (auto* app = QCoreApplication::instance();
        app && QThread::currentThread() == app->thread()) {
        startPlacingAppWindow(processIdentifier, position, startupWMClass);
        return;
    }
    WindowPlacer placer(AccessibilityBackend::system(), FrameCalculator::shared());
    placer.place(processIdentifier, position, startupWMClass);
}

QThreadPool& placerPool() {
    static QThreadPool* pool = [] {
        auto* created = new QThreadPool; // never freed, like the placers' state
        // Every placer sleeps most of its time: no small cap.
        created->setMaxThreadCount(256);
        created->setExpiryTimeout(10000);
        if (auto* app = QCoreApplication::instance()) {
            QObject::connect(app, &QCoreApplication::aboutToQuit, [created] {
                {
                    std::lock_guard lock(shutdown().mutex);
                    shutdown().quitting = true;
                }
                shutdown().wake.notify_all();
                created->waitForDone(5000);
            });
        }
        return created;
    }();
    return *pool;
}

void startPlacingAppWindow(qint32 processIdentifier, PositionName position,
                           const QString& startupWMClass) {
    if (position == PositionName::def)
        return;
    placerPool().start([processIdentifier, position, startupWMClass] {
        placeAppWindow(processIdentifier, position, startupWMClass);
    });
}

} // namespace dexaro
