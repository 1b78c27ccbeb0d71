#pragma once
// Hot keys as key grabs on the X11 root window, one for each combination of the
// ignorable locks; presses arrive through a native event filter on Qt's own
// connection. Without an X11 display every registration is refused with an
// explanation.
#include "platform/HotKeys.h"

#include <memory>

namespace dexaro {

// Make it after the QApplication, on the main thread.
std::unique_ptr<HotKeys> makeX11HotKeys();

} // namespace dexaro
