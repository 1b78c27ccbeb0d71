#include "shortcuts/MASShortcutMonitor.h"

#include "platform/HotKeys.h"

namespace dexaro {

MASShortcutMonitor::MASShortcutMonitor(HotKeys& hotKeys, QObject* parent)
    : QObject(parent), m_hotKeys(hotKeys) {
    connect(&m_hotKeys, &HotKeys::pressed, this, &MASShortcutMonitor::handlePress);
}

MASShortcutMonitor::~MASShortcutMonitor() = default;

bool MASShortcutMonitor::registerShortcut(const MASShortcut& shortcut, std::function<void()> action,
                                          QString* error) {
    std::unique_ptr<MASHotKey> hotKey =
        MASHotKey::registeredHotKeyWithShortcut(m_hotKeys, shortcut, error);
    if (!hotKey)
        return false;
    hotKey->action = std::move(action);
    // The new hot key is in place before the one it replaces lets go.
    m_registered[shortcut] = std::move(hotKey);
    return true;
}

void MASShortcutMonitor::unregisterShortcut(const std::optional<MASShortcut>& shortcut) {
    if (shortcut)
        m_registered.erase(*shortcut);
}

void MASShortcutMonitor::unregisterAllShortcuts() {
    m_registered.clear();
}

bool MASShortcutMonitor::isShortcutRegistered(const MASShortcut& shortcut) const {
    return m_registered.contains(shortcut);
}

void MASShortcutMonitor::handlePress(quint32 signature, quint32 id) {
    if (signature != MASHotKey::signature)
        return;
    for (const auto& [shortcut, hotKey] : m_registered) {
        if (hotKey->carbonID() != id)
            continue;
        if (hotKey->action) {
            QMetaObject::invokeMethod(this, hotKey->action, Qt::QueuedConnection);
        }
        return;
    }
}

} // namespace dexaro
