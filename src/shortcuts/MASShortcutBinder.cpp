#include "shortcuts/MASShortcutBinder.h"

#include "platform/Alerts.h"
#include "platform/HotKeys.h"
#include "platform/UserDefaults.h"
#include "shortcuts/MASShortcutMonitor.h"
#include "shortcuts/ShortcutStrings.h"

#include <QDebug>

namespace dexaro {

MASShortcutBinder::MASShortcutBinder(MASShortcutMonitor& monitor, UserDefaults& defaults,
                                     QObject* parent)
    : QObject(parent), m_monitor(monitor), m_defaults(defaults) {
    connect(&m_defaults, &UserDefaults::changed, this, [this](const QString& key) {
        if (m_actions.contains(key))
            deliver(key);
    });
}

MASShortcutBinder::~MASShortcutBinder() {
    for (const QString& key : m_actions.keys())
        breakBinding(key);
}

bool MASShortcutBinder::bindShortcut(const QString& defaultsKey, std::function<void()> action) {
    if (defaultsKey.contains(u'.') || defaultsKey.contains(u' ') ||
        !UserDefaults::isValidKey(defaultsKey)) {
        qWarning().noquote() << "Dexaro: cannot bind a shortcut to the defaults key" << defaultsKey;
        return false;
    }
    m_actions.insert(defaultsKey, std::move(action));
    deliver(defaultsKey);
    return true;
}

void MASShortcutBinder::breakBinding(const QString& defaultsKey) {
    release(defaultsKey);
    m_actions.remove(defaultsKey);
    m_reportedFailures.remove(defaultsKey);
}

bool MASShortcutBinder::isRegisteredAction(const QString& defaultsKey) const {
    return m_actions.contains(defaultsKey);
}

std::optional<MASShortcut> MASShortcutBinder::shortcut(const QString& defaultsKey) const {
    const auto it = m_shortcuts.constFind(defaultsKey);
    if (it == m_shortcuts.cend())
        return std::nullopt;
    return it.value();
}

void MASShortcutBinder::registerDefaultShortcuts(const QHash<QString, MASShortcut>& shortcuts) {
    QHash<QString, QVariantMap> stored;
    for (auto it = shortcuts.cbegin(); it != shortcuts.cend(); ++it)
        stored.insert(it.key(), it.value().encode());
    m_defaults.registerDefaults(stored);
}

void MASShortcutBinder::deliver(const QString& defaultsKey) {
    release(defaultsKey);
    const std::optional<QVariantMap> stored = m_defaults.value(defaultsKey);
    const std::optional<MASShortcut> shortcut =
        stored ? MASShortcut::decode(*stored) : std::nullopt;
    if (!shortcut) {
        m_reportedFailures.remove(defaultsKey);
        return;
    }
    m_shortcuts.insert(defaultsKey, *shortcut);
    registerFor(defaultsKey, *shortcut);
}

// Drops the key's hot key. When another bound key holds an equal shortcut, the
// hot key stays, now with that key's action.
void MASShortcutBinder::release(const QString& defaultsKey) {
    const auto it = m_shortcuts.constFind(defaultsKey);
    if (it == m_shortcuts.cend())
        return;
    const MASShortcut old = it.value();
    m_shortcuts.erase(it);
    for (auto other = m_shortcuts.cbegin(); other != m_shortcuts.cend(); ++other) {
        if (other.value() == old) {
            m_monitor.registerShortcut(old, m_actions.value(other.key()));
            return;
        }
    }
    m_monitor.unregisterShortcut(old);
}

void MASShortcutBinder::registerFor(const QString& defaultsKey, const MASShortcut& shortcut) {
    QString error;
    if (m_monitor.registerShortcut(shortcut, m_actions.value(defaultsKey), &error)) {
        m_reportedFailures.remove(defaultsKey);
        return;
    }
    // Rebinding the same key to the same refused shortcut says nothing new, and
    // a session without hot keys is worth one message, not one per shortcut.
    const auto reported = m_reportedFailures.constFind(defaultsKey);
    if (reported != m_reportedFailures.cend() && reported.value() == shortcut)
        return;
    m_reportedFailures.insert(defaultsKey, shortcut);
    if (!m_monitor.hotKeys().isAvailable()) {
        if (m_reportedUnavailable)
            return;
        m_reportedUnavailable = true;
    }
    qWarning().noquote() << "Dexaro: the keyboard shortcut" << shortcut.description()
                         << "cannot be used:" << error;
    emit registrationFailed(defaultsKey, error);
    if (m_alerts) {
        m_alerts->warn(QStringLiteral("Keyboard shortcut"),
                       shortcutFormat(shortcutLocalizedString(
                                          QStringLiteral("The key combination %@ cannot be used"),
                                          "Title for alert when shortcut is already used"),
                                      shortcut.description()),
                       error);
    }
}

} // namespace dexaro
