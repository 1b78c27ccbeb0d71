// The Editor: selecting and the placeholder, renaming (twice, without
// selecting again) and the duplicate rules, a cancelled or refused write, and
// deleting.
#include "AuthoringFixture.h"
#include "activation/WorkspaceActivation.h"
#include "model/TemporaryGlobalDataHolder.h"

namespace dexaro::test {
namespace {

const QString placeholder = QStringLiteral("Select Workspace to edit");
// What the Editor shows (see shown()) with nothing selected and with Office.
const QStringList nothingSelected{"", "", "0", "0"}, office{"Office", "1", "2", "1"};

using EditorTest = AuthoringFixture;

TEST_F(EditorTest, RenamesFollowTheDuplicateRulesAndNeedNoNewSelection) {
    select(1);
    EXPECT_EQ(shown(*editor), (QStringList{"Home", "0", "1", "0"})); // stored without links
    const struct {
        QString name;
        bool saved;
    } steps[] = {
        {"Home", true},     // its own name
        {"Office", false},  // another workspace's
        {"office", true},   // another case is another name
        {" Home 3 ", true}, // and again, without selecting it anew
    };
    QString stored = "Home";
    for (const auto& step : steps) {
        SCOPED_TRACE(step.name.toStdString());
        alerts.shown.clear();
        editor->nameField()->setText(step.name);
        editor->saveWS();
        if (step.saved)
            stored = step.name.trimmed();
        EXPECT_EQ(onlyAlert(), step.saved ? "Workspace updating|Updated Workspace!|success"
                                          : "Workspace updating|Duplicated Workspace name!");
        EXPECT_EQ(storedWorkspaces().at(0).mid(0, 2), (QStringList{ids[0], stored}));
        EXPECT_EQ(popUpTitles().at(1), stored);
    }
    EXPECT_EQ(TemporaryGlobalDataHolder::shared().updatedAppList(ids[0]),
              QStringList{url("Alpha")});
    EXPECT_EQ(listChanges, 3);
}

// Cancelled, or refused by the store: nothing changed, nothing left pending,
// the screen as the user left it.
TEST_F(EditorTest, ACancelledOrFailedUpdateOrDeletionChangesNothing) {
    const struct {
        const char* refused; // the write the store refuses, if any
        void (WSEditorViewController::*action)();
        int answer;
        QString alert; // the last one: title|message
    } rows[] = {
        {"UPDATE", &WSEditorViewController::saveWS, 0,
         "Workspace updating|Workspace could not be updated!"},
        {nullptr, &WSEditorViewController::deleteWS, 1, "Workspace deleting|Are sure?"},
        {"DELETE", &WSEditorViewController::deleteWS, 0,
         "Workspace deleting|Could not delete Workspace with the name Office!"},
    };
    const QList<QStringList> before = storedWorkspaces();
    QStringList edited = office;
    edited[0] = QStringLiteral("Elsewhere");
    for (const auto& row : rows) {
        SCOPED_TRACE(row.alert.toStdString());
        if (row.refused)
            refuseWrites(row.refused);
        select(2);
        editor->nameField()->setText(QStringLiteral("Elsewhere"));
        alerts.answer = row.answer;
        (editor.get()->*row.action)();
        const RecordedAlert& last = alerts.shown.last();
        EXPECT_EQ(last.title + '|' + last.message, row.alert);
        EXPECT_EQ(last.informative.contains(QStringLiteral("readonly")), row.refused != nullptr);
        EXPECT_FALSE(objects->hasChanges()) << "a later save would write it after all";
        EXPECT_EQ(storedWorkspaces(), before);
        EXPECT_EQ(popUpTitles(), (QStringList{placeholder, "Home", "Office", "Games"}));
        EXPECT_EQ(shown(*editor), edited);
        EXPECT_EQ(defaults.value(ids[1]), shortcut(1).encode());
        EXPECT_EQ(listChanges, 0);
        if (row.refused)
            refuseWrites(row.refused, false);
    }
}

// Selected, a workspace is shown; back to the placeholder, the recorder lets
// go of its key without clearing what is stored under it. Deleted, it leaves
// the others and their shortcuts (its own record, shortcut, hot key,
// placements and popover row going is the session test's).
TEST_F(EditorTest, SelectingShowsTheWorkspaceAndDeletingLeavesTheOthers) {
    select(2);
    EXPECT_EQ(shown(*editor), office);
    EXPECT_EQ(editor->collectionView()->selectedAppURLs(),
              (QSet<QString>{url("Beta"), url("Gamma")}));
    EXPECT_EQ(editor->urlPopover()->list()->currentRows(),
              (QList<LinkRow>{{"Mail", "mail.example.org"}}));
    select(0);
    EXPECT_EQ(shown(*editor), nothingSelected);
    EXPECT_EQ(defaults.value(ids[1]), shortcut(1).encode());

    select(2);
    alerts.answer = 0;
    editor->deleteWS();
    ASSERT_TRUE(waitUntil([this] { return !editor->isLoadingList(); }));
    EXPECT_EQ(popUpTitles(), (QStringList{placeholder, "Home", "Games"}));
    EXPECT_EQ(shown(*editor), nothingSelected);
    EXPECT_EQ(defaults.value(ids[2]), shortcut(2).encode());
    EXPECT_TRUE(binder.isRegisteredAction(ids[2]));
}

// A workspace that is on: the confirmation says what deleting leaves running
// and can switch it off first; deleted as it is, nothing of it is closed.
TEST_F(EditorTest, DeletingAWorkspaceThatIsOnOffersToSwitchItOffFirst) {
    WorkspaceActivation& activation = shared.activation();
    const auto switchOn = [&](const QString& id) {
        activation.switchOn(id);
        return waitUntil([&] { return activation.itemState(id) == ItemStateEnum::active; });
    };
    const auto deleteAnswering = [&](int index, int answer) {
        select(index);
        alerts.shown.clear();
        alerts.answer = answer;
        editor->deleteWS();
        activation.waitForWorkers();
        QCoreApplication::processEvents();
        return waitUntil([this] { return !editor->isLoadingList(); });
    };
    ASSERT_TRUE(switchOn(ids[1]));
    ASSERT_TRUE(deleteAnswering(2, 2)); // Cancel
    ASSERT_EQ(alerts.shown.size(), 1);
    EXPECT_EQ(alerts.shown[0].buttons, (QStringList{"Switch Off and Delete", "Delete", "Cancel"}));
    EXPECT_TRUE(alerts.shown[0].informative.contains("keep running"));
    EXPECT_TRUE(activation.isOn(ids[1]));

    ASSERT_TRUE(deleteAnswering(2, 0)); // Switch Off and Delete
    EXPECT_EQ(launches.terminated().size(), 2) << "both of its applications";
    EXPECT_EQ(activation.workspace(ids[1]), nullptr);

    ASSERT_TRUE(switchOn(ids[2]));
    ASSERT_TRUE(deleteAnswering(2, 1)); // Delete as it is
    EXPECT_EQ(launches.terminated().size(), 2) << "nothing of it closed";
    EXPECT_FALSE(activation.isOn(ids[2]));
    EXPECT_EQ(popUpTitles(), (QStringList{placeholder, "Home"}));
}

} // namespace
} // namespace dexaro::test
