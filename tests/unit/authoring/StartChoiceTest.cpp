// The Creator and the Editor keep a workspace's start-up choice and its
// applications' monitors and desktops through their saves.
#include "AuthoringFixture.h"
#include "authoring/StartChoiceView.h"

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
