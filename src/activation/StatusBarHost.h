#pragma once
// What the popover's controller reaches outside the activation layer: the
// application delegate's reactions and the settings menu's commands. The
// delegate fills it in before the controller's view is first asked for; every
// member may stay empty.
#include <QString>
#include <functional>

namespace dexaro {

struct StatusBarHost {
    // True when the tag was marked out of date; removes the mark.
    std::function<bool(const QString& tag)> consumeWorkspaceListUpdate;
    // Closes the popover when it is shown; does nothing otherwise.
    std::function<void()> closePopover;

    // The settings menu's commands (the popover is closed before each).
    // Shows, raises and focuses the main window on the tab it showed last.
    std::function<void()> openMainWindow;
    // The same, on the Creator (the empty popover's button).
    std::function<void()> createWorkspace;
    // Asks the updater for a check whose outcome the user sees.
    std::function<void()> checkForUpdates;
    std::function<void()> showAbout;
    // The quit path, which may ask the user and may be cancelled.
    std::function<void()> quit;
};

} // namespace dexaro
