#pragma once
// The local mouse-down monitor: an application-wide event filter that sees
// every left or right press in one of our windows before the window does.
#include "platform/EventMonitor.h"

#include <functional>
#include <memory>

class QWindow;

namespace dexaro {

std::unique_ptr<EventMonitor> makeLocalMouseDownMonitor(std::function<void(QWindow*)> handler);

} // namespace dexaro
