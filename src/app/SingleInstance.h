#pragma once
// One Dexaro per store and per session: a lock beside the store (which holds
// with or without a session bus) and the program's name on the session bus
// (by which the launcher and a second start find it).
#include <QString>
#include <functional>
#include <memory>

class QLockFile;

namespace dexaro {

class SessionBus;

class SingleInstance {
public:
    SingleInstance();
    ~SingleInstance();

    // True when this process is now the one Dexaro for the store at storePath;
    // showPopover then runs whenever a later start asks. False when another
    // holds the store or the name: that one has been asked to show its popover
    // (a desktop without a tray has no other way to reach it).
    bool claim(const QString& storePath, SessionBus* bus, std::function<void()> showPopover);

    // What a second start posts to the running Dexaro.
    static inline const QString showPopoverNotification = QStringLiteral("showPopover");

private:
    std::unique_ptr<QLockFile> m_lock;
};

} // namespace dexaro
