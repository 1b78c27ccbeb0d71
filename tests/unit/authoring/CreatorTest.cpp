// The Creator: the order of its checks, what a save writes (record, shortcut,
// placements) and in what state it leaves the screen, a store that refuses the
// save, and the rules the name follows while it is typed.
#include "AuthoringFixture.h"
#include "authoring/LinkPopover.h"
#include "authoring/LinkRowView.h"
#include "authoring/WSCreatorViewController.h"
#include "authoring/WSEditorViewController.h"
#include "authoring/WSNameCheckerPopover.h"
#include "authoring/WSNameTyping.h"
#include "authoring/WSTextField.h"
#include "model/Identifier.h"
#include "positioning/PositionName.h"
#include "shortcuts/MASShortcutView.h"

#include <QAccessible>
#include <QHash>
#include <QPushButton>
#include <QSettings>

namespace dexaro::test {
namespace {

// 39 letters and a flag: 40 user-perceived characters, 41 with one more letter.
const QString fortyWithFlag = QString(39, u'x') + QStringLiteral("\U0001F1EB\U0001F1F7");

class CreatorTest : public AuthoringFixture {
protected:
    void SetUp() override {
        AuthoringFixture::SetUp();
        seed(QStringLiteral("Work"), {QStringLiteral("Alpha")});
        creator = std::make_unique<WSCreatorViewController>(context());
        creator->show();
        ASSERT_TRUE(waitUntil([this] {
            return !creator->scanner()->isScanning() &&
                   creator->collectionView()->installedApps().size() == installedCount;
        }));
        alerts.shown.clear();
    }
    void TearDown() override {
        creator.reset();
        AuthoringFixture::TearDown();
    }
    // Types the name, picks the applications (by URL) and fills the links.
    void fill(const QString& name, const QStringList& appURLs, const QStringList& urls = {},
              const QStringList& files = {}) {
        creator->nameField()->setText(name);
        creator->collectionView()->setSelectedAppURLs(
            QSet<QString>(appURLs.begin(), appURLs.end()));
        creator->urlPopover()->list()->setFromStoredStrings(urls);
        creator->filePopover()->list()->setFromStoredStrings(files);
    }
    QStringList defaultsGroups() const {
        return QSettings(defaults->path(), QSettings::IniFormat).childGroups();
    }

    std::unique_ptr<WSCreatorViewController> creator;
};

// Each check in its order; a refused save keeps the input and leaves nothing
// pending, an accepted one stores the trimmed name.
TEST_F(CreatorTest, EveryCheckInItsOrder) {
    const QString emptyName = QStringLiteral("Workspace's name is empty!");
    const QString noApp = QStringLiteral("Workspace does not contain any app!");
    const QString gone = QStringLiteral("file:///apps/uninstalled.desktop");
    const QString unstorable = QStringLiteral("Links cannot be stored!");
    const struct {
        QString name;
        QStringList apps;
        QString refusal;  // empty: saved
        QString linkName; // typed into a new web-link row
    } rows[] = {
        {QString(), {url("Alpha")}, emptyName},
        {QStringLiteral("   "), {url("Alpha")}, emptyName},
        {fortyWithFlag + u'y', {}, QStringLiteral("Workspace's name is too long!")},
        {QStringLiteral(" Work "), {}, QStringLiteral("Duplicated Workspace name!")},
        {QStringLiteral("New"), {}, noApp},
        {QStringLiteral("New"), {gone}, noApp},
        {QStringLiteral("New"), {url("Beta")}, unstorable, QStringLiteral("Blog*:///:*Mine")},
        {QStringLiteral("work"), {url("Beta")}, {}}, // another case is another name
        {QStringLiteral("  Team  "), {url("Beta")}, {}},
        {fortyWithFlag, {url("Beta")}, {}},
    };
    const QHash<QString, QString> informative = {
        {emptyName, "Workspace's name does not contain any character. Please, choose a right "
                    "name!"},
        {"Workspace's name is too long!", "Workspace with name longer than 40 characters is not "
                                          "allowed. Please, select a shorter name!"},
        {"Duplicated Workspace name!", "Workspace with this name already exists! Please choose a "
                                       "different unique name!"},
        {noApp, "You have not selected any app for this Workspace. Please, choose at least one "
                "app!"},
        {unstorable, "The name or address of web link 1 contains text Dexaro uses to separate "
                     "stored links (such as \"*:///:*\" or \"@@\"). Please, change it."},
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
        ASSERT_EQ(alerts.shown.size(), 1);
        EXPECT_EQ(lastAlert().title, QStringLiteral("Workspace creating"));
        EXPECT_FALSE(objects->hasChanges()) << "nothing may stay pending";
        if (row.refusal.isEmpty()) {
            const QString stored = row.name.trimmed();
            EXPECT_TRUE(lastAlert().success);
            EXPECT_EQ(lastAlert().message, QStringLiteral("Added new Workspace!"));
            EXPECT_EQ(
                lastAlert().informative,
                QStringLiteral("Workspace with a name \"%1\" created successfully!").arg(stored));
            EXPECT_EQ(storedWorkspaces().last().at(1), stored);
        } else {
            EXPECT_EQ(lastAlert().message, row.refusal);
            EXPECT_EQ(lastAlert().informative, informative.value(row.refusal));
            EXPECT_FALSE(lastAlert().success);
            EXPECT_EQ(storedWorkspaces().size(), before);
            EXPECT_EQ(creator->nameField()->text(), row.name);
            EXPECT_EQ(creator->collectionView()->selectedAppURLs().size(), row.apps.size());
        }
    }
}

TEST_F(CreatorTest, SaveStoresRecordShortcutAndPlacementsThenEmptiesTheScreen) {
    fill(QStringLiteral(" Team "), {url("Beta"), url("Alpha")},
         {QStringLiteral("Blog*:///:*example.org/blog"), QStringLiteral("*:///:*"),
          QStringLiteral("*:///:*only.address")},
         {QStringLiteral("Doc*:///:/:///:*/tmp/a b.txt")});
    creator->shortcutView()->setShortcutValue(shortcut(0));
    creator->positionManager().setPosition(url("Alpha"), 3);
    creator->positionManager().setPosition(url("Gamma"), 5); // not selected: dropped
    creator->saveWS();

    const QList<QStringList> rows = storedWorkspaces();
    ASSERT_EQ(rows.size(), 2);
    const QStringList& row = rows.last();
    const QString id = row.at(0);
    // The identifier is made of the name and the moment stored as date_add
    // (read as the double it is: SQL's text of a REAL is rounded).
    QString error;
    const auto file = WorkspaceStore::openReadOnlyStore(storePath(), &error);
    ASSERT_TRUE(file) << error.toStdString();
    const auto records = file->fetch(schema::workspaces);
    ASSERT_TRUE(records && records->size() == 2);
    const QVariant added = file->value(records->last(), QStringLiteral("date_add"));
    EXPECT_EQ(added.typeId(), QMetaType::Double);
    EXPECT_EQ(id, makeIdentifier(QStringLiteral("Team"), added.toDouble()));
    EXPECT_EQ(row.at(1), QStringLiteral("Team"));
    EXPECT_EQ(row.at(2), url("Alpha") + QStringLiteral("0,.,1") + url("Beta")); // the grid's order
    EXPECT_EQ(row.at(3),
              QStringLiteral("Blog*:///:*example.org/blog@@0100..1x@@*:///:*only.address"));
    EXPECT_EQ(row.at(4), QStringLiteral("Doc*:///:/:///:*/tmp/a b.txt"));

    const auto storedShortcut = defaults->value(id);
    ASSERT_TRUE(storedShortcut);
    EXPECT_EQ(MASShortcut::decode(*storedShortcut), shortcut(0));
    EXPECT_EQ(
        querySql(storePath(), "SELECT wsID, appPositions FROM PositionsEntity"),
        (QList<QStringList>{{id, QStringLiteral("%1==3;;").arg(appPositionKey(url("Alpha")))}}));
    EXPECT_EQ(int(positions.positionForApp(id, url("Alpha"))), 3);

    EXPECT_EQ(listChanges, 1);
    EXPECT_EQ(tags, (QStringList{QStringLiteral("statusbar"), QStringLiteral("editor")}));
    EXPECT_TRUE(creator->nameField()->text().isEmpty());
    EXPECT_FALSE(creator->saveButton()->isEnabled());
    EXPECT_TRUE(creator->collectionView()->selectedAppURLs().isEmpty());
    EXPECT_FALSE(creator->shortcutView()->shortcutValue());
    EXPECT_FALSE(creator->shortcutValue());
    EXPECT_EQ(creator->urlPopover()->list()->rowCount(), 0);
    EXPECT_EQ(creator->filePopover()->list()->rowCount(), 0);

    // The next workspace: a shortcut recorded and cleared again is no shortcut.
    fill(QStringLiteral("Next"), {url("Gamma")});
    creator->shortcutView()->setShortcutValue(shortcut(1));
    creator->shortcutView()->setShortcutValue(std::nullopt);
    creator->saveWS();
    ASSERT_EQ(storedWorkspaces().size(), 3);
    EXPECT_FALSE(defaults->value(storedWorkspaces().last().at(0)));
    EXPECT_EQ(defaultsGroups(), QStringList{id});
}

TEST_F(CreatorTest, AStoreThatRefusesTheSaveKeepsTheInputAndLeavesNothingBehind) {
    refuseWrites("INSERT");
    fill(QStringLiteral("Team"), {url("Alpha")}, {QStringLiteral("Blog*:///:*example.org")});
    creator->shortcutView()->setShortcutValue(shortcut(2));
    creator->positionManager().setPosition(url("Alpha"), 4);
    creator->saveWS();

    ASSERT_EQ(alerts.shown.size(), 1);
    EXPECT_EQ(lastAlert().message, QStringLiteral("Could not save the Workspace!"));
    EXPECT_TRUE(lastAlert().informative.contains(QStringLiteral("readonly")))
        << lastAlert().informative.toStdString();
    EXPECT_FALSE(lastAlert().success);
    EXPECT_EQ(storedWorkspaces().size(), 1);
    EXPECT_FALSE(objects->hasChanges()) << "a later save would write the failed record";
    EXPECT_TRUE(defaultsGroups().isEmpty()) << "a shortcut without its workspace";
    EXPECT_TRUE(querySql(storePath(), "SELECT * FROM PositionsEntity").isEmpty());
    EXPECT_EQ(listChanges, 0);
    EXPECT_EQ(creator->nameField()->text(), QStringLiteral("Team"));
    EXPECT_EQ(creator->collectionView()->selectedAppURLs(), QSet<QString>{url("Alpha")});
    EXPECT_EQ(creator->shortcutView()->shortcutValue(), shortcut(2));
    EXPECT_EQ(creator->urlPopover()->list()->rowCount(), 1);

    // Once the store takes writes again the same input saves, exactly once.
    allowWrites("INSERT");
    creator->saveWS();
    ASSERT_EQ(storedWorkspaces().size(), 2);
    EXPECT_EQ(defaultsGroups(), QStringList{storedWorkspaces().last().at(0)});
}

TEST_F(CreatorTest, TypingFollowsTheNameRules) {
    WSTextField* field = creator->nameField();
    const QColor normal = field->palette().color(QPalette::Text);
    const struct {
        QString typed;
        QString shown;
        bool saveEnabled;
        bool warning;
    } steps[] = {
        {QStringLiteral("Wo\nr\r\nk"), QStringLiteral("Work"), true, false}, // pasted line breaks
        {QStringLiteral("   "), QStringLiteral("   "), true, false},
        {QString(), QString(), false, false},
        {fortyWithFlag, fortyWithFlag, true, false},
        {fortyWithFlag + u'y', fortyWithFlag + u'y', true, true}, // Save left as it was
        {fortyWithFlag, fortyWithFlag, true, false},
        {fortyWithFlag + u'y', fortyWithFlag + u'y', true, true},
        {QString(), QString(), false, false},
    };
    for (const auto& step : steps) {
        SCOPED_TRACE(step.typed.toStdString());
        field->setText(step.typed);
        EXPECT_EQ(field->text(), step.shown);
        EXPECT_EQ(creator->saveButton()->isEnabled(), step.saveEnabled);
        EXPECT_EQ(creator->nameLengthWarning()->isShown(), step.warning);
        EXPECT_EQ(field->palette().color(QPalette::Text),
                  step.warning ? WSNameTyping::warningColor() : normal);
    }
    EXPECT_EQ(WSNameTyping::warningColor(), QColor(248, 68, 72));
}

// A screen-reader user finds every control of both screens by its name.
TEST_F(CreatorTest, EveryControlOfBothScreensHasAnAccessibleName) {
    WSEditorViewController editor(context());
    editor.show();
    int checked = 0;
    for (QWidget* screen : {static_cast<QWidget*>(creator.get()), static_cast<QWidget*>(&editor)}) {
        const QList<QWidget*> widgets = screen->findChildren<QWidget*>();
        for (QWidget* widget : widgets) {
            QAccessibleInterface* node = QAccessible::queryAccessibleInterface(widget);
            if (!node || !widget->isVisibleTo(screen))
                continue;
            const QAccessible::Role role = node->role();
            if (role != QAccessible::PushButton && role != QAccessible::Button &&
                role != QAccessible::ComboBox && role != QAccessible::EditableText &&
                role != QAccessible::CheckBox)
                continue;
            ++checked;
            EXPECT_FALSE(node->text(QAccessible::Name).trimmed().isEmpty())
                << screen->objectName().toStdString() << ": " << widget->metaObject()->className()
                << " " << widget->objectName().toStdString();
        }
    }
}

} // namespace
} // namespace dexaro::test
