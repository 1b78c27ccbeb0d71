#pragma once
// The state of a workspace's row in the popover.
namespace dexaro {

enum class ItemStateEnum {
    inactive,   // off: the indicator dot shows
    active,     // on: the activation indicator pulses
    runningApp, // switching on or off is in progress: the spinner replaces the switch
    notSet,     // never stored; looks like inactive
};

} // namespace dexaro
