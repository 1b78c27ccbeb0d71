#include "shortcuts/MASShortcutValidator.h"

#include "platform/HotKeys.h"
#include "shortcuts/ShortcutStrings.h"

#include <QAction>
#include <QApplication>
#include <QKeySequence>
#include <QMenu>
#include <QMenuBar>

namespace dexaro {
namespace {

// Function keys F1..F20: valid without modifiers.
bool isFunctionKey(quint64 keyCode) {
    static constexpr quint16 keys[] = {122, 120, 99,  118, 96,  97,  98, 100, 101, 109,
                                       103, 111, 105, 107, 113, 106, 64, 79,  80,  90};
    for (quint16 key : keys) {
        if (key == keyCode)
            return true;
    }
    return false;
}

// A Qt key as a menu key-equivalent character.
QString keyEquivalentOfQtKey(int key) {
    if (key >= Qt::Key_F1 && key <= Qt::Key_F19)
        return QString(QChar(char16_t(0xF704 + (key - Qt::Key_F1))));
    switch (key) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
        return QStringLiteral("\r");
    case Qt::Key_Tab:
        return QStringLiteral("\t");
    case Qt::Key_Space:
        return QStringLiteral(" ");
    case Qt::Key_Backspace:
        return QStringLiteral("\b");
    case Qt::Key_Escape:
        return QString(QChar(27));
    case Qt::Key_Up:
        return QString(QChar(0xF700));
    case Qt::Key_Down:
        return QString(QChar(0xF701));
    case Qt::Key_Left:
        return QString(QChar(0xF702));
    case Qt::Key_Right:
        return QString(QChar(0xF703));
    case Qt::Key_Delete:
        return QString(QChar(0xF728));
    case Qt::Key_Home:
        return QString(QChar(0xF729));
    case Qt::Key_End:
        return QString(QChar(0xF72B));
    case Qt::Key_PageUp:
        return QString(QChar(0xF72C));
    case Qt::Key_PageDown:
        return QString(QChar(0xF72D));
    case Qt::Key_Help:
    case Qt::Key_Insert:
        return QString(QChar(0xF746));
    default:
        break;
    }
    if (key > 0x20 && key <= 0xFFFF && QChar(char16_t(key)).isPrint())
        return QString(QChar(char16_t(key))).toLower();
    return QString();
}

} // namespace

MASShortcutValidator::MASShortcutValidator(HotKeys& hotKeys, std::function<QList<MenuInfo>()> menus)
    : m_hotKeys(hotKeys), m_menus(std::move(menus)) {}

bool MASShortcutValidator::isShortcutValid(const MASShortcut& shortcut) const {
    const quint64 flags = shortcut.modifierFlags();
    if (isFunctionKey(shortcut.keyCode()))
        return true;
    if (flags == 0)
        return false;
    if (flags & (MASShortcut::CommandFlag | MASShortcut::ControlFlag))
        return true;
    if (flags & MASShortcut::OptionFlag) {
        return shortcut.keyCode() == 49 || shortcut.keyCode() == 53 ||
               allowAnyShortcutWithOptionModifier;
    }
    return false;
}

bool MASShortcutValidator::isShortcutAlreadyTakenBySystem(const MASShortcut& shortcut,
                                                          QString* explanation) const {
    if (shortcut.keyCode() <= 0xFFFF &&
        m_hotKeys.isTakenByOthers(shortcut.carbonKeyCode(), shortcut.carbonFlags())) {
        if (explanation) {
            *explanation = shortcutLocalizedString(
                QStringLiteral(
                    "This combination cannot be used because it is already used by a "
                    "system-wide keyboard shortcut.\nIf you really want to use this key "
                    "combination, most shortcuts can be changed in the Keyboard & Mouse panel in "
                    "System Preferences."),
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
        quint64 itemFlags;
        if (item.keyEquivalent == equivalent)
            itemFlags = item.modifierMask & 0x9E0000;
        else // differs only by case: an upper-case key equivalent means Shift
            itemFlags = (item.modifierMask & 0x9C0000) | MASShortcut::ShiftFlag;
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
            const Qt::KeyboardModifiers modifiers = combination.keyboardModifiers();
            if (modifiers & Qt::ShiftModifier)
                item.modifierMask |= MASShortcut::ShiftFlag;
            if (modifiers & Qt::ControlModifier)
                item.modifierMask |= MASShortcut::ControlFlag;
            if (modifiers & Qt::AltModifier)
                item.modifierMask |= MASShortcut::OptionFlag;
            if (modifiers & Qt::MetaModifier)
                item.modifierMask |= MASShortcut::CommandFlag;
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
