#pragma once
// One registered system-wide hot key. Registered on creation, unregistered
// when destroyed.
#include "shortcuts/MASShortcut.h"

#include <QString>
#include <functional>
#include <memory>

namespace dexaro {

class HotKeys;

class MASHotKey {
public:
    // 'MASS': the signature of every hot key Dexaro registers.
    static constexpr quint32 signature = 0x4D415353;

    // Takes the next identifier (used up even when registration fails) and
    // registers the shortcut. nullptr and a readable error when it cannot be:
    // a shortcut without a key, a key that has no place on Linux keyboards, or
    // a combination that another application holds.
    static std::unique_ptr<MASHotKey> registeredHotKeyWithShortcut(HotKeys& hotKeys,
                                                                   const MASShortcut& shortcut,
                                                                   QString* error = nullptr);
    ~MASHotKey();
    MASHotKey(const MASHotKey&) = delete;
    MASHotKey& operator=(const MASHotKey&) = delete;

    quint32 carbonID() const { return m_carbonID; }
    std::function<void()> action;

private:
    MASHotKey(HotKeys& hotKeys, quint32 carbonID) : m_hotKeys(hotKeys), m_carbonID(carbonID) {}
    HotKeys& m_hotKeys;
    quint32 m_carbonID;
};

} // namespace dexaro
