#pragma once
// Mouse-down monitors for the status item's popover. A monitor lives as long as
// its handle: destroying the handle removes it.
//
// - Local: every left or right mouse press in one of this program's windows,
//   before that window handles it. The handler gets the window pressed in.
// - Global: the user went to another application: a left or right press
//   outside this program's windows anywhere on the screen (XInput2 raw button
//   events on the root window, on X11), or the loss of the keyboard focus to
//   another program (which also covers switching from the keyboard). One click
//   may be seen both ways, so the handler must bear being called twice. Where
//   presses elsewhere cannot be seen, focus loss is the only sign.
namespace dexaro {

class EventMonitor {
public:
    virtual ~EventMonitor() = default;
};

} // namespace dexaro
