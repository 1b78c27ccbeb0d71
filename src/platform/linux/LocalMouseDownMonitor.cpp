#include "platform/linux/LocalMouseDownMonitor.h"

#include <QGuiApplication>
#include <QMouseEvent>
#include <QWindow>

namespace dexaro {

namespace {

class LocalMouseDownMonitor : public QObject, public EventMonitor {
public:
    explicit LocalMouseDownMonitor(std::function<void(QWindow*)> handler)
        : m_handler(std::move(handler)) {
        QCoreApplication::instance()->installEventFilter(this);
    }
    ~LocalMouseDownMonitor() override {
        if (QCoreApplication::instance())
            QCoreApplication::instance()->removeEventFilter(this);
    }

    bool eventFilter(QObject* receiver, QEvent* event) override {
        // A press reaches the window first and then the widget under it; the
        // window's delivery is the one that counts.
        if (event->type() == QEvent::MouseButtonPress && receiver->isWindowType()) {
            const auto button = static_cast<QMouseEvent*>(event)->button();
            if (button == Qt::LeftButton || button == Qt::RightButton) {
                // The handler may remove this monitor: call a copy, touch nothing after.
                const auto handler = m_handler;
                handler(static_cast<QWindow*>(receiver));
            }
        }
        return false;
    }

private:
    std::function<void(QWindow*)> m_handler;
};

} // namespace

std::unique_ptr<EventMonitor> makeLocalMouseDownMonitor(std::function<void(QWindow*)> handler) {
    return std::make_unique<LocalMouseDownMonitor>(std::move(handler));
}

} // namespace dexaro
