#include "platform/linux/GlobalMouseDownMonitor.h"

#include "platform/linux/XInputPressWatcher.h"

#include <QGuiApplication>

namespace dexaro {

GlobalMouseDownMonitor::GlobalMouseDownMonitor(std::function<void()> handler) {
    m_focusLoss = QObject::connect(qGuiApp, &QGuiApplication::applicationStateChanged, qGuiApp,
                                   [handler](Qt::ApplicationState state) {
                                       if (state != Qt::ApplicationActive)
                                           handler();
                                   });
    m_presses = XInputPressWatcher::create(std::move(handler));
}

GlobalMouseDownMonitor::~GlobalMouseDownMonitor() {
    QObject::disconnect(m_focusLoss);
}

} // namespace dexaro
