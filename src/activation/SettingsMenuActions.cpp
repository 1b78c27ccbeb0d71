#include "activation/SettingsMenuActions.h"

#include <QAction>
#include <QMenu>

namespace dexaro {

QList<QAction*> SettingsMenuActions::addTo(QMenu* menu, const StatusBarHost& host) {
    const std::pair<QString, std::function<void()>> commands[] = {
        {openMainWindowTitle, host.openMainWindow},
        {checkForUpdatesTitle, host.checkForUpdates},
        {aboutTitle, host.showAbout},
        {quitTitle, host.quit},
    };
    QList<QAction*> actions;
    for (const auto& [title, command] : commands) {
        QAction* action = menu->addAction(title);
        action->setEnabled(true);
        QObject::connect(action, &QAction::triggered, menu,
                         [closePopover = host.closePopover, command = command] {
                             if (closePopover)
                                 closePopover();
                             if (command)
                                 command();
                         });
        actions.append(action);
    }
    return actions;
}

} // namespace dexaro
