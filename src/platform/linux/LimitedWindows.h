#pragma once
// The window layer of a Wayland session whose compositor Dexaro has no way
// into: the windows of X11 applications (XWayland) through the X11 layer when
// there is an X11 display, none otherwise. Its limit is said once, at the
// first request to place a window, and read by the placement picker.
#include "platform/Windows.h"

#include <QString>
#include <memory>

namespace dexaro {

class Alerts;

// xwayland may be nullptr (no X11 display): then nothing can be placed.
std::unique_ptr<Windows> makeLimitedWindows(Alerts& alerts, std::unique_ptr<Windows> xwayland,
                                            const QString& desktopName);

// The sentence makeLimitedWindows says, for a desktop of that name.
QString limitedPlacementText(const QString& desktopName, bool withXWayland);

} // namespace dexaro
