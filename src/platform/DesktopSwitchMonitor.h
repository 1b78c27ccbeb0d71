#pragma once
// Tells when the user switches to another virtual desktop (EWMH
// _NET_CURRENT_DESKTOP on the root window). Without an X11 display it never fires.
#include <QObject>
#include <memory>

namespace dexaro {

class DesktopSwitchMonitor : public QObject {
    Q_OBJECT
public:
    explicit DesktopSwitchMonitor(QObject* parent = nullptr);
    ~DesktopSwitchMonitor() override;

signals:
    void desktopSwitched();

private:
    struct Filter;
    std::unique_ptr<Filter> m_filter;
};

} // namespace dexaro
