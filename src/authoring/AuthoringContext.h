#pragma once
// What the Creator and the Editor take from the rest of Dexaro: the store and
// the shared objects start-up makes, and the delegate's reactions to a change of
// the workspace list. Every pointer must be set and outlive both screens.
#include <QString>
#include <functional>

namespace dexaro {

class AllPositionsHolder;
class Alerts;
class DesktopEntries;
class MASShortcutBinder;
class MASShortcutMonitor;
class MASShortcutValidator;
class PositionsDBManager;
class UserDefaults;
class WorkspaceStore;

struct AuthoringContext {
    WorkspaceStore* store = nullptr;
    Alerts* alerts = nullptr;
    UserDefaults* userDefaults = nullptr; // where the recorders keep shortcuts
    MASShortcutValidator* validator = nullptr;
    MASShortcutMonitor* monitor = nullptr; // a deleted workspace's hot key goes here
    MASShortcutBinder* binder = nullptr;   // and its binding here
    PositionsDBManager* positionsStore = nullptr;
    AllPositionsHolder* positions = nullptr;
    DesktopEntries* desktopEntries = nullptr;
    // The scanDefaultApps setting, read on the main thread when a scan starts.
    std::function<QString()> scanDefaultApps;
    // A workspace was created, changed or deleted: every list is out of date
    // and the popover reloads.
    std::function<void()> workspaceListChanged;
    // True (and the tag gone) when the Editor's list is out of date.
    std::function<bool()> consumeEditorTag;
    // The stored workspace at that position of the Editor's list (placeholder
    // not counted) was deleted.
    std::function<void(int workspaceIndex)> deletedWS;
};

} // namespace dexaro
