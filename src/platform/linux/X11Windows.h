#pragma once
// The window layer over X11 (Windows.h), event driven on connections of its
// own: one for its event thread, one for the callers' requests.
#include "platform/Windows.h"

#include <memory>

namespace dexaro {

class Alerts;
class WorkAreas;

// A refusal to place windows (no X11 display, no EWMH window manager) is
// explained once through alerts; windows are kept below the panels of workAreas.
std::unique_ptr<Windows> makeX11Windows(Alerts& alerts, WorkAreas& workAreas);

} // namespace dexaro
