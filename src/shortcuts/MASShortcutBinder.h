#pragma once
// Keeps hot keys in step with the shortcuts stored in the user defaults: a
// bound key's stored shortcut is registered with the key's action at once and
// again whenever the stored value changes; no stored value, no hot key.
// Main thread only.
//
//     binder.bindShortcut(workspaceId, [row = QPointer(row)] {
//         if (row) row->toggleWorkspace(false);
//     });
#include "shortcuts/MASShortcut.h"

#include <QHash>
#include <QObject>
#include <QString>
#include <functional>
#include <optional>

namespace dexaro {

class Alerts;
class MASShortcutMonitor;
class UserDefaults;

class MASShortcutBinder : public QObject {
    Q_OBJECT
public:
    MASShortcutBinder(MASShortcutMonitor& monitor, UserDefaults& defaults,
                      QObject* parent = nullptr);
    ~MASShortcutBinder() override;

    // Binds the defaults key to the action: registers its stored shortcut now
    // and follows its changes. Binding a key again replaces its action. False
    // (and nothing bound) for a key with '.', ' ' or another character that
    // cannot name a stored value.
    bool bindShortcut(const QString& defaultsKey, std::function<void()> action);
    // Unregisters the key's hot key and forgets the key.
    void breakBinding(const QString& defaultsKey);
    bool isRegisteredAction(const QString& defaultsKey) const;
    // The shortcut currently stored for a bound key (kept even when its
    // registration was refused).
    std::optional<MASShortcut> shortcut(const QString& defaultsKey) const;

    // Shortcuts to use for keys that hold none; not written to the file.
    void registerDefaultShortcuts(const QHash<QString, MASShortcut>& shortcuts);

    // Where a refused registration is reported (once per key and shortcut);
    // without it the report is only the console line and the signal.
    void setAlerts(Alerts* alerts) { m_alerts = alerts; }

signals:
    void registrationFailed(const QString& defaultsKey, const QString& error);

private:
    void deliver(const QString& defaultsKey);
    void release(const QString& defaultsKey);
    void registerFor(const QString& defaultsKey, const MASShortcut& shortcut);

    MASShortcutMonitor& m_monitor;
    UserDefaults& m_defaults;
    Alerts* m_alerts = nullptr;
    QHash<QString, std::function<void()>> m_actions;
    QHash<QString, MASShortcut> m_shortcuts;
    QHash<QString, MASShortcut> m_reportedFailures;
    bool m_reportedUnavailable = false;
};

} // namespace dexaro
