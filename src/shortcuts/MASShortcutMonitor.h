#pragma once
// The hot keys Dexaro holds, one per shortcut value, each with its action.
// A press runs the action later on the main thread. Main thread only.
#include "shortcuts/MASHotKey.h"
#include "shortcuts/MASShortcut.h"

#include <QObject>
#include <functional>
#include <memory>
#include <optional>
#include <unordered_map>

namespace dexaro {

class HotKeys;

class MASShortcutMonitor : public QObject {
    Q_OBJECT
public:
    explicit MASShortcutMonitor(HotKeys& hotKeys, QObject* parent = nullptr);
    ~MASShortcutMonitor() override;

    // Registers the shortcut with the action, replacing a registration of an
    // equal shortcut. False and a readable error when it cannot be registered.
    bool registerShortcut(const MASShortcut& shortcut, std::function<void()> action,
                          QString* error = nullptr);
    void unregisterShortcut(const std::optional<MASShortcut>& shortcut);
    void unregisterAllShortcuts();
    bool isShortcutRegistered(const MASShortcut& shortcut) const;

    // While a recorder records, Dexaro's own hot keys let go of their keys, so
    // that the recorder sees the press (and no workspace switches on). Each
    // suspend() is matched by one resume(); registrations made meanwhile take
    // their keys at the last resume().
    void suspend();
    void resume();
    bool isSuspended() const { return m_suspensions > 0; }

    HotKeys& hotKeys() const { return m_hotKeys; }

private:
    void handlePress(quint32 signature, quint32 id);

    HotKeys& m_hotKeys;
    std::unordered_map<MASShortcut, std::unique_ptr<MASHotKey>> m_registered;
    std::unordered_map<MASShortcut, std::function<void()>> m_suspended; // keys let go
    int m_suspensions = 0;
};

} // namespace dexaro
