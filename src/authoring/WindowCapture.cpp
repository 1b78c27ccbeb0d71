#include "authoring/WindowCapture.h"

#include "platform/LaunchWindows.h"
#include "platform/Windows.h"
#include "platform/WorkAreas.h"
#include "platform/WorkspaceServices.h"
#include "positioning/NearestPlacement.h"

#include <QHash>

namespace dexaro {
namespace {

QString describe(const WindowInfo& window) {
    if (!window.className.isEmpty())
        return window.className;
    if (!window.applicationId.isEmpty())
        return window.applicationId;
    return QStringLiteral("a window without a class (%1)").arg(window.id);
}

} // namespace

WindowCapture captureOpenWindows(Windows& windows, WorkAreas& workAreas,
                                 WorkspaceServices& services, const QList<AppListModel>& installed,
                                 qint64 ownPid) {
    WindowCapture capture;
    QList<WindowInfo> open;
    for (const WindowInfo& window : windows.windows())
        if (isMainWindowKind(window) && !(ownPid > 0 && window.pid == ownPid))
            open << window;
    QStringList entries;
    QHash<QString, QString> names;
    for (const AppListModel& app : installed) {
        entries << app.appURL;
        names.insert(app.appURL, app.appName);
    }
    const QStringList owners = services.entriesOfWindows(open, entries);
    const QList<WorkAreas::Monitor> monitors = workAreas.monitors();
    QList<QRect> geometries;
    for (const WorkAreas::Monitor& monitor : monitors)
        geometries << monitor.geometry;
    const int currentDesktop = windows.currentDesktop();
    const bool hasDesktops = windows.desktopCount() >= 2;

    QHash<QString, int> seen; // entry -> windows of it
    QStringList unmatchedSeen;
    for (int i = 0; i < open.size(); ++i) {
        const WindowInfo& window = open[i];
        const QString entry = owners.value(i);
        if (entry.isEmpty()) {
            const QString text = describe(window);
            if (!unmatchedSeen.contains(text))
                unmatchedSeen << text;
            continue;
        }
        if (seen[entry]++ > 0)
            continue; // the front one was taken
        const auto frame = windows.frame(window.id);
        if (!frame) {
            capture.notes << QStringLiteral("A window of %1 closed meanwhile; it is left out.")
                                 .arg(names.value(entry));
            seen.remove(entry);
            continue;
        }
        CapturedApp app;
        app.appURL = entry;
        app.appName = names.value(entry);
        const int index = WorkAreas::monitorIndexAt(geometries, frame->center());
        if (index >= 0) {
            app.position = nearestPlacement(*frame, monitors[index]);
            if (index > 0)
                app.target.monitor = monitors[index].name;
        }
        if (hasDesktops) {
            const auto desktop = windows.desktopOf(window.id);
            if (desktop && *desktop != currentDesktop)
                app.target.desktop = *desktop;
        }
        capture.apps << app;
    }
    for (const CapturedApp& app : std::as_const(capture.apps))
        if (const int count = seen.value(app.appURL); count > 1)
            capture.notes << QStringLiteral("%1 has %2 windows open; the front one gives its "
                                            "placement.")
                                 .arg(app.appName)
                                 .arg(count);
    capture.unmatched = unmatchedSeen;
    return capture;
}

} // namespace dexaro
