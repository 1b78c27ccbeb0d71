#pragma once
// "From open windows": the applications whose windows are open now, each with
// the placement nearest to its window's frame, its monitor and its desktop,
// as the Creator offers them for a new workspace.
#include "model/Records.h"
#include "model/WindowTargets.h"
#include "positioning/PositionName.h"

#include <QList>
#include <QStringList>

namespace dexaro {

class Windows;
class WorkAreas;
class WorkspaceServices;

struct CapturedApp {
    QString appURL;
    QString appName;
    PositionName position = PositionName::def;
    AppTarget target; // the primary and the current desktop stay defaults
    bool operator==(const CapturedApp&) const = default;
};

struct WindowCapture {
    QList<CapturedApp> apps; // one per application, front window first
    QStringList unmatched;   // windows of no installed application, by their class
    QStringList notes;       // what else the user should know (several windows, one gone)
};

// The main windows open now (Dexaro's own, ownPid's, aside), matched to the
// installed applications by services' rules. Of several windows of one
// application the front one counts; a window gone meanwhile is noted.
WindowCapture captureOpenWindows(Windows& windows, WorkAreas& workAreas,
                                 WorkspaceServices& services, const QList<AppListModel>& installed,
                                 qint64 ownPid);

} // namespace dexaro
