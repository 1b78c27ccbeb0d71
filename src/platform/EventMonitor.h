#pragma once
// Mouse-down monitors for the status item's popover. A monitor lives as long as
// its handle: destroying the handle removes it.
//
// - Local: every left or right mouse press in one of this program's windows,
//   before that window handles it. The handler gets the window pressed in.
// - Global: the user went to another application. Mouse presses in other
//   programs' windows are not delivered to us on X11, but they move the
//   keyboard focus there, and Dexaro loses it: the handler runs when no window
//   of this program has the focus any more.
#include <functional>
#include <memory>

class QWindow;

namespace dexaro {

class EventMonitor {
public:
    virtual ~EventMonitor() = default;

    static std::unique_ptr<EventMonitor>
    addLocalMouseDownMonitor(std::function<void(QWindow* window)> handler);
    static std::unique_ptr<EventMonitor> addGlobalMouseDownMonitor(std::function<void()> handler);
};

} // namespace dexaro
