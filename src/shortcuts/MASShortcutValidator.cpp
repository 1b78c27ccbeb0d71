#include "shortcuts/MASShortcutValidator.h"

#include "platform/HotKeys.h"
#include "shortcuts/KeyTables.h"
#include "shortcuts/ShortcutStrings.h"

#include <QAction>
#include <QApplication>
#include <QKeySequence>
#include <QMenu>
#include <QMenuBar>

namespace dexaro {
namespace {

// A Qt key as a menu key-equivalent character.
QString keyEquivalentOfQtKey(int key) {
    if (const auto character = keytables::keyEquivalentOfQtKey(key))
        return QString(QChar(*character));
    if (key > 0x20 && key <= 0xFFFF && QChar(char16_t(key)).isPrint())
        return QString(QChar(char16_t(key))).toLower();
    return QString();
}

} // namespace

MASShortcutValidator::MASShortcutValidator(HotKeys& hotKeys, std::function<QList<MenuInfo>()> menus)
    : m_hotKeys(hotKeys), m_menus(std::move(menus)) {}

bool MASShortcutValidator::isShortcutValid(const MASShortcut& shortcut) const {
    const quint64 flags = shortcut.modifierFlags();
    if (keytables::isFunctionKey(shortcut.keyCode()))
        return true;
    if (flags == 0)
        return false;
    if (flags & (MASShortcut::CommandFlag | MASShortcut::ControlFlag))
        return true;
    if (flags & MASShortcut::OptionFlag) {
        return shortcut.keyCode() == keys::Space || shortcut.keyCode() == keys::Escape ||
               allowAnyShortcutWithOptionModifier;
    }
    return false;
}

bool MASShortcutValidator::isShortcutAlreadyTakenBySystem(const MASShortcut& shortcut,
                                                          QString* explanation) const {
    if (shortcut.keyCode() <= MASShortcut::EventKeyCodeMask &&
        m_hotKeys.isTakenByOthers(shortcut.carbonKeyCode(), shortcut.carbonFlags())) {
        if (explanation) {
            *explanation = shortcutLocalizedString(
                QStringLiteral(
                    "This combination cannot be used because it is already used by a "
                    "system-wide keyboard shortcut.\nIf you really want to use this key "
                    "combination, most shortcuts can be changed in the keyboard settings of your "
                    "desktop."),
                "Message for alert when shortcut is already used by the system");
        }
        return true;
    }
    const QList<MenuInfo> menus = m_menus ? m_menus() : QList<MenuInfo>();
    for (const MenuInfo& menu : menus) {
        if (isShortcutAlreadyTakenInMenu(shortcut, menu, explanation))
            return true;
    }
    return false;
}

bool MASShortcutValidator::isShortcutAlreadyTakenInMenu(const MASShortcut& shortcut,
                                                        const MenuInfo& menu,
                                                        QString* explanation) const {
    if (allowOverridingServicesShortcut && menu.isServicesMenu)
        return false;
    const QString equivalent = shortcut.keyCodeStringForKeyEquivalent();
    const quint64 flags = shortcut.modifierFlags();
    for (const MenuItemInfo& item : menu.items) {
        if (item.submenu && isShortcutAlreadyTakenInMenu(shortcut, *item.submenu, explanation))
            return true;
        if (item.keyEquivalent.isEmpty() || item.keyEquivalent.toLower() != equivalent)
            continue;
        quint64 itemFlags = item.modifierMask & MASShortcut::KeyEquivalentFlagsMask;
        if (item.keyEquivalent != equivalent) // differs only by case: upper case means Shift
            itemFlags |= MASShortcut::ShiftFlag;
        if (itemFlags == flags) {
            if (explanation) {
                *explanation = shortcutFormat(
                    shortcutLocalizedString(QStringLiteral("This shortcut cannot be used because "
                                                           "it is already used by the menu item "
                                                           "‘%@’."),
                                            "Message for alert when shortcut is already used"),
                    item.title);
            }
            return true;
        }
    }
    return false;
}

MenuInfo MASShortcutValidator::menuInfo(const QList<QAction*>& actions) {
    MenuInfo info;
    for (const QAction* action : actions) {
        if (action->isSeparator())
            continue;
        MenuItemInfo item;
        item.title = QString(action->text()).remove(u'&');
        if (QMenu* submenu = action->menu())
            item.submenu = std::make_shared<MenuInfo>(menuInfo(submenu->actions()));
        const QKeySequence sequence = action->shortcut();
        if (!sequence.isEmpty()) {
            const QKeyCombination combination = sequence[0];
            item.keyEquivalent = keyEquivalentOfQtKey(combination.key());
            item.modifierMask = keytables::flagsOfQtModifiers(combination.keyboardModifiers());
        }
        info.items.append(item);
    }
    return info;
}

QList<MenuInfo> MASShortcutValidator::applicationMenus() {
    QList<MenuInfo> menus;
    for (QWidget* widget : QApplication::allWidgets()) {
        if (auto* bar = qobject_cast<QMenuBar*>(widget))
            menus.append(menuInfo(bar->actions()));
        else if (auto* menu = qobject_cast<QMenu*>(widget))
            menus.append(menuInfo(menu->actions())); // a submenu is asked twice, harmlessly
    }
    return menus;
}

} // namespace dexaro
