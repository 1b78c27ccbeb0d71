// The Creator and the Editor keep a workspace's start-up choice and its
// applications' monitors and desktops through their saves, and the Creator's
// "From open windows" picks what is open, over a window manager in memory.
#include "AuthoringFixture.h"
#include "authoring/StartChoiceView.h"
#include "support/FakeWindows.h"

#include <QCheckBox>

namespace dexaro::test {
namespace {

using StartChoiceTest = AuthoringFixture;

TEST_F(StartChoiceTest, TheCreatorStoresTheChoicesAndTheEditorShowsAndChangesThem) {
    fill("Morning", {url("Alpha")});
    creator->positionManager().setTarget(url("Alpha"), {QStringLiteral("DP-2"), 1});
    creator->positionManager().setTarget(url("Beta"), {QStringLiteral("DP-3"), 2}); // not picked
    creator->startChoice()->atStartBox()->setChecked(true);
    creator->saveWS();
    ASSERT_EQ(onlyAlert(), "Workspace creating|Added new Workspace!|success");
    QString id;
    for (const WSListModelPtr& ws : shared.activation().workspaces())
        if (ws->wsName == u"Morning")
            id = ws->wsID;
    ASSERT_FALSE(id.isEmpty());
    WorkspaceOptions expected;
    expected.switchOnAtStart = true;
    expected.apps.insert(appPositionKey(url("Alpha")), {QStringLiteral("DP-2"), 1});
    EXPECT_EQ(shared.catalog().options(id), expected) << "only the picked application's target";
    EXPECT_FALSE(creator->startChoice()->switchOnAtStart()) << "the next workspace starts afresh";

    editor->hide();
    editor->show(); // the list is read again
    ASSERT_TRUE(waitUntil([&] { return !editor->isLoadingList(); }));
    const int index = int(popUpTitles().indexOf(QStringLiteral("Morning")));
    ASSERT_GT(index, 0);
    select(index);
    EXPECT_TRUE(editor->startChoice()->switchOnAtStart());
    EXPECT_EQ(editor->positionManager().targetOf(id, url("Alpha")),
              (AppTarget{QStringLiteral("DP-2"), 1}));
    select(1); // another workspace shows its own choice
    EXPECT_FALSE(editor->startChoice()->switchOnAtStart());
    select(index);
    editor->startChoice()->atStartBox()->setChecked(false);
    alerts.shown.clear();
    editor->saveWS();
    ASSERT_EQ(onlyAlert(), "Workspace updating|Updated Workspace!|success");
    expected.switchOnAtStart = false;
    EXPECT_EQ(shared.catalog().options(id), expected);
    EXPECT_EQ(querySql(storePath(), "SELECT atStart FROM WorkspaceOptions WHERE appKey IS NULL"),
              QList<QStringList>{});
}

} // namespace
} // namespace dexaro::test

namespace dexaro::test {
namespace {

// Windows of Alpha and of an unknown program; Alpha's window fills the left
// half of the primary monitor and sits on the third desktop.
struct OpenWindows : RecordingWorkspaceServices {
    QString alpha;
    QStringList entriesOfWindows(const QList<WindowInfo>& windows, const QStringList&) override {
        QStringList found;
        for (const WindowInfo& w : windows)
            found << (w.className == u"Alpha" ? alpha : QString());
        return found;
    }
};

struct OneMonitor : WorkAreas {
    Monitor monitor{QRect(0, 0, 1440, 900), QRect(0, 30, 1440, 846), QStringLiteral("A")};
    std::optional<Monitor> primary() override { return monitor; }
    std::optional<Monitor> monitorAt(const QPoint&) override { return monitor; }
};

TEST_F(StartChoiceTest, FromOpenWindowsPicksTheApplicationsWithTheirPlacementsAndSaysWhatItFound) {
    FakeWindows windows;
    windows.desktops = 4;
    OneMonitor monitors;
    OpenWindows services;
    services.alpha = url("Alpha");
    WindowInfo alpha;
    alpha.className = QStringLiteral("Alpha");
    alpha.pid = 99;
    windows.setDesktop(windows.appear(alpha, QRect(0, 30, 720, 846)).id, 2);
    WindowInfo other;
    other.className = QStringLiteral("Oddity");
    windows.appear(other);
    AuthoringContext context = shared.authoringContext();
    context.windows = &windows;
    context.workAreas = &monitors;
    context.workspace = &services;
    WSCreatorViewController screen(context);
    screen.show();
    ASSERT_TRUE(waitUntil([&] { return scanned(screen); }));
    screen.collectionView()->setSelectedAppURLs({url("Gamma")});
    alerts.shown.clear();
    screen.captureButton()->click();

    EXPECT_EQ(screen.collectionView()->selectedAppURLs(),
              (QSet<QString>{url("Gamma"), url("Alpha")}))
        << "added to what was picked";
    EXPECT_EQ(screen.positionManager().positionsCache.value(appPositionKey(url("Alpha"))),
              rawValue(PositionName::leftHalf));
    EXPECT_EQ(screen.positionManager().targetOf(url("Alpha")), (AppTarget{{}, 2}));
    ASSERT_EQ(alerts.shown.size(), 1);
    EXPECT_EQ(alerts.shown[0].message,
              "Picked one application from open windows; change what you like before saving.");
    EXPECT_TRUE(alerts.shown[0].informative.contains("Alpha: Left half, Desktop 3"))
        << alerts.shown[0].informative.toStdString();
    EXPECT_TRUE(alerts.shown[0].informative.contains("left out: Oddity"));
}

} // namespace
} // namespace dexaro::test
