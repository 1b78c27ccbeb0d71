#pragma once
// The four commands of the popover's settings menu, which the tray icon's
// context menu offers too. Each closes the popover first, then runs the
// host's command (an empty one does nothing).
#include "activation/StatusBarHost.h"

#include <QList>
#include <QString>
#include <functional>

class QAction;
class QMenu;

namespace dexaro {

struct SettingsMenuActions {
    static inline const QString openMainWindowTitle =
        QStringLiteral("Add \u2022 Edit \u2022 Settings");
    static inline const QString checkForUpdatesTitle = QStringLiteral("Check for update");
    static inline const QString aboutTitle = QStringLiteral("About");
    static inline const QString quitTitle = QStringLiteral("Quit");

    // Appends the four actions to menu (which owns them), in menu order.
    static QList<QAction*> addTo(QMenu* menu, const StatusBarHost& host);

    // The tray icon's context menu, for trays that never deliver a left click:
    // "Show Workspaces" (or "Hide Workspaces" while the popover is shown),
    // then the four commands. The caller owns it.
    static QMenu* makeTrayMenu(const StatusBarHost& host, std::function<bool()> isPopoverShown,
                               std::function<void()> togglePopover);
};

} // namespace dexaro
