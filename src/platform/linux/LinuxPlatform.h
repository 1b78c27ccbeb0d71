#pragma once
// The desktop of a Linux session: X11 through xcb, GIO for applications, the
// D-Bus session bus, XDG autostart, Qt's tray icon and message boxes.
#include "platform/Platform.h"

namespace dexaro {

class LinuxPlatform final : public Platform {
public:
    explicit LinuxPlatform(const QString& programPath);
    ~LinuxPlatform() override;

    Alerts& alerts() override;
    HotKeys& hotKeys() override;
    KeyboardLayout& keyboardLayout() override;
    Windows& windows() override;
    WorkAreas& workAreas() override;
    WorkspaceServices& workspace() override;
    UserDefaults& userDefaults() override;
    DesktopEntries& desktopEntries() override;

    std::unique_ptr<LoginItem> makeLoginItem() override;
    std::unique_ptr<SessionBus> makeSessionBus() override;
    std::unique_ptr<WorkspaceBusService> makeWorkspaceBusService() override;
    std::unique_ptr<StatusItem> makeStatusItem() override;
    std::unique_ptr<DesktopSwitchMonitor> makeDesktopSwitchMonitor() override;
    std::unique_ptr<EventMonitor>
    addLocalMouseDownMonitor(std::function<void(QWindow* window)> handler) override;
    std::unique_ptr<EventMonitor> addGlobalMouseDownMonitor(std::function<void()> handler) override;

private:
    struct Services;
    std::unique_ptr<Services> d;
};

} // namespace dexaro
