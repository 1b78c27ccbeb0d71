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

const QString placeholder = QStringLiteral("Select Workspace to edit");

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
            binder.bindShortcut(id, [] {});
        editor = std::make_unique<WSEditorViewController>(context());
        showAndWait();
        alerts.shown.clear();
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
    // What the screen shows: selected index, which of the empty view, save,
    // delete, recorder and name field are on, name, recorder's key, its
    // shortcut's key code, number of picked apps and of web links.
    QStringList state() const {
        QString on;
        for (const QWidget* w : {static_cast<QWidget*>(editor->emptyView()),
                                 static_cast<QWidget*>(editor->saveButton()),
                                 static_cast<QWidget*>(editor->deleteButton()),
                                 static_cast<QWidget*>(editor->shortcutView()),
                                 static_cast<QWidget*>(editor->nameField())})
            on += w->isVisible() && w->isEnabled() ? '1' : '0';
        const auto value = editor->shortcutView()->shortcutValue();
        return {QString::number(editor->currentSelectedPopItemIndex()),
                on,
                editor->nameField()->text(),
                editor->shortcutView()->associatedUserDefaultsKey(),
                value ? QString::number(value->keyCode()) : QString(),
                QString::number(editor->collectionView()->selectedAppURLs().size()),
                QString::number(editor->urlPopover()->list()->rowCount())};
    }
    const QStringList nothingSelected{"0", "10000", "", "0000", "", "0", "0"};
    QStringList officeSelected() const { return {"2", "01111", "Office", ids[1], "1", "2", "1"}; }

    QStringList ids;
    std::unique_ptr<WSEditorViewController> editor;
};

TEST_F(EditorTest, SelectingShowsTheWorkspaceAndTheRecorderFollowsItsKey) {
    EXPECT_EQ(popUpTitles(), (QStringList{placeholder, "Home", "Office", "Games"}));
    EXPECT_EQ(state(), nothingSelected);
    select(2);
    EXPECT_EQ(state(), officeSelected());
    EXPECT_EQ(editor->collectionView()->selectedAppURLs(),
              (QSet<QString>{url("Beta"), url("Gamma")}));
    EXPECT_EQ(editor->urlPopover()->list()->currentRows(),
              (QList<LinkRow>{{"Mail", "mail.example.org"}}));
    EXPECT_EQ(editor->positionManager().currentSelectedWSID, ids[1]);

    // Placeholder and back: the stored shortcut is untouched.
    select(0);
    EXPECT_EQ(state(), nothingSelected);
    select(2);
    EXPECT_EQ(state(), officeSelected());

    // Shown again without a list change: the pop-up is refilled, the selection
    // stays and the recorder is bound to the workspace again.
    editor->hide();
    showAndWait();
    EXPECT_EQ(state(), officeSelected());
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
    QString stored = QStringLiteral("Home");
    for (const auto& step : steps) {
        SCOPED_TRACE(step.name.toStdString());
        alerts.shown.clear();
        editor->nameField()->setText(step.name);
        editor->saveWS();
        if (step.saved)
            stored = step.name.trimmed();
        const QStringList expected{"Workspace updating",
                                   step.saved ? "Updated Workspace!" : "Duplicated Workspace name!",
                                   step.saved ? "success" : "no"};
        EXPECT_EQ(onlyAlert(), expected);
        EXPECT_EQ(storedWorkspaces().at(0).mid(0, 2), (QStringList{ids[0], stored}));
        EXPECT_EQ(popUpTitles().at(1), stored);
    }
    EXPECT_EQ(storedWorkspaces().at(1).at(1), QStringLiteral("Office"));
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
    EXPECT_EQ(alerts.shown.last().message, QStringLiteral("Workspace does not contain any app!"));
    select(2); // Office: Beta stays, Gamma goes
    editor->saveWS();
    EXPECT_TRUE(alerts.shown.last().success);
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
        const QList<QStringList> before = storedWorkspaces();
        refuseWrites(row.operation);
        select(2);
        editor->nameField()->setText(QStringLiteral("Elsewhere"));
        alerts.shown.clear();
        (editor.get()->*row.action)();
        const RecordedAlert& last = alerts.shown.last();
        EXPECT_EQ((QStringList{last.title, last.message}), (QStringList{row.title, row.message}));
        EXPECT_TRUE(last.informative.contains(QStringLiteral("readonly")));
        EXPECT_FALSE(objects->hasChanges()) << "a later save would write it after all";
        EXPECT_EQ(storedWorkspaces(), before);
        EXPECT_EQ(popUpTitles(), (QStringList{placeholder, "Home", "Office", "Games"}));
        QStringList edited = officeSelected();
        edited[2] = QStringLiteral("Elsewhere");
        EXPECT_EQ(state(), edited);
        EXPECT_EQ(defaults.value(ids[1]), shortcut(1).encode());
        EXPECT_EQ(deletedIndexes.size() + listChanges, 0);
        refuseWrites(row.operation, false);
    }
}

TEST_F(EditorTest, DeletingAsksFirstThenRemovesWorkspaceShortcutAndPlacements) {
    positionsStore.save(ids[1], QStringLiteral("1==2;;"));
    select(2);
    alerts.answer = 1; // Cancel
    editor->deleteWS();
    ASSERT_EQ(alerts.shown.size(), 1);
    EXPECT_EQ(alerts.shown[0].buttons, (QStringList{"OK", "Cancel"}));
    EXPECT_EQ(storedWorkspaces().size(), 3);
    EXPECT_EQ(state(), officeSelected());
    EXPECT_TRUE(deletedIndexes.isEmpty());

    alerts.answer = 0;
    editor->deleteWS();
    EXPECT_EQ(deletedIndexes, QList<int>{1});
    EXPECT_EQ(storedWorkspaces().size(), 2);
    EXPECT_FALSE(binder.isRegisteredAction(ids[1]));
    EXPECT_EQ(listChanges, 1);
    ASSERT_TRUE(waitUntil([this] { return !editor->isLoadingList(); }));
    EXPECT_EQ(popUpTitles(), (QStringList{placeholder, "Home", "Games"}));
    EXPECT_EQ(state(), nothingSelected);
    EXPECT_EQ(defaults.value(ids[2]), shortcut(2).encode()) << "the others keep their shortcuts";
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
    EXPECT_EQ(popUpTitles(), (QStringList{placeholder, "Home", "Office", "Games", "Home (2)"}));
    EXPECT_FALSE(tags.contains(QStringLiteral("editor")));
    select(4);
    EXPECT_EQ(editor->shortcutView()->associatedUserDefaultsKey(), later);
}

} // namespace
} // namespace dexaro::test
