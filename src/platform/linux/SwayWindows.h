#pragma once
// The window layer over sway's IPC (Windows.h), for sway and the compositors
// that speak its protocol: the tree for what is there, window events on a
// connection and thread of its own, commands by con_id for everything asked.
// A window is placed by making it float and giving it the frame. Window ids
// are sway's con_ids.
#include "platform/Windows.h"

#include <QString>
#include <memory>

namespace dexaro {

class Alerts;

// nullptr when no sway IPC answers at socketPath (SWAYSOCK); a connection
// that ends later is explained once through alerts.
std::unique_ptr<Windows> makeSwayWindows(Alerts& alerts, const QString& socketPath);

} // namespace dexaro
