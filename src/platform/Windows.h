#pragma once
// Other applications' top-level windows, as the window manager manages them:
// what identifies each, its visible frame read and set, the requests a desktop
// makes of a window (close, iconify, raise, activate), and notifications when
// a window appears, changes or goes.
//
// Frames are those of the window as the user sees it, decorations included,
// in root coordinates (origin at the top-left of the screen, y downwards).
// Every call may be made from any thread. Notifications run on the layer's
// own thread, one at a time and in the order the window manager made the
// changes; a listener only takes note and returns: it may read windows and
// make requests, but neither waits for appearanceMark() nor drops a
// subscription.
#include <QList>
#include <QRect>
#include <QString>
#include <QStringList>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>

namespace dexaro {

using WindowId = quint32;

// What a window is for, from its _NET_WM_WINDOW_TYPE (a transient window
// without a type is a dialog).
enum class WindowKind { normal, dialog, utility, splash, other };

struct WindowInfo {
    WindowId id = 0;
    // _NET_WM_PID as the client wrote it: inside a sandbox, a pid of the
    // sandbox's own namespace. 0 when the window has none.
    qint64 pid = 0;
    QString instanceName, className; // WM_CLASS
    QString applicationId;           // _GTK_APPLICATION_ID
    QString startupId;               // _NET_STARTUP_ID (of the window or of its group leader)
    WindowKind kind = WindowKind::normal;
    WindowId transientFor = 0;
    bool iconic = false;
    // Order in which this layer first saw the windows; windows managed before
    // the layer started have the lowest.
    quint64 appearance = 0;

    bool operator==(const WindowInfo&) const = default;
};

struct WindowEvent {
    enum class Type {
        appeared, // the window manager began to manage it
        changed,  // one of its identifying properties changed
        moved,    // its visible frame changed
        gone,     // no longer managed
    };
    Type type = Type::appeared;
    WindowInfo window;   // for gone: as it was last known
    QRect frame;         // moved: the new frame
    bool byUser = false; // moved while the user held a pointer button
};

class WindowSubscription {
public:
    virtual ~WindowSubscription() = default; // no notification runs after this returns
};

class Windows {
public:
    virtual ~Windows() = default;

    // Whether windows can be read and moved here (an X11 display with an EWMH
    // window manager, or a compositor Dexaro can ask). With prompt, a refusal
    // or a limit is explained to the user once.
    virtual bool isAvailable(bool prompt) = 0;
    // One plain sentence on which windows cannot be placed in this session
    // (all of them, or those of some applications); empty when every window can.
    virtual QString placementLimit() { return {}; }

    // The managed top-level windows, front to back.
    virtual QList<WindowInfo> windows() = 0;
    virtual std::optional<WindowInfo> window(WindowId id) = 0;
    // The appearance of the newest window seen up to this call: every window
    // managed before the call has an appearance at most this, every later one
    // a higher one.
    virtual quint64 appearanceMark() = 0;

    // nullopt when the window is gone.
    virtual std::optional<QRect> frame(WindowId id) = 0;
    // Asks the window manager to give the window this visible frame (a
    // maximized or full-screen window is restored first) and waits for its
    // answer, for a second and a half at most. Answers the frame the window has
    // then, which differs from the one asked for when the window manager
    // adjusted it (kept it below a panel, rounded a terminal to its character
    // cells) or refused; nullopt when the window is gone.
    virtual std::optional<QRect> setFrame(WindowId id, const QRect& frame) = 0;

    // Requests to the window manager; false when the request could not be made.
    virtual bool close(WindowId id) = 0; // the client is asked to close the window
    virtual bool iconify(WindowId id) = 0;
    virtual bool raise(WindowId id) = 0;
    virtual bool activate(WindowId id) = 0; // raise, focus, de-iconify

    // Whether a window's pid (as WindowInfo::pid gives it) is the process root
    // or one of its descendants, also when the window comes from a sandbox with
    // a PID namespace of its own below root.
    virtual bool isOfProcessTree(qint64 windowPid, qint64 root) = 0;

    // Virtual desktops (EWMH), numbered from 0. Backends without them keep
    // these defaults: no desktops, and every request refused.
    // How many the window manager has now; 0 when it has none.
    virtual int desktopCount() { return 0; }
    // Their names (_NET_DESKTOP_NAMES), as many as the window manager gave;
    // a desktop without one is for the caller to name.
    virtual QStringList desktopNames() { return {}; }
    virtual int currentDesktop() { return -1; } // -1 when unknown
    // The window's desktop; -2 when it is on all of them, nullopt when unknown.
    virtual std::optional<int> desktopOf(WindowId) { return std::nullopt; }
    // Sends the window to a desktop (-2: all of them) and waits, as setFrame
    // does, for the window manager to do it. False when there is no such
    // desktop or the window manager did not move it.
    virtual bool moveToDesktop(WindowId, int) { return false; }
    // Shows another desktop; false when there is no such desktop.
    virtual bool showDesktop(int) { return false; }

    using Listener = std::function<void(const WindowEvent& event)>;
    // The listener hears of every change until the subscription goes.
    virtual std::unique_ptr<WindowSubscription> subscribe(Listener listener) = 0;

    // Round trips to the display server waited for so far (for benchmarks).
    virtual quint64 roundTrips() const { return 0; }
};

} // namespace dexaro
