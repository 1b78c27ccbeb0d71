#include "platform/linux/LinuxPlatform.h"

#include "platform/UserDefaults.h"
#include "platform/linux/DBusSessionBus.h"
#include "platform/linux/DBusWorkspaceBus.h"
#include "platform/linux/DesktopSession.h"
#include "platform/linux/GioDesktopEntries.h"
#include "platform/linux/GioWorkspaceServices.h"
#include "platform/linux/GlobalMouseDownMonitor.h"
#include "platform/linux/GnomeShellHotKeys.h"
#include "platform/linux/GnomeShellWindows.h"
#include "platform/linux/KGlobalAccelHotKeys.h"
#include "platform/linux/KWinWindows.h"
#include "platform/linux/LimitedWindows.h"
#include "platform/linux/LocalMouseDownMonitor.h"
#include "platform/linux/MessageBoxAlerts.h"
#include "platform/linux/SwayHotKeys.h"
#include "platform/linux/SwayWindows.h"
#include "platform/linux/TrayStatusItem.h"
#include "platform/linux/X11DesktopSwitchMonitor.h"
#include "platform/linux/X11HotKeys.h"
#include "platform/linux/X11Windows.h"
#include "platform/linux/X11WorkAreas.h"
#include "platform/linux/XdgAutostartLoginItem.h"
#include "platform/linux/XkbKeyboardLayout.h"

#include <QProcessEnvironment>

namespace dexaro {

namespace {

// The window layer and the hot keys of the session's desktop. X11 sessions
// keep X11 for both; a Wayland compositor is asked through its own means, and
// where it offers none, X11 applications (XWayland) are still placed and the
// limit is said.
struct SessionBackends {
    std::unique_ptr<Windows> windows;
    std::unique_ptr<HotKeys> hotKeys;
};

SessionBackends sessionBackends(Alerts& alerts, WorkAreas& workAreas) {
    const QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    const Compositor compositor = detectCompositor();
    SessionBackends backends;
    switch (compositor) {
    case Compositor::x11:
        return {makeX11Windows(alerts, workAreas), makeX11HotKeys()};
    case Compositor::sway: {
        const QString socket = env.value(QStringLiteral("SWAYSOCK"));
        backends.windows = makeSwayWindows(alerts, socket);
        backends.hotKeys = makeSwayHotKeys(socket);
        break;
    }
    case Compositor::kwin:
        backends.windows = makeKWinWindows(alerts);
        backends.hotKeys = makeKGlobalAccelHotKeys();
        break;
    case Compositor::gnomeShell:
        backends.windows = makeGnomeShellWindows(alerts);
        backends.hotKeys = makeGnomeShellHotKeys();
        break;
    case Compositor::otherWayland:
        break;
    }
    const QString desktop = compositorName(compositor);
    qInfo("Dexaro: a Wayland session of %s", qPrintable(desktop));
    // Where the compositor offers nothing (or did not answer), X11 applications
    // are still placed through XWayland and the limit is said.
    if (!backends.windows) {
        const bool xwayland = !env.value(QStringLiteral("DISPLAY")).isEmpty();
        backends.windows = makeLimitedWindows(
            alerts, xwayland ? makeX11Windows(alerts, workAreas) : nullptr, desktop);
    }
    if (!backends.hotKeys)
        backends.hotKeys = makeUnboundHotKeys(desktop);
    return backends;
}

} // namespace

void Platform::beforeApplication() {
    // Dexaro's own windows go through XWayland where there is one: there the
    // popover puts itself beside the status icon and the main window keeps
    // its place; a native Wayland window may not choose where it opens.
    if (ownWindowsOnXWayland(QProcessEnvironment::systemEnvironment()))
        qputenv("QT_QPA_PLATFORM", "xcb");
}

// In the order they are made; each may use those before it.
struct LinuxPlatform::Services {
    explicit Services(const QString& programPath)
        : programPath(programPath), alerts(workAreas), userDefaults(UserDefaults::standardPath()),
          keyboardLayout(makeXkbKeyboardLayout()), backends(sessionBackends(alerts, workAreas)),
          hotKeys(std::move(backends.hotKeys)), windows(std::move(backends.windows)),
          workspace(makeGioWorkspaceServices(*windows)) {}

    QString programPath;
    X11WorkAreas workAreas;
    MessageBoxAlerts alerts;
    UserDefaults userDefaults;
    std::unique_ptr<KeyboardLayout> keyboardLayout;
    SessionBackends backends; // handed on to the two below
    std::unique_ptr<HotKeys> hotKeys;
    std::unique_ptr<Windows> windows;
    std::unique_ptr<WorkspaceServices> workspace;
    GioDesktopEntries desktopEntries;
};

std::unique_ptr<Platform> Platform::forDesktop(const QString& programPath) {
    return std::make_unique<LinuxPlatform>(programPath);
}

LinuxPlatform::LinuxPlatform(const QString& programPath)
    : d(std::make_unique<Services>(programPath)) {
    KeyboardLayout::setCurrent(d->keyboardLayout.get());
}

LinuxPlatform::~LinuxPlatform() {
    if (&KeyboardLayout::current() == d->keyboardLayout.get())
        KeyboardLayout::setCurrent(nullptr);
}

Alerts& LinuxPlatform::alerts() {
    return d->alerts;
}

HotKeys& LinuxPlatform::hotKeys() {
    return *d->hotKeys;
}

KeyboardLayout& LinuxPlatform::keyboardLayout() {
    return *d->keyboardLayout;
}

Windows& LinuxPlatform::windows() {
    return *d->windows;
}

WorkAreas& LinuxPlatform::workAreas() {
    return d->workAreas;
}

WorkspaceServices& LinuxPlatform::workspace() {
    return *d->workspace;
}

UserDefaults& LinuxPlatform::userDefaults() {
    return d->userDefaults;
}

DesktopEntries& LinuxPlatform::desktopEntries() {
    return d->desktopEntries;
}

std::unique_ptr<LoginItem> LinuxPlatform::makeLoginItem() {
    return std::make_unique<XdgAutostartLoginItem>(
        XdgAutostartLoginItem::launcherPathFor(d->programPath));
}

std::unique_ptr<SessionBus> LinuxPlatform::makeSessionBus() {
    return std::make_unique<DBusSessionBus>();
}

std::unique_ptr<WorkspaceBusService> LinuxPlatform::makeWorkspaceBusService() {
    return std::make_unique<DBusWorkspaceService>();
}

std::unique_ptr<StatusItem> LinuxPlatform::makeStatusItem() {
    return std::make_unique<TrayStatusItem>();
}

std::unique_ptr<DesktopSwitchMonitor> LinuxPlatform::makeDesktopSwitchMonitor() {
    return std::make_unique<X11DesktopSwitchMonitor>();
}

std::unique_ptr<EventMonitor>
LinuxPlatform::addLocalMouseDownMonitor(std::function<void(QWindow*)> handler) {
    return makeLocalMouseDownMonitor(std::move(handler));
}

std::unique_ptr<EventMonitor>
LinuxPlatform::addGlobalMouseDownMonitor(std::function<void()> handler) {
    return std::make_unique<GlobalMouseDownMonitor>(std::move(handler));
}

} // namespace dexaro
