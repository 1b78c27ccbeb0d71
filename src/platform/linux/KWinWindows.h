#pragma once
// Other applications' windows in a KWin Wayland session. A Wayland client
// cannot see or move another's windows, so Dexaro has KWin run a small script
// of its own (resources/kwin/dexaro-windows.js, loaded over KWin's /Scripting
// interface) that reports every window and its changes to a D-Bus object of
// Dexaro's and carries out the frames, closes and minimizes Dexaro asks for.
//
// The script is written to Dexaro's private runtime folder
// ($XDG_RUNTIME_DIR/dexaro, mode 0700) just before KWin loads it, and removed
// once it runs. Window ids are Dexaro's own numbers for KWin's window UUIDs.
// When KWin restarts, its windows go and the script is loaded again.
#include "platform/Windows.h"

#include <memory>

namespace dexaro {

class Alerts;

// nullptr when no KWin answers on the session bus. Otherwise the backend,
// which may still be unavailable: then isAvailable(true) tells the user why
// (the runtime folder is not private, KWin refused or did not run the script).
// Waits for the script's first report for a few seconds at most. busAddress:
// the bus KWin is on, when not the session bus (tests).
std::unique_ptr<Windows> makeKWinWindows(Alerts& alerts, const QString& busAddress = {});

} // namespace dexaro
