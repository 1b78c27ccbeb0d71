// The Editor: its no-selection state, selecting and the recorder's key,
// renaming (twice, without selecting again), the duplicate rules, deleting,
// the list reloaded only when it is out of date, and failed saves.
#include "AuthoringFixture.h"
#include "authoring/WSEditorViewController.h"
#include "authoring/WSEmptyStateView.h"
#include "authoring/WSTextField.h"
#include "model/TemporaryGlobalDataHolder.h"
#include "shortcuts/MASShortcutView.h"

#include <QComboBox>
#include <QPushButton>

namespace dexaro::test {
namespace {

class EditorTest : public AuthoringFixture {
protected:
    void SetUp() override {
        AuthoringFixture::SetUp();
        ids << seed(QStringLiteral("Home"), {QStringLiteral("Alpha")}, shortcut(0))
            << seed(QStringLiteral("Office"), {QStringLiteral("Beta"), QStringLiteral("Gamma")},
                    shortcut(1), {{QStringLiteral("Mail"), QStringLiteral("mail.example.org")}})
            << seed(QStringLiteral("Games"), {QStringLiteral("Gamma")}, shortcut(2));
        // As the popover's rows do: each workspace's hot key follows its stored shortcut.
        for (const QString& id : ids)
            binder->bindShortcut(id, [] {});
        editor = std::make_unique<WSEditorViewController>(context());
        showAndWait();
        alerts.shown.clear();
    }
    void TearDown() override {
        editor.reset();
        AuthoringFixture::TearDown();
    }
    void showAndWait() {
        editor->show();
        ASSERT_TRUE(waitUntil([this] {
            return !editor->isLoadingList() && !editor->scanner()->isScanning() &&
                   editor->collectionView()->installedApps().size() == installedCount;
        }));
    }
    QStringList popUpTitles() const {
        QStringList titles;
        for (int i = 0; i < editor->popUpButton()->count(); ++i)
            titles << editor->popUpButton()->itemText(i);
        return titles;
    }
    void select(int index) {
        editor->popUpButton()->setCurrentIndex(index);
        editor->popUpWsButtonSelectionHandler(index);
    }
    void expectNoSelection() {
        EXPECT_EQ(editor->currentSelectedPopItemIndex(), 0);
        EXPECT_TRUE(editor->emptyView()->isVisible());
        EXPECT_FALSE(editor->saveButton()->isEnabled());
        EXPECT_FALSE(editor->deleteButton()->isEnabled());
        EXPECT_FALSE(editor->shortcutView()->isEnabled());
        EXPECT_FALSE(editor->nameField()->isEnabled());
        EXPECT_TRUE(editor->nameField()->text().isEmpty());
        EXPECT_EQ(editor->shortcutView()->associatedUserDefaultsKey(), QStringLiteral("0000"));
        EXPECT_TRUE(editor->collectionView()->selectedAppURLs().isEmpty());
    }

    QStringList ids;
    std::unique_ptr<WSEditorViewController> editor;
};

TEST_F(EditorTest, SelectingShowsTheWorkspaceAndTheRecorderFollowsItsKey) {
    EXPECT_EQ(popUpTitles(),
              (QStringList{QStringLiteral("Select Workspace to edit"), QStringLiteral("Home"),
                           QStringLiteral("Office"), QStringLiteral("Games")}));
    expectNoSelection();

    select(2);
    EXPECT_FALSE(editor->emptyView()->isVisible());
    EXPECT_EQ(editor->nameField()->text(), QStringLiteral("Office"));
    EXPECT_TRUE(editor->saveButton()->isEnabled());
    EXPECT_TRUE(editor->deleteButton()->isEnabled());
    EXPECT_EQ(editor->collectionView()->selectedAppURLs(),
              (QSet<QString>{url("Beta"), url("Gamma")}));
    EXPECT_EQ(editor->urlPopover()->list()->rowCount(), 1);
    EXPECT_EQ(editor->positionManager().currentSelectedWSID, ids[1]);
    EXPECT_EQ(editor->shortcutView()->shortcutValue(), shortcut(1));

    // Placeholder and back: the stored shortcut is untouched.
    select(0);
    expectNoSelection();
    EXPECT_EQ(MASShortcut::decode(*defaults->value(ids[1])), shortcut(1));
    select(2);
    EXPECT_EQ(editor->shortcutView()->shortcutValue(), shortcut(1));

    // Shown again without a list change: the pop-up is refilled, the selection
    // stays and the recorder is bound to the workspace again.
    editor->hide();
    showAndWait();
    EXPECT_EQ(editor->popUpButton()->currentIndex(), 2);
    EXPECT_EQ(editor->shortcutView()->associatedUserDefaultsKey(), ids[1]);
    EXPECT_EQ(editor->shortcutView()->shortcutValue(), shortcut(1));
}

TEST_F(EditorTest, RenamesFollowTheDuplicateRulesAndNeedNoNewSelection) {
    select(1);
    const struct {
        QString name;
        bool saved;
    } steps[] = {
        {QStringLiteral("Home"), true},    // its own name
        {QStringLiteral("Office"), false}, // another workspace's
        {QStringLiteral("office"), true},  // another case is another name
        {QStringLiteral("Home 2"), true},  // and again, without selecting it anew
        {QStringLiteral(" Home 3 "), true},
    };
    for (const auto& step : steps) {
        SCOPED_TRACE(step.name.toStdString());
        alerts.shown.clear();
        editor->nameField()->setText(step.name);
        editor->saveWS();
        ASSERT_EQ(alerts.shown.size(), 1);
        const QString trimmed = step.name.trimmed();
        if (step.saved) {
            EXPECT_TRUE(lastAlert().success);
            EXPECT_EQ(lastAlert().message, QStringLiteral("Updated Workspace!"));
            EXPECT_EQ(
                lastAlert().informative,
                QStringLiteral("Workspace with a name \"%1\" updated successfully!").arg(trimmed));
            EXPECT_EQ(storedWorkspaces().at(0).at(1), trimmed);
            EXPECT_EQ(popUpTitles().at(1), trimmed);
            EXPECT_EQ(editor->nameField()->text(), trimmed);
        } else {
            EXPECT_EQ(lastAlert().message, QStringLiteral("Duplicated Workspace name!"));
            EXPECT_FALSE(lastAlert().success);
        }
    }
    const QList<QStringList> rows = storedWorkspaces();
    ASSERT_EQ(rows.size(), 3);
    EXPECT_EQ(rows.at(0).at(0), ids[0]) << "a rename keeps the identifier";
    EXPECT_EQ(rows.at(1).at(1), QStringLiteral("Office"));
    EXPECT_EQ(TemporaryGlobalDataHolder::shared().updatedAppList(ids[0]),
              QStringList{url("Alpha")});
    EXPECT_EQ(listChanges, 4);
}

TEST_F(EditorTest, ApplicationsThatAreGoneAreNotKeptAndNotEnough) {
    uninstall(QStringLiteral("Gamma"));
    editor->hide();
    showAndWait();
    select(3); // Games: only Gamma
    editor->saveWS();
    EXPECT_EQ(lastAlert().message, QStringLiteral("Workspace does not contain any app!"));
    EXPECT_EQ(lastAlert().informative,
              QStringLiteral("You have not selected any app for this Workspace. Please, choose at "
                             "least one app!"));
    select(2); // Office: Beta stays, Gamma goes
    editor->saveWS();
    EXPECT_TRUE(lastAlert().success);
    EXPECT_EQ(storedWorkspaces().at(1).at(2), url("Beta"));
}

// A store that refuses the write: the alert, and nothing changed or left pending.
TEST_F(EditorTest, AFailedUpdateOrDeletionChangesNothing) {
    const struct {
        const char* operation;
        void (WSEditorViewController::*action)();
        QString title;
        QString message;
    } rows[] = {
        {"UPDATE", &WSEditorViewController::saveWS, QStringLiteral("Workspace updating"),
         QStringLiteral("Workspace could not be updated!")},
        {"DELETE", &WSEditorViewController::deleteWS, QStringLiteral("Workspace deleting"),
         QStringLiteral("Could not delete Workspace with the name Office!")},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.operation);
        refuseWrites(row.operation);
        select(2);
        editor->nameField()->setText(QStringLiteral("Elsewhere"));
        (editor.get()->*row.action)();
        EXPECT_EQ(lastAlert().title, row.title);
        EXPECT_EQ(lastAlert().message, row.message);
        EXPECT_TRUE(lastAlert().informative.contains(QStringLiteral("readonly")));
        EXPECT_FALSE(lastAlert().success);
        EXPECT_FALSE(objects->hasChanges()) << "a later save would write it after all";
        EXPECT_EQ(storedWorkspaces().size(), 3);
        EXPECT_EQ(storedWorkspaces().at(1).at(1), QStringLiteral("Office"));
        EXPECT_EQ(popUpTitles().at(2), QStringLiteral("Office"));
        EXPECT_EQ(editor->currentSelectedPopItemIndex(), 2);
        EXPECT_EQ(editor->nameField()->text(), QStringLiteral("Elsewhere"));
        EXPECT_EQ(MASShortcut::decode(*defaults->value(ids[1])), shortcut(1));
        EXPECT_TRUE(deletedIndexes.isEmpty());
        EXPECT_EQ(listChanges, 0);
        allowWrites(row.operation);
    }
}

TEST_F(EditorTest, DeletingAsksFirstThenRemovesWorkspaceShortcutAndPlacements) {
    positionsStore->save(ids[1], QStringLiteral("1==2;;"));
    select(2);
    alerts.answer = 1; // Cancel
    editor->deleteWS();
    ASSERT_EQ(alerts.shown.size(), 1);
    EXPECT_EQ(lastAlert().title, QStringLiteral("Workspace deleting"));
    EXPECT_EQ(lastAlert().message, QStringLiteral("Are sure?"));
    EXPECT_EQ(lastAlert().informative,
              QStringLiteral("Do you really want to delete workspace with the name \"Office\"?"));
    EXPECT_EQ(lastAlert().buttons, (QStringList{QStringLiteral("OK"), QStringLiteral("Cancel")}));
    EXPECT_EQ(storedWorkspaces().size(), 3);
    EXPECT_EQ(editor->currentSelectedPopItemIndex(), 2);
    EXPECT_TRUE(deletedIndexes.isEmpty());

    const int hotKeysBefore = int(hotKeys.registered.size());
    alerts.answer = 0;
    editor->deleteWS();
    EXPECT_EQ(deletedIndexes, QList<int>{1});
    EXPECT_EQ(storedWorkspaces().size(), 2);
    EXPECT_FALSE(defaults->value(ids[1]));
    EXPECT_EQ(int(hotKeys.registered.size()), hotKeysBefore - 1);
    EXPECT_FALSE(binder->isRegisteredAction(ids[1]));
    EXPECT_TRUE(querySql(storePath(), "SELECT * FROM PositionsEntity").isEmpty());
    EXPECT_EQ(listChanges, 1);
    ASSERT_TRUE(waitUntil([this] { return !editor->isLoadingList(); }));
    EXPECT_EQ(popUpTitles(), (QStringList{QStringLiteral("Select Workspace to edit"),
                                          QStringLiteral("Home"), QStringLiteral("Games")}));
    expectNoSelection();
    // The others keep their shortcuts.
    EXPECT_EQ(MASShortcut::decode(*defaults->value(ids[2])), shortcut(2));
}

TEST_F(EditorTest, TheListIsReloadedOnlyWhenMarkedOutOfDate) {
    const WSListModelPtr first = editor->wsList().at(1);
    // Stored behind the screens' back under a name already used: the pop-up
    // still tells the two apart and stays aligned with the list.
    const QString later = seed(QStringLiteral("Home"), {QStringLiteral("Alpha")});
    editor->hide();
    showAndWait();
    EXPECT_EQ(editor->wsList().size(), 4) << "no reload without the editor tag";
    EXPECT_EQ(editor->wsList().at(1), first);

    tags << QStringLiteral("editor");
    editor->hide();
    editor->show();
    // Read on a worker: the tab is shown at once, busy, with nothing to edit.
    EXPECT_TRUE(editor->isLoadingList());
    EXPECT_FALSE(editor->popUpButton()->isVisibleTo(editor.get()));
    EXPECT_FALSE(editor->nameField()->isEnabled());
    showAndWait();
    EXPECT_EQ(popUpTitles().mid(1),
              (QStringList{QStringLiteral("Home"), QStringLiteral("Office"),
                           QStringLiteral("Games"), QStringLiteral("Home (2)")}));
    EXPECT_FALSE(tags.contains(QStringLiteral("editor")));
    select(4);
    EXPECT_EQ(editor->shortcutView()->associatedUserDefaultsKey(), later);
}

} // namespace
} // namespace dexaro::test
