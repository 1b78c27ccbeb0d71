// Saving in the Editor keeps every stored application the user did not take
// out, also those the scan does not list: an entry two folders deep, one not
// shown in menus, one missing. Each has a tile of its own.
#include "AuthoringFixture.h"

namespace dexaro::test {
namespace {

using EditorKeepsApps = AuthoringFixture;

TEST_F(EditorKeepsApps, ApplicationsTheScanDoesNotListStayUnlessTakenOut) {
    const auto entry = [this](const QString& relative) {
        return QUrl::fromLocalFile(apps.path(relative)).toString();
    };
    apps.app("applications/kit/tools/Deep.desktop", "Deep Tool");
    apps.app("applications/Quiet.desktop", "Quiet", {"NoDisplay=true"});
    const QStringList stored = {url("Alpha"), entry("applications/kit/tools/Deep.desktop"),
                                entry("applications/Quiet.desktop"),
                                entry("applications/Gone.desktop")};
    const QString id = store.fillWorkspace(store.insertWorkspace(), {"Kit", stored, {}, {}});
    ASSERT_TRUE(objects->save());
    editorOutOfDate = true;
    editor->hide();
    editor->show();
    ASSERT_TRUE(waitUntil([&] { return !editor->isLoadingList() && scanned(*editor); }));
    select(int(popUpTitles().indexOf("Kit")));

    QStringList tiles;
    for (const AppListModel& app : editor->collectionView()->installedApps())
        tiles << app.appName;
    EXPECT_EQ(tiles, (QStringList{"Alpha", "Beta", "Gamma", "Deep Tool", "Quiet",
                                  "Gone (not installed)"}));
    const auto storedApps = [&] {
        for (const QStringList& row : storedWorkspaces())
            if (row.at(0) == id)
                return row.at(2).split("0,.,1");
        return QStringList();
    };

    // A mere rename keeps them all.
    editor->nameField()->setText("Kit 2");
    editor->saveWS();
    EXPECT_EQ(onlyAlert(), "Workspace updating|Updated Workspace!|success");
    EXPECT_EQ(storedApps(), stored);

    // Taken out, one goes.
    select(int(popUpTitles().indexOf("Kit 2")));
    QSet<QString> selected = editor->collectionView()->selectedAppURLs();
    selected.remove(stored.last());
    editor->collectionView()->setSelectedAppURLs(selected);
    editor->saveWS();
    EXPECT_EQ(storedApps(), stored.mid(0, 3));
}

} // namespace
} // namespace dexaro::test
