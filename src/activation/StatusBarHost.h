#pragma once
// What the popover's controller and its list reach outside the activation
// layer. The application delegate fills it in before the controller's view is
// first asked for; every member may stay empty (the list then shows what it is
// given and switches nothing).
#include "model/AppSettings.h"
#include "platform/WorkspaceServices.h"
#include "positioning/PositionName.h"

#include <QString>
#include <functional>

namespace dexaro {

class Alerts;
class AllPositionsHolder;
class MASShortcutBinder;
class WorkspaceStore;

struct StatusBarHost {
    // True when the tag was marked out of date; removes the mark.
    std::function<bool(const QString& tag)> consumeWorkspaceListUpdate;
    // Closes the popover when it is shown; does nothing otherwise.
    std::function<void()> closePopover;
    std::function<bool()> isPopoverShown;

    // The settings menu's commands (the popover is closed before each).
    // Shows, raises and focuses the main window on the tab it showed last.
    std::function<void()> openMainWindow;
    // Asks the updater for a check whose outcome the user sees.
    std::function<void()> checkForUpdates;
    std::function<void()> showAbout;
    // The quit path, which may ask the user and may be cancelled.
    std::function<void()> quit;

    WorkspaceStore* store = nullptr;
    MASShortcutBinder* binder = nullptr;
    AllPositionsHolder* positions = nullptr;
    // Must outlive every launch it started (it is the program's own).
    WorkspaceServices* workspaceServices = nullptr;
    Alerts* alerts = nullptr;
    // The current settings; read on the main thread when a switch is used.
    std::function<AppSettings()> settings;
    // Hands a launched application to the window placers. Called on any
    // thread; empty: windows are left where they appear.
    std::function<void(const RunningApplication& app, PositionName position)> placeWindow;
};

} // namespace dexaro
