#pragma once
// The desktop as the rest of Dexaro sees it. The program makes one Platform at
// start-up (Platform::forDesktop, defined by the backend that CMake builds:
// src/platform/linux), keeps it for the whole run and hands each service to
// whoever needs it. Tests hand in fakes instead.
#include <QString>
#include <functional>
#include <memory>

class QWindow;

namespace dexaro {

class Alerts;
class DesktopEntries;
class DesktopSwitchMonitor;
class EventMonitor;
class HotKeys;
class KeyboardLayout;
class LoginItem;
class SessionBus;
class StatusItem;
class UserDefaults;
class WorkAreas;
class Windows;
class WorkspaceBusService;
class WorkspaceServices;

class Platform {
public:
    virtual ~Platform() = default;

    // Services that live as long as the platform.
    virtual Alerts& alerts() = 0;
    virtual HotKeys& hotKeys() = 0;
    virtual KeyboardLayout& keyboardLayout() = 0;
    virtual Windows& windows() = 0;
    virtual WorkAreas& workAreas() = 0;
    virtual WorkspaceServices& workspace() = 0;
    virtual UserDefaults& userDefaults() = 0;
    // The application entries the Creator and the Editor offer.
    virtual DesktopEntries& desktopEntries() = 0;

    // Services made for one owner.
    virtual std::unique_ptr<LoginItem> makeLoginItem() = 0;
    virtual std::unique_ptr<SessionBus> makeSessionBus() = 0;
    // The workspaces' interface on the session bus (WorkspaceBus.h).
    virtual std::unique_ptr<WorkspaceBusService> makeWorkspaceBusService() = 0;
    virtual std::unique_ptr<StatusItem> makeStatusItem() = 0;
    virtual std::unique_ptr<DesktopSwitchMonitor> makeDesktopSwitchMonitor() = 0;
    // The popover's mouse-down monitors (EventMonitor.h); each lives as long as
    // its handle.
    virtual std::unique_ptr<EventMonitor>
    addLocalMouseDownMonitor(std::function<void(QWindow* window)> handler) = 0;
    virtual std::unique_ptr<EventMonitor>
    addGlobalMouseDownMonitor(std::function<void()> handler) = 0;

    // The desktop of this session, for the program at programPath (its login
    // launcher lies beside it). Make it after the QApplication, on the main thread.
    static std::unique_ptr<Platform> forDesktop(const QString& programPath);
    // Called before the QApplication is made: chooses how Dexaro's own windows
    // reach the display (on Linux, XWayland in a Wayland session that has it).
    static void beforeApplication();
};

} // namespace dexaro
