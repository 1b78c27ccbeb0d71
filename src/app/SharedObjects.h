#pragma once
// The objects that several parts of Dexaro share, made in one place and in
// one order from the desktop's services and the store: the hot-key monitor
// and binder, the shortcut validator, the placement store and table, the
// window placers, the switching of workspaces and the catalog that stores
// them. The program, the tests, the benchmarks and the screenshot tool all
// build them here. Each is destroyed before what it refers to; the workers of
// switching and placing are stopped first.
#include "authoring/AuthoringContext.h"
#include "model/AppSettings.h"

#include <functional>
#include <memory>

namespace dexaro {

class Windows;
class AllPositionsHolder;
class Alerts;
class DesktopEntries;
class FrameCalculator;
class HotKeys;
class MASShortcutBinder;
class MASShortcutMonitor;
class MASShortcutValidator;
class ObjectStore;
class Platform;
class PositionsDBManager;
class UserDefaults;
class WindowPlacers;
class WorkAreas;
class WorkspaceActivation;
class WorkspaceCatalog;
class WorkspaceServices;
class WorkspaceStore;

// The desktop services the shared objects use; tests put fakes in some places.
struct SharedDesktop {
    Alerts& alerts;
    HotKeys& hotKeys;
    UserDefaults& userDefaults;
    DesktopEntries& desktopEntries;
    Windows& windows;
    WorkAreas& workAreas;
    WorkspaceServices& workspace;

    // The platform's services; alerts, when given, in place of its own.
    static SharedDesktop of(Platform& platform, Alerts* alerts = nullptr);
};

// What the shared objects ask of whoever owns them; each may stay empty.
struct SharedHooks {
    std::function<AppSettings()> settings;
    std::function<void()> closePopover;
    // True (and the mark gone) when the Editor's list is out of date.
    std::function<bool()> consumeEditorTag;
};

class SharedObjects {
public:
    SharedObjects(const SharedDesktop& desktop, WorkspaceStore& store, SharedHooks hooks = {});
    ~SharedObjects();
    SharedObjects(const SharedObjects&) = delete;
    SharedObjects& operator=(const SharedObjects&) = delete;

    MASShortcutMonitor& shortcutMonitor() { return *m_monitor; }
    MASShortcutBinder& binder() { return *m_binder; }
    MASShortcutValidator& validator() { return *m_validator; }
    PositionsDBManager& positionsStore() { return *m_positionsStore; }
    AllPositionsHolder& positions() { return *m_positions; }
    WindowPlacers& placers() { return *m_placers; }
    WorkspaceActivation& activation() { return *m_activation; }
    WorkspaceCatalog& catalog() { return *m_catalog; }

    // What the Creator and the Editor are made with.
    AuthoringContext authoringContext();

private:
    SharedDesktop m_desktop;
    SharedHooks m_hooks;
    std::unique_ptr<MASShortcutMonitor> m_monitor;
    std::unique_ptr<MASShortcutBinder> m_binder;
    std::unique_ptr<MASShortcutValidator> m_validator;
    std::unique_ptr<PositionsDBManager> m_positionsStore;
    std::unique_ptr<AllPositionsHolder> m_positions;
    std::unique_ptr<FrameCalculator> m_frames;
    std::unique_ptr<WindowPlacers> m_placers;
    std::unique_ptr<WorkspaceActivation> m_activation;
    std::unique_ptr<WorkspaceCatalog> m_catalog;
};

} // namespace dexaro
