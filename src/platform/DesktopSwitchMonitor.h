#pragma once
// Tells when the user switches to another virtual desktop. Without a desktop
// that has virtual desktops it never fires.
#include <QObject>

namespace dexaro {

class DesktopSwitchMonitor : public QObject {
    Q_OBJECT
public:
    using QObject::QObject;
    ~DesktopSwitchMonitor() override = default;

signals:
    void desktopSwitched();
};

} // namespace dexaro
