// Creating and changing workspaces through WorkspaceCatalog over a real store,
// user defaults and placement store in a temporary folder: an update's parts,
// what it answers, and the one change notice; a creation that is only partly
// done. A refused creation is the Creator's test's (ARefusedSave...); a
// creation's and a deletion's parts with a real grab and files
// x11_authoring's, a deletion while on the Editor's test's.
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

TEST_F(Catalog, AnUpdateDoesAllItsPartsAndGivesOneNotice) {
    const PositionMap left{{appPositionKey(mail), rawValue(PositionName::leftHalf)}};
    const auto created = catalog().create({"Work", {mail, notes}, {}, {}}, shortcut(), left);
    ASSERT_TRUE(created.stored()) << created.error.toStdString();
    const QString id = created.wsID;
    EXPECT_EQ(changes.size(), 1);
    EXPECT_EQ(shared.positions().positionForApp(id, mail), PositionName::leftHalf);

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
    EXPECT_TRUE(alerts.shown.isEmpty()) << "the catalog answers; the screens tell";
}

// The record stored, the defaults file not writable: said, and no hot key.
TEST_F(Catalog, WhatCouldNotBeDoneIsAnsweredNotShown) {
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
