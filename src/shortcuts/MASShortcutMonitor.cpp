#include "shortcuts/MASShortcutMonitor.h"

#include "platform/HotKeys.h"

#include <cstdio>

namespace dexaro {

MASShortcutMonitor::MASShortcutMonitor(HotKeys& hotKeys, QObject* parent)
    : QObject(parent), m_hotKeys(hotKeys) {
    connect(&m_hotKeys, &HotKeys::pressed, this, &MASShortcutMonitor::handlePress);
}

MASShortcutMonitor::~MASShortcutMonitor() = default;

bool MASShortcutMonitor::registerShortcut(const MASShortcut& shortcut, std::function<void()> action,
                                          QString* error) {
    if (isSuspended()) {
        m_suspended[shortcut] = std::move(action);
        return true;
    }
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
    if (shortcut) {
        m_registered.erase(*shortcut);
        m_suspended.erase(*shortcut);
    }
}

void MASShortcutMonitor::unregisterAllShortcuts() {
    m_registered.clear();
    m_suspended.clear();
}

bool MASShortcutMonitor::isShortcutRegistered(const MASShortcut& shortcut) const {
    return m_registered.contains(shortcut) || m_suspended.contains(shortcut);
}

void MASShortcutMonitor::suspend() {
    if (m_suspensions++ > 0)
        return;
    for (auto& [shortcut, hotKey] : m_registered)
        m_suspended[shortcut] = std::move(hotKey->action);
    m_registered.clear(); // the keys are let go
}

void MASShortcutMonitor::resume() {
    if (m_suspensions == 0 || --m_suspensions > 0)
        return;
    auto suspended = std::move(m_suspended);
    m_suspended.clear();
    for (auto& [shortcut, action] : suspended) {
        QString error;
        if (!registerShortcut(shortcut, std::move(action), &error))
            std::fprintf(stderr, "Dexaro could not take back the hot key %s: %s\n",
                         qPrintable(shortcut.description()), qPrintable(error));
    }
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
