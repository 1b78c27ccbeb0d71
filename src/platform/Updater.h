#pragma once
// The update checker. A background check stays silent when there is no update
// or the check fails; an on-demand check reports both.
namespace dexaro {

class Updater {
public:
    virtual ~Updater() = default;
    virtual void checkForUpdatesInBackground() = 0;
    virtual void checkForUpdates() = 0;
};

// Checks nothing: for builds without an update feed.
class NullUpdater : public Updater {
public:
    void checkForUpdatesInBackground() override {}
    void checkForUpdates() override {}
};

} // namespace dexaro
