#include "platform/linux/LinuxPlatform.h"

#include "platform/UserDefaults.h"
#include "platform/linux/DBusSessionBus.h"
#include "platform/linux/DBusWorkspaceBus.h"
#include "platform/linux/GioDesktopEntries.h"
#include "platform/linux/GioWorkspaceServices.h"
#include "platform/linux/GlobalMouseDownMonitor.h"
#include "platform/linux/LocalMouseDownMonitor.h"
#include "platform/linux/MessageBoxAlerts.h"
#include "platform/linux/TrayStatusItem.h"
#include "platform/linux/X11DesktopSwitchMonitor.h"
#include "platform/linux/X11HotKeys.h"
#include "platform/linux/X11Windows.h"
#include "platform/linux/X11WorkAreas.h"
#include "platform/linux/XdgAutostartLoginItem.h"
#include "platform/linux/XkbKeyboardLayout.h"

namespace dexaro {

// In the order they are made; each may use those before it.
struct LinuxPlatform::Services {
    explicit Services(const QString& programPath)
        : programPath(programPath), alerts(workAreas), userDefaults(UserDefaults::standardPath()),
          keyboardLayout(makeXkbKeyboardLayout()), hotKeys(makeX11HotKeys()),
          windows(makeX11Windows(alerts, workAreas)),
          workspace(makeGioWorkspaceServices(*windows)) {}

    QString programPath;
    X11WorkAreas workAreas;
    MessageBoxAlerts alerts;
    UserDefaults userDefaults;
    std::unique_ptr<KeyboardLayout> keyboardLayout;
    std::unique_ptr<HotKeys> hotKeys;
    std::unique_ptr<Windows> windows;
    std::unique_ptr<WorkspaceServices> workspace;
    GioDesktopEntries desktopEntries;
};

std::unique_ptr<Platform> Platform::forDesktop(const QString& programPath) {
    return std::make_unique<LinuxPlatform>(programPath);
}

LinuxPlatform::LinuxPlatform(const QString& programPath)
    : d(std::make_unique<Services>(programPath)) {
    KeyboardLayout::setCurrent(d->keyboardLayout.get());
}

LinuxPlatform::~LinuxPlatform() {
    if (&KeyboardLayout::current() == d->keyboardLayout.get())
        KeyboardLayout::setCurrent(nullptr);
}

Alerts& LinuxPlatform::alerts() {
    return d->alerts;
}

HotKeys& LinuxPlatform::hotKeys() {
    return *d->hotKeys;
}

KeyboardLayout& LinuxPlatform::keyboardLayout() {
    return *d->keyboardLayout;
}

Windows& LinuxPlatform::windows() {
    return *d->windows;
}

WorkAreas& LinuxPlatform::workAreas() {
    return d->workAreas;
}

WorkspaceServices& LinuxPlatform::workspace() {
    return *d->workspace;
}

UserDefaults& LinuxPlatform::userDefaults() {
    return d->userDefaults;
}

DesktopEntries& LinuxPlatform::desktopEntries() {
    return d->desktopEntries;
}

std::unique_ptr<LoginItem> LinuxPlatform::makeLoginItem() {
    return std::make_unique<XdgAutostartLoginItem>(
        XdgAutostartLoginItem::launcherPathFor(d->programPath));
}

std::unique_ptr<SessionBus> LinuxPlatform::makeSessionBus() {
    return std::make_unique<DBusSessionBus>();
}

std::unique_ptr<WorkspaceBusService> LinuxPlatform::makeWorkspaceBusService() {
    return std::make_unique<DBusWorkspaceService>();
}

std::unique_ptr<StatusItem> LinuxPlatform::makeStatusItem() {
    return std::make_unique<TrayStatusItem>();
}

std::unique_ptr<DesktopSwitchMonitor> LinuxPlatform::makeDesktopSwitchMonitor() {
    return std::make_unique<X11DesktopSwitchMonitor>();
}

std::unique_ptr<EventMonitor>
LinuxPlatform::addLocalMouseDownMonitor(std::function<void(QWindow*)> handler) {
    return makeLocalMouseDownMonitor(std::move(handler));
}

std::unique_ptr<EventMonitor>
LinuxPlatform::addGlobalMouseDownMonitor(std::function<void()> handler) {
    return std::make_unique<GlobalMouseDownMonitor>(std::move(handler));
}

} // namespace dexaro
