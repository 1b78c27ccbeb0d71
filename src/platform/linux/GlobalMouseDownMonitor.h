#pragma once
// The global mouse-down monitor: the user went to another application. Two
// signs of it reach us on X11: the program loses the keyboard focus (a click
// in a window that takes the focus, or a switch from the keyboard), and a left
// or right press lands outside our windows (the bare desktop, a panel, a
// window that never takes the focus). Either runs the handler; both may come
// for one click.
#include "platform/EventMonitor.h"

#include <QMetaObject>
#include <functional>
#include <memory>

namespace dexaro {

class XInputPressWatcher;

class GlobalMouseDownMonitor : public EventMonitor {
public:
    explicit GlobalMouseDownMonitor(std::function<void()> handler);
    ~GlobalMouseDownMonitor() override;

private:
    QMetaObject::Connection m_focusLoss;
    // None where presses elsewhere cannot be seen (no XInput2, not X11):
    // focus loss is then the only sign.
    std::unique_ptr<XInputPressWatcher> m_presses;
};

} // namespace dexaro
