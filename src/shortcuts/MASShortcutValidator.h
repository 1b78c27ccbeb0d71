#pragma once
// Whether a shortcut may become a hot key: enough modifiers, and not already
// taken by another application's global grab or by one of Dexaro's own menus.
#include "shortcuts/MASShortcut.h"

#include <QList>
#include <QString>
#include <functional>
#include <memory>

class QMenu;
class QMenuBar;
class QAction;

namespace dexaro {

class HotKeys;

// A menu as the validator sees it. The key equivalent is the character of the
// item's key ("s"; an upper-case letter means Shift); the modifier mask uses
// MASShortcut's flag bits.
struct MenuItemInfo;
struct MenuInfo {
    QList<MenuItemInfo> items;
    bool isServicesMenu = false;
};
struct MenuItemInfo {
    QString title;
    QString keyEquivalent;
    quint64 modifierMask = 0;
    std::shared_ptr<MenuInfo> submenu;
};

class MASShortcutValidator {
public:
    // hotKeys answers for other applications' grabs; menus lists the
    // application's menus when asked.
    MASShortcutValidator(HotKeys& hotKeys, std::function<QList<MenuInfo>()> menus);

    bool allowAnyShortcutWithOptionModifier = false;
    bool allowOverridingServicesShortcut = false;

    bool isShortcutValid(const MASShortcut& shortcut) const;
    // explanation, when given, receives the text to show the user.
    bool isShortcutAlreadyTakenBySystem(const MASShortcut& shortcut,
                                        QString* explanation = nullptr) const;
    bool isShortcutAlreadyTakenInMenu(const MASShortcut& shortcut, const MenuInfo& menu,
                                      QString* explanation = nullptr) const;

    // The menus of a Qt application, by key position: Ctrl = Control,
    // Alt = Option, Shift = Shift, Meta = Command. Only the first key of an
    // action's shortcut counts, as a menu shows only that one.
    static MenuInfo menuInfo(const QList<QAction*>& actions);
    static QList<MenuInfo> applicationMenus();

private:
    HotKeys& m_hotKeys;
    std::function<QList<MenuInfo>()> m_menus;
};

} // namespace dexaro
