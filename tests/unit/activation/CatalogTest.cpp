// Creating, changing and deleting workspaces through WorkspaceCatalog over a
// real store, user defaults and placement store in a temporary folder: each
// operation's parts (record, shortcut, placements, hot key, the activation's
// list), what it answers, and the one change notice. How the screens show the
// answers is the authoring tests'.
#include "activation/WorkspaceActivation.h"
#include "activation/WorkspaceCatalog.h"
#include "app/SharedObjects.h"
#include "model/WorkspaceStore.h"
#include "platform/UserDefaults.h"
#include "positioning/AllPositionsHolder.h"
#include "positioning/PositionsDBManager.h"
#include "shortcuts/MASShortcutBinder.h"
#include "support/DesktopPlatform.h"
#include "support/FakeHotKeys.h"
#include "support/FolderDesktopEntries.h"
#include "support/QtPrinters.h"
#include "support/RecordingAlerts.h"
#include "support/RunSql.h"

#include <QDir>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace dexaro;

namespace {

const QString mail = QStringLiteral("file:///dexaro-test/applications/mail.desktop");
const QString notes = QStringLiteral("file:///dexaro-test/applications/notes.desktop");
constexpr quint32 controlOption = 0x1800; // event-manager form

struct Catalog : testing::Test {
    QString path(const char* name) const { return dir.filePath(QString::fromUtf8(name)); }
    QList<QStringList> placementRows() const {
        return test::querySql(path("Dexaro.sqlite"), "SELECT wsID, appPositions FROM "
                                                     "PositionsEntity");
    }
    static MASShortcut shortcut() {
        return MASShortcut(40, MASShortcut::ControlFlag | MASShortcut::OptionFlag);
    }
    WorkspaceCatalog& catalog() { return shared.catalog(); }
    WorkspaceActivation& activation() { return shared.activation(); }

    QTemporaryDir dir;
    test::RecordingAlerts alerts;
    test::FakeHotKeys hotKeys;
    std::unique_ptr<ObjectStore> objects =
        WorkspaceStore::openStore(path("Dexaro.sqlite"), nullptr);
    WorkspaceStore store{*objects, alerts};
    UserDefaults defaults{path("Dexaro.conf")};
    test::FolderDesktopEntries entries{test::desktop().desktopEntries(), {}};
    SharedObjects shared{{alerts, hotKeys, defaults, entries, test::desktop().windows(),
                          test::desktop().workAreas(), test::desktop().workspace()},
                         store};
    QSignalSpy changes{&shared.catalog(), &WorkspaceCatalog::changed};
};

TEST_F(Catalog, EachOperationDoesAllItsPartsAndGivesOneNotice) {
    const PositionMap left{{appPositionKey(mail), rawValue(PositionName::leftHalf)}};
    const auto created = catalog().create({"Work", {mail, notes}, {}, {}}, shortcut(), left);
    ASSERT_TRUE(created.stored()) << created.error.toStdString();
    const QString id = created.wsID;
    EXPECT_TRUE(created.notDone.isEmpty());
    EXPECT_EQ(changes.size(), 1);
    EXPECT_NE(activation().workspace(id), nullptr) << "listed, with its hot key bound";
    EXPECT_EQ(hotKeys.countFor(40, controlOption), 1);
    EXPECT_EQ(shared.positions().positionForApp(id, mail), PositionName::leftHalf);
    EXPECT_EQ(placementRows(), (QList<QStringList>{{id, writePlacementString(left)}}));

    // Updated with other placements; the identifier stays.
    const PositionMap right{{appPositionKey(notes), rawValue(PositionName::rightHalf)}};
    const auto updated = catalog().update(id, {"Office", {notes}, {}, {}}, right);
    EXPECT_EQ(std::tuple(updated.wsID, updated.notDone.size(), changes.size()),
              std::tuple(id, 0, 2));
    EXPECT_EQ(activation().workspace(id)->wsName, QStringLiteral("Office"));
    EXPECT_EQ(shared.positions().positionForApp(id, notes), PositionName::rightHalf);
    EXPECT_EQ(placementRows(), (QList<QStringList>{{id, writePlacementString(right)}}));
    // Placements the Editor never loaded stay as stored, and that is said.
    const auto unloaded = catalog().update(id, {"Office", {notes}, {}, {}}, std::nullopt);
    EXPECT_EQ(unloaded.notDone.size(), 1);
    EXPECT_EQ(placementRows(), (QList<QStringList>{{id, writePlacementString(right)}}));

    // Deleted while on: forgotten without closing, its shortcut, hot key and
    // placements gone.
    activation().switchOn(id);
    const auto removed = catalog().remove(id);
    EXPECT_EQ(std::tuple(removed.wsID, removed.notDone.size(), changes.size()),
              std::tuple(id, 0, 4));
    EXPECT_EQ(activation().workspace(id), nullptr);
    EXPECT_FALSE(activation().isOn(id));
    EXPECT_EQ(hotKeys.countFor(40, controlOption), 0);
    EXPECT_FALSE(defaults.value(id).has_value());
    EXPECT_TRUE(placementRows().isEmpty());
    EXPECT_TRUE(alerts.shown.isEmpty()) << "the catalog answers; the screens tell";
}

TEST_F(Catalog, WhatCouldNotBeDoneIsAnsweredNotShown) {
    // No record: nothing else is done and no notice goes out.
    test::runSql(path("Dexaro.sqlite"),
                 "CREATE TRIGGER refuse BEFORE INSERT ON Workspaces BEGIN SELECT "
                 "RAISE(ABORT, 'attempt to write a readonly database'); END;");
    const auto refused = catalog().create({"Work", {mail}, {}, {}}, shortcut(), {});
    EXPECT_FALSE(refused.stored());
    EXPECT_TRUE(refused.error.contains(QStringLiteral("readonly")));
    EXPECT_FALSE(objects->hasChanges());
    EXPECT_EQ(changes.size(), 0);
    test::runSql(path("Dexaro.sqlite"), "DROP TRIGGER refuse;");

    // The record stored, the defaults file not writable: said, and no hot key.
    QFile::remove(defaults.path());
    ASSERT_TRUE(QDir().mkdir(defaults.path()));
    const auto partly = catalog().create({"Work", {mail}, {}, {}}, shortcut(), {});
    ASSERT_TRUE(partly.stored());
    ASSERT_EQ(partly.notDone.size(), 1);
    EXPECT_TRUE(partly.notDone[0].startsWith(QStringLiteral("its keyboard shortcut")));
    EXPECT_EQ(hotKeys.countFor(40, controlOption), 0);
    EXPECT_EQ(changes.size(), 1);
    EXPECT_TRUE(alerts.shown.isEmpty());
}

} // namespace

namespace {
QList<QStringList> optionRows(const QString& path) {
    return test::querySql(path, "SELECT wsID, appKey, monitor, desktop, atStart FROM "
                                "WorkspaceOptions ORDER BY wsID, appKey");
}
} // namespace

// Monitors, desktops and start-up go with the workspace through every
// operation, and the marked workspaces are the ones switched on at start, in
// the list's order.
TEST_F(Catalog, OptionsAreStoredKeptReplacedAndDeletedWithTheWorkspace) {
    WorkspaceOptions options;
    options.switchOnAtStart = true;
    options.apps.insert(appPositionKey(mail), {QStringLiteral("DP-2"), 1});
    const QString first = catalog().create({"First", {notes}, {}, {}}, {}, {}).wsID;
    const QString id = catalog().create({"Work", {mail}, {}, {}}, {}, {}, options).wsID;
    const QString third = catalog().create({"Third", {notes}, {}, {}}, {}, {}, options).wsID;
    ASSERT_FALSE(id.isEmpty() || first.isEmpty() || third.isEmpty());
    EXPECT_EQ(catalog().options(id), options);
    EXPECT_EQ(shared.positions().targetForApp(id, mail), (AppTarget{QStringLiteral("DP-2"), 1}));

    // Left as stored by an update that does not say, replaced by one that does.
    ASSERT_TRUE(catalog().update(id, {"Work", {mail}, {}, {}}, PositionMap{}).stored());
    EXPECT_EQ(catalog().options(id), options);
    WorkspaceOptions changed;
    changed.startDesktop = 2;
    ASSERT_TRUE(catalog().update(id, {"Work", {mail}, {}, {}}, PositionMap{}, changed).stored());
    EXPECT_EQ(catalog().options(id), changed);
    EXPECT_EQ(shared.positions().targetForApp(id, mail), AppTarget{});

    // Start-up switches on the marked ones only, in the list's order.
    catalog().update(id, {"Work", {mail}, {}, {}}, PositionMap{}, options);
    EXPECT_EQ(activation().switchOnMarkedWorkspaces(), (QStringList{id, third}));
    activation().waitForWorkers();

    ASSERT_TRUE(catalog().remove(id).stored());
    ASSERT_TRUE(catalog().remove(third).stored());
    EXPECT_TRUE(optionRows(path("Dexaro.sqlite")).isEmpty()) << "their rows went with them";
    EXPECT_EQ(catalog().options(id), WorkspaceOptions{});
}
