// A workspace's life through the main window in a real session: Dexaro started
// with the desktop's own services and a private XDG tree, the workspace made in
// the Creator with real clicks and typing (an xclock from a private desktop
// entry, a placement, a shortcut), switched on from the popover (the clock
// placed) and off by its shortcut (the clock quits), chosen in the Editor and
// deleted; the store, the defaults file and the grabbed key are checked at
// each step. (Renaming is the Editor's unit test's.)
#include "activation/AnimatedSwitch.h"
#include "activation/StatusBarItemViewController.h"
#include "activation/StatusBarPopoverCollectionView.h"
#include "activation/StatusBarPopoverCollectionViewItem.h"
#include "activation/WorkspaceActivation.h"
#include "app/AppDelegate.h"
#include "app/CustomMainWindow.h"
#include "app/SharedObjects.h"
#include "app/ToolbarItemView.h"
#include "authoring/AppListCollectionView.h"
#include "authoring/WSCreatorViewController.h"
#include "authoring/WSEditorViewController.h"
#include "authoring/WSTextField.h"
#include "model/WorkspaceStore.h"
#include "platform/ObjectStore.h"
#include "platform/Popover.h"
#include "platform/UserDefaults.h"
#include "positioning/PositionName.h"
#include "positioning/PositionsPopover.h"
#include "shortcuts/MASShortcut.h"
#include "shortcuts/MASShortcutView.h"
#include "support/DesktopPlatform.h"
#include "support/PlacedFrame.h"
#include "support/RecordingAlerts.h"
#include "support/RunSql.h"
#include "support/Wait.h"
#include "support/X11Probe.h"
#include "support/XdgSandbox.h"
#include "support/XdoTool.h"

#include <QComboBox>
#include <QDBusConnection>
#include <QListView>
#include <QPushButton>
#include <QToolButton>
#include <csignal>
#include <gtest/gtest.h>

using namespace dexaro;
using namespace dexaro::test;

namespace {

// GLib reads the XDG variables once: the private tree exists before anything
// of the desktop's is made.
XdgSandbox& sandbox() {
    static XdgSandbox xdg;
    return xdg;
}
const bool sandboxReady = (sandbox(), true);

// Ctrl-Alt-K: key code 40 (K), and its X11 keycode and modifier mask on the
// server's US layout, for probing the grab.
const MASShortcut clockShortcut(40, MASShortcut::ControlFlag | MASShortcut::OptionFlag);
constexpr uint8_t kX11Keycode = 45;
constexpr uint16_t controlAlt = XCB_MOD_MASK_CONTROL | XCB_MOD_MASK_1;

class AuthoringSession : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(probe.ok());
        clockURL = sandbox().writeEntry(QStringLiteral("dexaro-test-desk-clock.desktop"),
                                        {"Type=Application", "Name=Desk Clock",
                                         "Exec=xclock -geometry 120x120+400+300",
                                         "StartupWMClass=XClock"});
        storePath = sandbox().path(QStringLiteral("data/Dexaro/Dexaro.sqlite"));
    }
    void TearDown() override {
        delegate.reset();
        QDBusConnection::sessionBus().unregisterService(QStringLiteral("org.dexaro.Dexaro"));
        for (const auto& [pid, frame] : clocks())
            ::kill(pid_t(pid), SIGKILL);
    }

    void startDexaro() {
        AppServices services = AppServices::fromPlatform(desktop());
        auto recording = std::make_unique<RecordingAlerts>();
        alerts = recording.get();
        services.alerts = std::move(recording);
        services.storePath = storePath;
        services.exit = [](int) {
        };
        delegate = std::make_unique<AppDelegate>(desktop(), std::move(services));
        ASSERT_EQ(delegate->applicationDidFinishLaunching(), AppDelegate::LaunchResult::Started);
        ASSERT_TRUE(waitUntil([&] { return delegate->isPopoverShown(); }, 15000));
        delegate->closePopover();
    }

    static bool clickOn(QWidget* widget, QPoint at = {-1, -1}) {
        if (!widget || !waitUntil([&] { return widget->isVisible(); }))
            return false;
        if (at.x() < 0)
            at = widget->rect().center();
        return XdoTool::click(widget->mapToGlobal(at));
    }

    // Rows of Workspaces in the file: id, name, apps.
    QList<QStringList> storedWorkspaces() const {
        return querySql(storePath, "SELECT id, name, apps FROM Workspaces ORDER BY rowid");
    }
    std::optional<MASShortcut> storedShortcut(const QString& wsID) const {
        // Read back from the file, as another start of Dexaro would.
        UserDefaults fresh(desktop().userDefaults().path());
        const auto value = fresh.value(wsID);
        return value ? MASShortcut::decode(*value) : std::nullopt;
    }

    StatusBarPopoverCollectionView& list() {
        return *delegate->statusBarController()->wsListCollectionView();
    }
    bool settledIn(const QString& wsID, ItemStateEnum state) {
        return waitUntil([&] { return list().itemState(wsID) == state; }, 30000);
    }
    // The xclocks on the screen: process and visible frame.
    QList<std::pair<qint64, QRect>> clocks() {
        QList<std::pair<qint64, QRect>> found;
        for (xcb_window_t window : probe.clientWindows())
            if (probe.wmClass(window).value(1) == QLatin1String("XClock"))
                found.append(
                    {probe.pid(window).value_or(0), probe.frameRect(window).value_or(QRect())});
        return found;
    }
    X11Probe probe;
    QString clockURL;
    QString storePath;
    std::unique_ptr<AppDelegate> delegate;
    RecordingAlerts* alerts = nullptr;
};

TEST_F(AuthoringSession, CreateSwitchChooseAndDeleteThroughTheWindow) {
    startDexaro();
    CustomMainWindow* window = delegate->mainWindow();
    auto* creator = qobject_cast<WSCreatorViewController*>(window->creatorView());
    auto* editor = qobject_cast<WSEditorViewController*>(window->editorView());
    ASSERT_TRUE(creator && editor);
    delegate->openMainWindow();
    ASSERT_TRUE(waitUntil([&] { return window->isActiveWindow(); }, 15000));

    // The Creator lists the private entry; pick it by a click on its tile.
    AppListCollectionView* grid = creator->collectionView();
    int row = -1;
    ASSERT_TRUE(waitUntil([&] {
        const QList<AppListModel> apps = grid->installedApps();
        for (int i = 0; i < apps.size(); ++i)
            if (apps[i].appURL == clockURL)
                row = i;
        return row >= 0;
    }));
    QListView* tiles = grid->gridView();
    ASSERT_TRUE(
        clickOn(tiles->viewport(), tiles->visualRect(tiles->model()->index(row, 0)).center()));
    ASSERT_TRUE(waitUntil([&] { return grid->selectedAppURLs().contains(clockURL); }));

    // Its placement: the tile's button, then "right half" in the picker.
    ASSERT_TRUE(clickOn(grid->positioningButton(clockURL)));
    PositionsListCollectionView* placements = grid->positionsPopover()->list();
    int rightHalf = -1;
    for (int i = 0; i < placements->positionData.size(); ++i)
        if (placements->positionData[i].second == PositionName::rightHalf)
            rightHalf = i;
    ASSERT_GE(rightHalf, 0);
    ASSERT_TRUE(clickOn(placements->positionCells.value(rightHalf)));
    XdoTool::key(QStringLiteral("Escape"));

    // Name and shortcut, typed.
    ASSERT_TRUE(clickOn(creator->nameField()));
    ASSERT_TRUE(XdoTool::run({"type", "--delay", "40", "Clock desk"}));
    ASSERT_TRUE(waitUntil([&] { return creator->nameField()->text() == "Clock desk"; }));
    ASSERT_TRUE(clickOn(creator->shortcutView()));
    ASSERT_TRUE(waitUntil([&] { return creator->shortcutView()->isRecording(); }));
    ASSERT_TRUE(XdoTool::key(QStringLiteral("ctrl+alt+k")));
    ASSERT_TRUE(waitUntil([&] { return creator->shortcutValue() == clockShortcut; }));
    ASSERT_TRUE(clickOn(creator->saveButton()));

    ASSERT_TRUE(waitUntil([&] { return storedWorkspaces().size() == 1; }));
    const QString wsID = storedWorkspaces().first().at(0);
    EXPECT_EQ(storedWorkspaces().first().mid(1),
              (QStringList{QStringLiteral("Clock desk"), clockURL}));
    EXPECT_EQ(storedShortcut(wsID), clockShortcut);
    EXPECT_EQ(querySql(storePath, "SELECT appPositions FROM PositionsEntity"),
              (QList<QStringList>{{QStringLiteral("%1==%2;;")
                                       .arg(appPositionKey(clockURL))
                                       .arg(rawValue(PositionName::rightHalf))}}));
    EXPECT_TRUE(creator->nameField()->text().isEmpty()) << "the screen is ready for the next one";

    // Listed by the popover at once and switched on there: the clock starts
    // and goes to the right half. Off by its shortcut: the clock quits.
    delegate->showPopover();
    ASSERT_TRUE(waitUntil([&] { return list().itemForWorkspace(wsID) != nullptr; }));
    ASSERT_TRUE(clickOn(list().itemForWorkspace(wsID)->wsLauncherToggle()));
    ASSERT_TRUE(settledIn(wsID, ItemStateEnum::active));
    const QRect rightHalfFrame = placedFrame(PositionName::rightHalf, probe.workArea());
    EXPECT_TRUE(waitUntil(
        [&] { return clocks().size() == 1 && framedAt(clocks()[0].second, rightHalfFrame); },
        30000))
        << "the clock is not in the right half";
    delegate->closePopover();
    EXPECT_TRUE(probe.keyIsGrabbedByOthers(kX11Keycode, controlAlt));
    ASSERT_TRUE(XdoTool::key(QStringLiteral("ctrl+alt+k")));
    ASSERT_TRUE(settledIn(wsID, ItemStateEnum::inactive));
    EXPECT_TRUE(waitUntil([&] { return clocks().isEmpty(); }, 30000)) << "the clock is still up";

    // Chosen in the Editor with the keyboard: the list read again shows it.
    delegate->openMainWindow();
    ASSERT_TRUE(waitUntil([&] { return window->isActiveWindow(); }, 15000));
    ASSERT_TRUE(clickOn(window->toolbarItem(CustomMainWindow::EditorView)));
    ASSERT_TRUE(
        waitUntil([&] { return !editor->isLoadingList() && editor->popUpButton()->count() == 2; }));
    ASSERT_TRUE(clickOn(editor->popUpButton()));
    ASSERT_TRUE(XdoTool::key(QStringLiteral("Down Return")));
    ASSERT_TRUE(waitUntil([&] { return editor->currentSelectedPopItemIndex() == 1; }));
    EXPECT_EQ(editor->shortcutView()->shortcutValue(), clockShortcut);

    // Deleted: the record, its shortcut in the file, its grab and its placements go.
    alerts->answer = 0;
    ASSERT_TRUE(clickOn(editor->deleteButton()));
    ASSERT_TRUE(waitUntil([&] { return storedWorkspaces().isEmpty(); }));
    EXPECT_EQ(alerts->shown.last().message, QStringLiteral("Are sure?"));
    EXPECT_FALSE(storedShortcut(wsID));
    EXPECT_TRUE(waitUntil([&] { return !probe.keyIsGrabbedByOthers(kX11Keycode, controlAlt); }));
    EXPECT_TRUE(querySql(storePath, "SELECT * FROM PositionsEntity").isEmpty());
    delegate->showPopover();
    EXPECT_TRUE(waitUntil([&] { return list().itemForWorkspace(wsID) == nullptr; }));
}

} // namespace
