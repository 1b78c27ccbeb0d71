// The Creator: the order of its checks, what a save writes and in what state it
// leaves the screen, a store that refuses the save, the rules the name follows
// while it is typed, its link lists, and what assistive tools read on both
// screens.
#include "AuthoringFixture.h"

#include "authoring/LinkRowView.h"
#include "authoring/WSNameCheckerPopover.h"
#include "positioning/PositionName.h"

#include <QAccessible>
#include <QLineEdit>
#include <QPushButton>
#include <QSettings>

namespace dexaro::test {
namespace {

// 39 letters and a flag: 40 user-perceived characters, 41 with one more letter.
const QString fortyWithFlag = QString(39, u'x') + QStringLiteral("\U0001F1EB\U0001F1F7");

using CreatorTest = AuthoringFixture;

// Each check in its order; a refused save leaves nothing pending, an accepted
// one stores the trimmed name.
TEST_F(CreatorTest, EveryCheckInItsOrder) {
    const QString emptyName = "Workspace's name is empty!";
    const QString noApp = "Workspace does not contain any app!";
    const QString gone = "file:///apps/uninstalled.desktop"; // not in the scan
    const struct {
        QString name;
        QStringList apps;
        QString refusal;  // empty: saved
        QString linkName; // typed into a new web-link row
    } rows[] = {
        {"   ", {url("Alpha")}, emptyName, {}},
        {fortyWithFlag + u'y', {}, "Workspace's name is too long!", {}},
        {" Home ", {}, "Duplicated Workspace name!", {}},
        {"New", {}, noApp, {}},
        {"New", {gone}, noApp, {}},
        {"New", {url("Beta")}, "Links cannot be stored!", "Blog*:///:*Mine"},
        {"home", {url("Beta")}, {}, {}}, // another case is another name
        {"  Team  ", {url("Beta")}, {}, {}},
        {fortyWithFlag, {url("Beta")}, {}, {}},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name.toStdString());
        alerts.shown.clear();
        const qsizetype before = storedWorkspaces().size();
        fill(row.name, row.apps);
        if (!row.linkName.isEmpty()) {
            creator->urlPopover()->list()->addRow();
            creator->urlPopover()->list()->rowView(0)->nameField()->setText(row.linkName);
        }
        creator->saveWS();
        EXPECT_FALSE(objects->hasChanges()) << "nothing may stay pending";
        const bool saved = row.refusal.isEmpty();
        EXPECT_EQ(onlyAlert(),
                  "Workspace creating|" + (saved ? "Added new Workspace!|success" : row.refusal));
        EXPECT_EQ(storedWorkspaces().size(), before + saved);
        EXPECT_EQ(storedWorkspaces().last().at(1), saved ? row.name.trimmed() : "Games");
    }
}

// A store that refuses the save: the input is kept and nothing is left behind.
// Once it takes writes again the same input is saved exactly once, with the
// links packed and only the picked applications' placements. (A save's record,
// shortcut and placement are also checked by the session test.)
TEST_F(CreatorTest, ARefusedSaveLeavesNothingBehindAndTheNextOneWritesItOnce) {
    refuseWrites("INSERT");
    fill(" Team ", {url("Beta"), url("Alpha")},
         {"Blog*:///:*example.org/blog", "*:///:*", "damaged, no marker", "*:///:*only.address"},
         {"Doc*:///:/:///:*/tmp/a b.txt"});
    creator->shortcutView()->setShortcutValue(shortcut(5));
    creator->positionManager().setPosition(url("Alpha"), 3);
    creator->positionManager().setPosition(url("Gamma"), 5); // not selected: dropped
    creator->saveWS();
    EXPECT_EQ(onlyAlert(), "Workspace creating|Could not save the Workspace!");
    EXPECT_TRUE(alerts.shown.last().informative.contains("readonly"));
    EXPECT_EQ(storedWorkspaces().size(), 3);
    EXPECT_FALSE(objects->hasChanges()) << "a later save would write the failed record";
    EXPECT_EQ(QSettings(defaults.path(), QSettings::IniFormat).childGroups().size(), 3)
        << "a shortcut without its workspace";
    EXPECT_TRUE(querySql(storePath(), "SELECT * FROM PositionsEntity").isEmpty());
    EXPECT_EQ(listChanges, 0);
    EXPECT_EQ(shown(*creator), (QStringList{" Team ", "5", "2", "5"}));

    refuseWrites("INSERT", false);
    creator->saveWS();
    const QList<QStringList> rows = storedWorkspaces();
    ASSERT_EQ(rows.size(), 4);
    const QString id = rows.last().at(0);
    EXPECT_EQ(rows.last().mid(1),
              (QStringList{"Team",
                           url("Alpha") + "0,.,1" +
                               url("Beta"), // the grid's order
                                            // A string without a marker keeps its text, as a name.
                           "Blog*:///:*example.org/blog@@0100..1x@@damaged, no "
                           "marker*:///:*@@0100..1x@@*:///:*only.address",
                           "Doc*:///:/:///:*/tmp/a b.txt"}));
    EXPECT_EQ(querySql(storePath(), "SELECT wsID, appPositions FROM PositionsEntity"),
              (QList<QStringList>{{id, QString::number(appPositionKey(url("Alpha"))) + "==3;;"}}));
    EXPECT_EQ(shown(*creator), (QStringList{"", "", "0", "0"}));
}

// Before the screens' first scan ends their grids show the spinner, and a
// save waits for the scan instead of refusing the picked applications.
TEST_F(CreatorTest, ASaveBeforeTheFirstScanWaitsForIt) {
    WSCreatorViewController fresh(shared.authoringContext());
    WSEditorViewController freshEditor(shared.authoringContext());
    EXPECT_TRUE(fresh.collectionView()->isBusy());
    EXPECT_TRUE(freshEditor.collectionView()->isBusy());
    fresh.nameField()->setText("Early");
    fresh.collectionView()->setSelectedAppURLs({url("Alpha")});
    fresh.saveWS();
    EXPECT_TRUE(alerts.shown.isEmpty());
    fresh.show();
    ASSERT_TRUE(waitUntil([&] { return !alerts.shown.isEmpty(); }));
    EXPECT_EQ(onlyAlert(), "Workspace creating|Added new Workspace!|success");
    EXPECT_EQ(storedWorkspaces().last().mid(1, 2), (QStringList{"Early", url("Alpha")}));
    EXPECT_FALSE(fresh.collectionView()->isBusy());
}

// Pasted line breaks are dropped; past 40 characters the warning shows.
TEST_F(CreatorTest, TypingDropsLineBreaksAndWarnsPastTheLimit) {
    creator->nameField()->setText(QStringLiteral("Wo\nr\r\n\u2028k\u2029"));
    EXPECT_EQ(creator->nameField()->text(), "Work");
    creator->nameField()->setText(fortyWithFlag + u'y');
    EXPECT_TRUE(creator->nameLengthWarning()->isShown());
    creator->nameField()->setText(fortyWithFlag);
    EXPECT_FALSE(creator->nameLengthWarning()->isShown());

    // A name that only looks like one leaves Save disabled; the save refuses it too.
    const std::pair<QString, bool> names[] = {
        {"   ", false}, {"​‍", false}, {" ﻿ ", false}, {"Work", true}};
    for (const auto& [name, enabled] : names) {
        creator->nameField()->setText(name);
        EXPECT_EQ(creator->saveButton()->isEnabled(), enabled) << qPrintable(name);
    }
    fill("​ ⁠", {url("Beta")});
    creator->saveWS();
    EXPECT_EQ(onlyAlert(), "Workspace creating|Workspace's name is empty!");
}

// A screen-reader user finds every control of both screens by its name.
TEST_F(CreatorTest, EveryControlOfBothScreensHasAnAccessibleName) {
    const QList<QAccessible::Role> controls{QAccessible::PushButton, QAccessible::Button,
                                            QAccessible::ComboBox, QAccessible::EditableText,
                                            QAccessible::CheckBox};
    for (QWidget* screen :
         {static_cast<QWidget*>(creator.get()), static_cast<QWidget*>(editor.get())})
        for (QWidget* widget : screen->findChildren<QWidget*>()) {
            QAccessibleInterface* node = QAccessible::queryAccessibleInterface(widget);
            const bool control =
                node && widget->isVisibleTo(screen) && controls.contains(node->role());
            EXPECT_TRUE(!control || !node->text(QAccessible::Name).trimmed().isEmpty())
                << widget->metaObject()->className() << " " << widget->objectName().toStdString();
        }
}

// "Add URLs" opens its list below the button, ending fully opaque once it has
// faded in; a second click closes it and keeps what was typed.
TEST_F(CreatorTest, TheLinkButtonOpensItsListOpaqueAndClosesItKeepingTheRows) {
    creator->resize(900, 700);
    QAbstractButton* button = creator->collectionView()->addURLButton();
    LinkPopover* popover = creator->urlPopover();
    button->click();
    ASSERT_TRUE(popover->isVisible());
    const QPoint below = button->mapTo(creator.get(), button->rect().bottomLeft());
    EXPECT_GT(popover->cardGeometry().top(), below.y());
    const QPoint inCard = popover->cardGeometry().center() - popover->pos();
    EXPECT_TRUE(waitUntil([&] {
        return popover->grab().toImage().pixelColor(inCard).alpha() == 255;
    })) << "left translucent";

    popover->list()->addRow();
    popover->list()->rowView(0)->nameField()->setText("Blog");
    button->click();
    EXPECT_FALSE(popover->isVisible());
    button->click();
    EXPECT_EQ(popover->list()->rowView(0)->nameField()->text(), "Blog");
}

// New rows go on top; deleting one keeps what was typed in the others, and
// rows scrolled out of view are read back as well.
TEST(LinkList, NewRowsOnTopDeleteKeepsTheOthersAndAllRowsAreReadBack) {
    LinkListView list(LinkKind::url);
    list.resize(320, 150);
    list.show();
    QList<LinkRow> expected;
    for (const QString name : {"a", "b", "c", "d", "e", "f", "g", "h"}) {
        list.addRow();
        expected.prepend({name, "www." + name + ".org"});
        list.rowView(0)->nameField()->setText(expected.first().name);
        list.rowView(0)->addressField()->setText(expected.first().address);
    }
    list.rowView(1)->deleteButton()->click();
    expected.removeAt(1);
    ASSERT_TRUE(waitUntil([&] { return list.rowView(6)->visibleRegion().isEmpty(); }));
    EXPECT_EQ(list.currentRows(), expected);
}

} // namespace
} // namespace dexaro::test
