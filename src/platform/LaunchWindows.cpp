#include "platform/LaunchWindows.h"

namespace dexaro {
namespace {

bool namesEntry(const WindowInfo& window, const RunningApplication& app) {
    const QString names[] = {window.applicationId, window.className, window.instanceName};
    const QString entryNames[] = {app.desktopId, app.wmClass, app.program};
    for (const QString& name : names) {
        if (name.isEmpty())
            continue;
        for (const QString& entryName : entryNames)
            if (!entryName.isEmpty() && name.compare(entryName, Qt::CaseInsensitive) == 0)
                return true;
    }
    return false;
}

} // namespace

bool windowNamesEntry(const WindowInfo& window, const RunningApplication& app) {
    return namesEntry(window, app);
}

LaunchMatch launchMatch(const WindowInfo& window, const RunningApplication& app, Windows& windows) {
    const bool fromBefore = window.appearance <= app.windowsSince;
    const bool ofProcess =
        app.pid > 0 && window.pid > 0 && windows.isOfProcessTree(window.pid, app.pid);
    if (fromBefore)
        return app.handedBack && ofProcess ? LaunchMatch::byProcess : LaunchMatch::none;
    if (!app.startupId.isEmpty() && window.startupId == app.startupId)
        return LaunchMatch::byStartupId;
    if (ofProcess)
        return LaunchMatch::byProcess;
    return namesEntry(window, app) ? LaunchMatch::byClass : LaunchMatch::none;
}

QList<WindowInfo> launchWindows(const QList<WindowInfo>& all, const RunningApplication& app,
                                Windows& windows) {
    QList<WindowInfo> found;
    for (const WindowInfo& window : all)
        if (launchMatch(window, app, windows) != LaunchMatch::none)
            found.append(window);
    return found;
}

bool isMainWindowKind(const WindowInfo& window) {
    return window.kind == WindowKind::normal && window.transientFor == 0;
}

} // namespace dexaro
