#pragma once
// Virtual desktop switches on X11: changes of _NET_CURRENT_DESKTOP on the root
// window, seen on Qt's own connection. Without an X11 display it never fires.
#include "platform/DesktopSwitchMonitor.h"

#include <memory>

namespace dexaro {

class X11DesktopSwitchMonitor final : public DesktopSwitchMonitor {
    Q_OBJECT
public:
    explicit X11DesktopSwitchMonitor(QObject* parent = nullptr);
    ~X11DesktopSwitchMonitor() override;

private:
    struct Filter;
    std::unique_ptr<Filter> m_filter;
};

} // namespace dexaro
