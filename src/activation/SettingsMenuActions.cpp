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

QMenu* SettingsMenuActions::makeTrayMenu(const StatusBarHost& host,
                                         std::function<bool()> isPopoverShown,
                                         std::function<void()> togglePopover) {
    auto* menu = new QMenu;
    menu->setAccessibleName(QStringLiteral("Dexaro"));
    QAction* toggle = menu->addAction(QStringLiteral("Show Workspaces"));
    QObject::connect(toggle, &QAction::triggered, menu, std::move(togglePopover));
    QObject::connect(menu, &QMenu::aboutToShow, menu,
                     [toggle, isPopoverShown = std::move(isPopoverShown)] {
                         toggle->setText(isPopoverShown() ? QStringLiteral("Hide Workspaces")
                                                          : QStringLiteral("Show Workspaces"));
                     });
    menu->addSeparator();
    addTo(menu, host);
    return menu;
}

} // namespace dexaro
