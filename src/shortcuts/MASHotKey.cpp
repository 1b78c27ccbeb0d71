#include "shortcuts/MASHotKey.h"

#include "platform/HotKeys.h"

#include <QCoreApplication>
#include <atomic>

namespace dexaro {
namespace {
std::atomic<quint32> lastCarbonID{0};
}

std::unique_ptr<MASHotKey> MASHotKey::registeredHotKeyWithShortcut(HotKeys& hotKeys,
                                                                   const MASShortcut& shortcut,
                                                                   QString* error) {
    const quint32 carbonID = ++lastCarbonID;
    // A shortcut without a key must not become a grab of the key with code 0 (A).
    if (shortcut.keyCode() == MASShortcut::NSNotFound ||
        shortcut.keyCode() > MASShortcut::EventKeyCodeMask) {
        if (error)
            *error = QCoreApplication::translate("MASHotKey", "This shortcut has no usable key.");
        return nullptr;
    }
    if (!hotKeys.registerHotKey(shortcut.carbonKeyCode(), shortcut.carbonFlags(), signature,
                                carbonID, error))
        return nullptr;
    return std::unique_ptr<MASHotKey>(new MASHotKey(hotKeys, carbonID));
}

MASHotKey::~MASHotKey() {
    m_hotKeys.unregisterHotKey(signature, m_carbonID);
}

} // namespace dexaro
