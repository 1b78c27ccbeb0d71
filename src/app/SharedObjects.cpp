#include "app/SharedObjects.h"

#include "activation/WorkspaceActivation.h"
#include "activation/WorkspaceCatalog.h"
#include "model/WorkspaceOptionsStore.h"
#include "model/WorkspaceStore.h"
#include "platform/Alerts.h"
#include "platform/Platform.h"
#include "platform/Windows.h"
#include "positioning/AllPositionsHolder.h"
#include "positioning/PositionsDBManager.h"
#include "positioning/WindowPlacer.h"
#include "shortcuts/MASShortcutBinder.h"
#include "shortcuts/MASShortcutMonitor.h"
#include "shortcuts/MASShortcutValidator.h"

namespace dexaro {

SharedDesktop SharedDesktop::of(Platform& platform, Alerts* alerts) {
    return {alerts ? *alerts : platform.alerts(),
            platform.hotKeys(),
            platform.userDefaults(),
            platform.desktopEntries(),
            platform.windows(),
            platform.workAreas(),
            platform.workspace()};
}

SharedObjects::SharedObjects(const SharedDesktop& desktop, WorkspaceStore& store, SharedHooks hooks)
    : m_desktop(desktop), m_hooks(std::move(hooks)) {
    m_monitor = std::make_unique<MASShortcutMonitor>(desktop.hotKeys);
    m_binder = std::make_unique<MASShortcutBinder>(*m_monitor, desktop.userDefaults);
    m_binder->setAlerts(&desktop.alerts);
    m_validator = std::make_unique<MASShortcutValidator>(desktop.hotKeys,
                                                         &MASShortcutValidator::applicationMenus);
    m_positionsStore = std::make_unique<PositionsDBManager>(store.context(), desktop.alerts);
    m_positions = std::make_unique<AllPositionsHolder>();
    m_positions->loadAllPositions(m_positionsStore->fetchAll());
    QString error;
    if (const auto options = WorkspaceOptionsStore(store.context()).fetchAll(&error))
        m_positions->loadAllOptions(*options);
    else
        desktop.alerts.warn(QStringLiteral("Dexaro positions"),
                            QStringLiteral("Could not read the workspaces' monitors and desktops; "
                                           "their windows go to the primary monitor and the "
                                           "current desktop."),
                            error);
    WorkAreas& workAreas = desktop.workAreas;
    m_frames = std::make_unique<FrameCalculator>(
        [&workAreas](const QString& monitor) { return screenMetrics(workAreas, monitor); });
    m_placers = std::make_unique<WindowPlacers>(desktop.windows, *m_frames);

    ActivationServices services;
    services.store = &store;
    services.workspaceServices = &desktop.workspace;
    services.alerts = &desktop.alerts;
    services.positions = m_positions.get();
    services.binder = m_binder.get();
    services.settings = m_hooks.settings;
    services.closePopover = m_hooks.closePopover;
    // The placers outlive every launch: the activation stops its workers first.
    // A session that cannot place windows says so (once) at the first
    // placement asked for, and the launch goes on without it.
    services.placeWindow = [placers = m_placers.get(), &windows = desktop.windows](
                               const RunningApplication& app, const WindowTarget& target) {
        if (!target.doesNothing() && !windows.isAvailable(true))
            return;
        placers->startPlacingAppWindow(app, target);
    };
    services.showDesktop = [&windows = desktop.windows](int number) {
        return windows.showDesktop(number);
    };
    m_activation = std::make_unique<WorkspaceActivation>(std::move(services));
    m_catalog = std::make_unique<WorkspaceCatalog>(store, desktop.userDefaults, *m_positionsStore,
                                                   *m_positions, *m_binder, *m_activation);
}

SharedObjects::~SharedObjects() {
    m_catalog.reset();
    m_activation.reset();
    // Placers still polling give up now, before the table and the window
    // layer they read go.
    m_placers->stop();
}

AuthoringContext SharedObjects::authoringContext() {
    AuthoringContext context;
    context.catalog = m_catalog.get();
    context.alerts = &m_desktop.alerts;
    context.userDefaults = &m_desktop.userDefaults;
    context.validator = m_validator.get();
    context.monitor = m_monitor.get();
    context.positionsStore = m_positionsStore.get();
    context.desktopEntries = &m_desktop.desktopEntries;
    context.workAreas = &m_desktop.workAreas;
    context.windows = &m_desktop.windows;
    context.workspace = &m_desktop.workspace;
    context.scanDefaultApps = [settings = m_hooks.settings] {
        return (settings ? settings() : AppSettings{}).scanDefaultApps;
    };
    context.consumeEditorTag = m_hooks.consumeEditorTag;
    context.placementLimit = [&windows = m_desktop.windows] {
        return windows.placementLimit();
    };
    return context;
}

} // namespace dexaro
