#pragma once
// What the Creator and the Editor take from the rest of Dexaro: the catalog
// that stores their workspaces, the shared objects start-up makes, and the
// delegate's mark of the Editor's list. Every pointer must be set and outlive
// both screens.
#include <QString>
#include <functional>

namespace dexaro {

class Alerts;
class DesktopEntries;
class MASShortcutMonitor;
class MASShortcutValidator;
class PositionsDBManager;
class UserDefaults;
class Windows;
class WorkAreas;
class WorkspaceCatalog;
class WorkspaceServices;

struct AuthoringContext {
    WorkspaceCatalog* catalog = nullptr; // creates, updates and deletes
    Alerts* alerts = nullptr;
    UserDefaults* userDefaults = nullptr; // where the recorders keep shortcuts
    MASShortcutValidator* validator = nullptr;
    MASShortcutMonitor* monitor = nullptr;        // its hot keys let go while a recorder records
    PositionsDBManager* positionsStore = nullptr; // the Editor reads placements from it
    DesktopEntries* desktopEntries = nullptr;
    // The monitors and desktops the placement picker offers, and the open
    // windows the Creator captures; may stay null (nothing of it is offered).
    WorkAreas* workAreas = nullptr;
    Windows* windows = nullptr;
    WorkspaceServices* workspace = nullptr; // tells which application a window is of
    // The scanDefaultApps setting, read on the main thread when a scan starts.
    std::function<QString()> scanDefaultApps;
    // True (and the tag gone) when the Editor's list is out of date.
    std::function<bool()> consumeEditorTag;
    // Why windows cannot (all) be placed in this session; empty when they can.
    std::function<QString()> placementLimit;
};

} // namespace dexaro
