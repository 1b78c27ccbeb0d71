#include "app/SingleInstance.h"

#include "app/AppIdentifiers.h"
#include "platform/SessionBus.h"

#include <QDir>
#include <QFileInfo>
#include <QLockFile>
#include <cstdio>

namespace dexaro {

SingleInstance::SingleInstance() = default;
SingleInstance::~SingleInstance() = default;

bool SingleInstance::claim(const QString& storePath, SessionBus* bus,
                           std::function<void()> showPopover) {
    // A lock that cannot be made (a folder that cannot be written) stops
    // nothing here; opening the store tells what is wrong.
    QDir().mkpath(QFileInfo(storePath).absolutePath());
    m_lock = std::make_unique<QLockFile>(storePath + QStringLiteral(".lock"));
    m_lock->setStaleLockTime(0); // only a live Dexaro holds it
    const bool otherInstance = !m_lock->tryLock(0) && m_lock->error() == QLockFile::LockFailedError;
    if (otherInstance) {
        if (bus)
            bus->postNotification(showPopoverNotification, MainAppBundleIdentifier);
        return false;
    }
    if (!bus)
        return true;
    QString busError;
    if (!bus->registerName(MainAppBundleIdentifier, &busError)) {
        if (bus->isNameOwned(MainAppBundleIdentifier)) {
            bus->postNotification(showPopoverNotification, MainAppBundleIdentifier);
            return false;
        }
        // No session bus: Dexaro runs, but no launcher can reach it.
        std::fprintf(stderr, "Dexaro: %s\n", qPrintable(busError));
    }
    bus->subscribe(showPopoverNotification);
    QObject::connect(
        bus, &SessionBus::notificationReceived, bus,
        [showPopover = std::move(showPopover)](const QString& name, const QString& sender) {
            if (name == showPopoverNotification && sender == MainAppBundleIdentifier && showPopover)
                showPopover();
        });
    return true;
}

} // namespace dexaro
