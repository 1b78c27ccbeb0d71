#pragma once
// The Creator and the Editor, shown, over a real store, user defaults and
// placement store in a temporary folder, with recorded alerts, fake hot keys
// and applications in a folder of the test's own, wired as the program wires
// them (SharedObjects); launches are only recorded. Three workspaces are stored (Home, Office with
// a web link, Games), each with a shortcut whose hot key is bound.
#include "activation/WorkspaceActivation.h"
#include "activation/WorkspaceCatalog.h"
#include "app/SharedObjects.h"
#include "authoring/AppListCollectionView.h"
#include "authoring/InstalledAppsScanner.h"
#include "authoring/LinkListView.h"
#include "authoring/LinkPopover.h"
#include "authoring/WSCreatorViewController.h"
#include "authoring/WSEditorViewController.h"
#include "authoring/WSTextField.h"
#include "model/WorkspaceStore.h"
#include "platform/UserDefaults.h"
#include "shortcuts/MASShortcutBinder.h"
#include "shortcuts/MASShortcutView.h"
#include "support/AppFolderTree.h"
#include "support/DesktopPlatform.h"
#include "support/FakeHotKeys.h"
#include "support/FolderDesktopEntries.h"
#include "support/QtPrinters.h"
#include "support/RecordingAlerts.h"
#include "support/RecordingWorkspaceServices.h"
#include "support/RunSql.h"
#include "support/Wait.h"

#include <QComboBox>
#include <QPushButton>
#include <QUrl>
#include <gtest/gtest.h>

namespace dexaro {
// GoogleTest finds it beside LinkRow.
inline void PrintTo(const LinkRow& row, std::ostream* out) {
    *out << '{' << row.name.toStdString() << ", " << row.address.toStdString() << '}';
}
} // namespace dexaro

namespace dexaro::test {

class AuthoringFixture : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(objects);
        for (const QString name : {"Alpha", "Beta", "Gamma"})
            apps.app("applications/" + name + ".desktop", name);
        ids << seed("Home", {"Alpha"}, shortcut(0))
            << seed("Office", {"Beta", "Gamma"}, shortcut(1), {{"Mail", "mail.example.org"}})
            << seed("Games", {"Gamma"}, shortcut(2));
        shared.activation().reloadWorkspaces();
        QObject::connect(&shared.catalog(), &WorkspaceCatalog::changed, [this] {
            ++listChanges;
            editorOutOfDate = true;
        });
        creator = std::make_unique<WSCreatorViewController>(shared.authoringContext());
        editor = std::make_unique<WSEditorViewController>(shared.authoringContext());
        creator->show();
        editor->show();
        ASSERT_TRUE(waitUntil(
            [this] { return !editor->isLoadingList() && scanned(*creator) && scanned(*editor); }));
        alerts.shown.clear();
    }
    template <class Screen> static bool scanned(const Screen& screen) {
        return !screen.scanner()->isScanning() &&
               screen.collectionView()->installedApps().size() == 3;
    }
    // What a screen shows: name, the recorder's key code, number of picked
    // apps and of link rows.
    template <class Screen> static QStringList shown(const Screen& screen) {
        const auto value = screen.shortcutView()->shortcutValue();
        return {screen.nameField()->text(), value ? QString::number(value->keyCode()) : QString(),
                QString::number(screen.collectionView()->selectedAppURLs().size()),
                QString::number(screen.urlPopover()->list()->rowCount() +
                                screen.filePopover()->list()->rowCount())};
    }

    QString storePath() const { return apps.path(QStringLiteral("Dexaro.sqlite")); }
    // The application's URL as the scan gives it and workspaces store it.
    QString url(const QString& name) const {
        return QUrl::fromLocalFile(apps.path("applications/" + name + ".desktop")).toString();
    }

    // A workspace stored as the Creator stores it, with a shortcut when given.
    QString seed(const QString& name, const QStringList& appNames,
                 std::optional<MASShortcut> shortcut = std::nullopt,
                 const QList<URLLinkModel>& links = {}) {
        QStringList urls;
        for (const QString& app : appNames)
            urls << url(app);
        const QString id = store.fillWorkspace(store.insertWorkspace(), {name, urls, links, {}});
        EXPECT_TRUE(objects->save());
        if (shortcut) {
            EXPECT_TRUE(defaults.setValue(id, shortcut->encode()));
        }
        return id;
    }

    // The Creator's input: the name, the applications picked (by URL), the links.
    void fill(const QString& name, const QStringList& appURLs, const QStringList& urls = {},
              const QStringList& files = {}) {
        creator->nameField()->setText(name);
        creator->collectionView()->setSelectedAppURLs(
            QSet<QString>(appURLs.begin(), appURLs.end()));
        creator->urlPopover()->list()->setFromStoredStrings(urls);
        creator->filePopover()->list()->setFromStoredStrings(files);
    }
    // The Editor's pop-up: its titles, and choosing an entry as a click does.
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

    // Rows of Workspaces as the file holds them: id, name, apps, urls, file_urls.
    QList<QStringList> storedWorkspaces() const {
        return querySql(storePath(), "SELECT id, name, apps, urls, file_urls FROM Workspaces "
                                     "ORDER BY rowid");
    }
    // Makes the store refuse (or take again) every such write to the table, as
    // a read-only file does.
    void refuseWrites(const char* operation, bool refuse = true) {
        const QByteArray trigger = QByteArray("refuse_") + operation;
        runSql(storePath(), (refuse ? "CREATE TRIGGER " + trigger + " BEFORE " + operation +
                                          " ON Workspaces BEGIN SELECT RAISE(ABORT, 'attempt "
                                          "to write a readonly database'); END;"
                                    : "DROP TRIGGER " + trigger)
                                .constData());
    }
    // The one alert shown since the last clear, as "title|message", with
    // "|success" for a confirmation.
    QString onlyAlert() const {
        if (alerts.shown.size() != 1)
            return QStringLiteral("%1 alerts").arg(alerts.shown.size());
        const RecordedAlert& a = alerts.shown.first();
        return a.title + '|' + a.message + (a.success ? "|success" : "");
    }

    static MASShortcut shortcut(quint64 keyCode) {
        return MASShortcut(keyCode, MASShortcut::ControlFlag | MASShortcut::OptionFlag);
    }

    RecordingAlerts alerts;
    FakeHotKeys hotKeys;
    AppFolderTree apps;
    FolderDesktopEntries entries{desktop().desktopEntries(),
                                 {apps.path(QStringLiteral("applications"))}};
    std::unique_ptr<ObjectStore> objects = WorkspaceStore::openStore(storePath(), nullptr);
    WorkspaceStore store{*objects, alerts};
    UserDefaults defaults{apps.path(QStringLiteral("Dexaro.conf"))};
    int listChanges = 0;
    bool editorOutOfDate = true; // the Editor reads the list when next shown
    RecordingWorkspaceServices launches;
    SharedObjects shared{
        {alerts, hotKeys, defaults, entries, desktop().windows(), desktop().workAreas(), launches},
        store,
        {{}, {}, [this] {
             return std::exchange(editorOutOfDate, false);
         }}};
    MASShortcutBinder& binder = shared.binder();
    QStringList ids;
    std::unique_ptr<WSCreatorViewController> creator;
    std::unique_ptr<WSEditorViewController> editor;
};

} // namespace dexaro::test
