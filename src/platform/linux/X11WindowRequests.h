#pragma once
// Requests to the window manager about other applications' windows, sent as
// client messages to the root window over the calling thread's connection
// (X11Connection).
// Each returns once the X server has taken the request; false when there is
// no display.
#include <QList>
#include <QString>

namespace dexaro {
class AccessibilityBackend;
}

namespace dexaro::x11 {

// _NET_CLOSE_WINDOW: the window manager asks the client to close it
// (WM_DELETE_WINDOW).
bool requestClose(quint32 window);
// ICCCM WM_CHANGE_STATE to IconicState.
bool requestIconify(quint32 window);
// _NET_ACTIVE_WINDOW: raise and focus (and de-iconify).
bool requestActivate(quint32 window);

// The application's managed top-level windows, front to back, by the window
// layer's rule: those of the process and its descendants when pid > 0,
// otherwise those whose WM_CLASS is wmClass.
QList<quint32> applicationWindows(AccessibilityBackend& windows, qint64 pid,
                                  const QString& wmClass);

} // namespace dexaro::x11
