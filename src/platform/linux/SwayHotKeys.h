#pragma once
// Hot keys in a Wayland session. X11 key grabs reach Dexaro there only while
// an XWayland window has the focus, so each combination is bound by the
// compositor: on sway (and compositors with its IPC) as a `bindsym` of the
// key's symbol in the layout of sway's configuration (not XWayland's, which
// follows whichever keyboard typed last),
// whose command is a `nop` that names the combination; sway tells every client
// that subscribed to binding events when it runs, and the press is reported
// from there. Bindings go with Dexaro.
#include "platform/HotKeys.h"

#include <QString>
#include <memory>

namespace dexaro {

// nullptr when no sway IPC answers at socketPath. Make it on the main thread.
std::unique_ptr<HotKeys> makeSwayHotKeys(const QString& socketPath);

// A desktop without a way to bind keys for Dexaro: every registration is
// refused with an explanation that shows the command line to bind in the
// desktop's own keyboard settings instead.
std::unique_ptr<HotKeys> makeUnboundHotKeys(const QString& desktopName);

// The keysym name of what a Dexaro key code types without modifiers in an XKB
// layout ("a", "comma", "Return"; empty layout: XKB's default); empty when it
// types nothing.
QString swayKeySymbol(quint32 keyCode, const QString& layout = {}, const QString& variant = {});
// sway's "bindsym" combination for a Dexaro key code and modifiers, the
// modifiers in one order (Ctrl+Mod1+Mod4+Shift+a); empty when the key types nothing.
QString swayKeyCombination(quint32 keyCode, quint32 carbonModifiers, const QString& layout = {},
                           const QString& variant = {});
// Whether sway's configuration text binds that combination: a bindsym of the
// same symbol, or a bindcode of keyCode (X11 / Wayland key code), with the same
// modifiers however spelled; $variables set in the text are read.
bool configBinds(const QString& configText, const QString& combination, int keyCode);

} // namespace dexaro
