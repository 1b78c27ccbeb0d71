// The installed-application scan: the walk's rules over generated folder trees,
// and the scanner's threading (one run at a time, whole lists, one alert per
// kind).
#include "authoring/InstalledAppsScan.h"
#include "authoring/InstalledAppsScanner.h"
#include "support/AppFolderTree.h"
#include "support/DesktopPlatform.h"
#include "support/FolderDesktopEntries.h"
#include "support/QtPrinters.h"
#include "support/RecordingAlerts.h"
#include "support/Wait.h"

#include <QFileInfo>
#include <QRegularExpression>
#include <QUrl>
#include <atomic>
#include <gtest/gtest.h>
#include <sys/stat.h>

using namespace dexaro;
using test::AppFolderTree;

namespace {

// In this order; "sys" stands for the distribution's folder.
QStringList folders(const AppFolderTree& tree) {
    return {tree.path("home"), tree.path("sys"), tree.path("other")};
}

// "Name=path below the tree", with " icon=path" when the icon is no placeholder.
QStringList described(const AppFolderTree& tree, const InstalledApps& installed) {
    const auto below = [&tree](const QString& url) {
        return QUrl(url).toLocalFile().mid(tree.root().size() + 1);
    };
    QStringList lines;
    for (const AppListModel& app : installed.apps) {
        QString line = app.appName + QLatin1Char('=') + below(app.appURL);
        if (app.appImagePath != QLatin1String(placeholderAppImagePath))
            line += QStringLiteral(" icon=") + below(app.appImagePath);
        lines.append(line);
    }
    return lines;
}

InstalledAppsScanResult scan(const AppFolderTree& tree, const QString& scanDefaultApps = {}) {
    auto reader = test::desktop().desktopEntries().makeReader();
    return scanApplicationFolders(*reader, folders(tree), scanDefaultApps, tree.path("sys"));
}

// Builds a tree from lines: "path=Name|Key=Value..." an application entry,
// "path:Key=Value|..." an entry of these lines, "path<bytes" a file (Latin-1),
// "path->target" a symbolic link; "@x" is the tree's path x.
void build(const AppFolderTree& tree, const QStringList& lines) {
    static const QRegularExpression item(QStringLiteral("^(.*?)(->|=|:|<)(.*)$"));
    for (QString line : lines) {
        line.replace(QRegularExpression(QStringLiteral("@([^|]*)")), tree.root() + "/\\1");
        const QRegularExpressionMatch m = item.match(line);
        const QString path = m.captured(1), op = m.captured(2), rest = m.captured(3);
        QStringList more = rest.split('|');
        if (op == "->")
            tree.link(path, rest);
        else if (op == "<")
            tree.file(path, rest.toLatin1());
        else if (op == ":")
            tree.entry(path, more);
        else
            tree.app(path, more.takeFirst(), more);
    }
}

struct ScanRow {
    const char* what;
    QStringList tree;
    QStringList expected;
    QString scanDefaultApps = QString();
};

TEST(InstalledAppsScan, FolderTrees) {
    qputenv("XDG_CURRENT_DESKTOP", "X-Test:XFCE");
    const QString longName(10000, QLatin1Char('L'));
    const QStringList systemTree{"home/h.desktop=H", "sys/s.desktop=S", "other/s.desktop=SMasked"};
    const std::vector<ScanRow> rows{
        {"first name wins; an id masks later folders, also when hidden",
         {"home/a.desktop=A", "other/b.desktop=A", "other/a.desktop=A2",
          "home/c.desktop=C1|Hidden=true", "other/c.desktop=C2", "other/d.desktop=D"},
         {"A=home/a.desktop", "D=other/d.desktop"}},
        {"entries a menu does not list, Dexaro's own, the name from Exec",
         {"home/nodisplay.desktop=N|NoDisplay=true", "home/hidden.desktop=H|Hidden=true",
          "home/tryexec.desktop=T|TryExec=/nonexistent/dexaro-test-program",
          "home/tryexecok.desktop=TOk|TryExec=sh",
          "home/link.desktop:Type=Link|Name=L|URL=https://example.org",
          "home/notype.desktop:Name=NoType|Exec=true", "home/kde.desktop=K|OnlyShowIn=KDE;",
          "home/both.desktop=B|OnlyShowIn=GNOME;XFCE;", "home/notx.desktop=NX|NotShowIn=XFCE;",
          "home/first.desktop=F|OnlyShowIn=XFCE;|NotShowIn=X-Test;", "home/own.desktop=Dexaro",
          "home/org.dexaro.Dexaro.desktop=Renamed",
          "home/exec.desktop:Type=Application|Exec=/opt/tools/frobber %U"},
         {"B=home/both.desktop", "frobber=home/exec.desktop", "TOk=home/tryexecok.desktop"}},
        {"one level of subfolders, with their ids",
         {"home/sub/a.desktop=Sub", "home/sub/deeper/b.desktop=Deep", "other/sub-a.desktop=Masked",
          "home/z.desktop=Own"},
         {"Own=home/z.desktop", "Sub=home/sub/a.desktop"}},
        {"links followed, loops end",
         {"elsewhere/target.desktop=Linked", "home/linked.desktop->@elsewhere/target.desktop",
          "home/x.desktop=X", "home/loop->.", "home/sub/up->..", "other/again->@home",
          "home/self.desktop->self.desktop"},
         {"Linked=home/linked.desktop", "X=home/x.desktop", "1 unreadable"}},
        {"hidden files skipped, icons that are no file are placeholders",
         {"home/.dot.desktop=Dot", "home/.dir/a.desktop=DotDir", "pictures/icon.png<png",
          "home/a.desktop=Absolute|Icon=@pictures/icon.png",
          "home/b.desktop=Missing|Icon=@pictures/gone.png"},
         {"Absolute=home/a.desktop icon=pictures/icon.png", "Missing=home/b.desktop"}},
        {"scanDefaultApps 0 leaves the system folder out; its ids still mask",
         systemTree,
         {"H=home/h.desktop"},
         "0"},
        {"scanDefaultApps 1 keeps it", systemTree, {"H=home/h.desktop", "S=sys/s.desktop"}, "1"},
        {"bad input is dropped, nothing else lost",
         {"home/binary.desktop<" +
              QString::fromLatin1("[Desktop Entry]\nType=Application\nExec=true\nName=\xff\xfe\n"),
          "other/binary.desktop=NotMasked", "home/cut.desktop<[Desktop Ent",
          "home/nogroup.desktop<Type=Application\nName=NoGroup\nExec=true\n",
          "home/long.desktop=" + longName, "home/dangling.desktop->@nowhere.desktop",
          "home/dangling-folder->@nowhere", "home/folder.desktop/x<", "home/ok.desktop=Ok"},
         {longName + "=home/long.desktop", "Ok=home/ok.desktop", "NotMasked=other/binary.desktop",
          "1 unreadable"}},
    };
    for (const ScanRow& row : rows) {
        SCOPED_TRACE(row.what);
        AppFolderTree tree;
        build(tree, row.tree);
        const InstalledAppsScanResult result = scan(tree, row.scanDefaultApps);
        QStringList found = described(tree, result.installed);
        if (!result.unreadableEntries.isEmpty())
            found << QStringLiteral("%1 unreadable").arg(result.unreadableEntries.size());
        EXPECT_EQ(found, row.expected);
        EXPECT_EQ(result.installed.urls.size(), result.installed.apps.size());
    }
}

// A themed icon name goes through GTK's icon theme to a file: xterm's, which
// scripts/deps.sh installs.
TEST(InstalledAppsScan, ThemedIconResolvesToAFile) {
    AppFolderTree tree;
    tree.app("home/xterm.desktop", "XTerm", {"Icon=xterm-color"});
    const InstalledAppsScanResult result = scan(tree);
    ASSERT_EQ(result.installed.apps.size(), 1);
    const QFileInfo icon(appImageFile(result.installed.apps[0].appImagePath));
    EXPECT_TRUE(icon.isFile() && icon.completeBaseName() == "xterm-color")
        << icon.filePath().toStdString();
}

// The desktop's entries in a tree's folders; while held, each reader waits at
// its first read until the test lets go.
class TreeEntries : public test::FolderDesktopEntries {
public:
    explicit TreeEntries(const AppFolderTree& tree)
        : FolderDesktopEntries(test::desktop().desktopEntries(), folders(tree)) {}
    std::unique_ptr<DesktopEntryReader> makeReader() override {
        ++readersMade;
        return std::make_unique<Reader>(*this, FolderDesktopEntries::makeReader());
    }
    void hold(bool on) {
        held = on;
        held.notify_all();
    }
    std::atomic<int> readersMade{0}, readersAlive{0};
    std::atomic<bool> held{false}, waiting{false};

private:
    struct Reader : DesktopEntryReader {
        Reader(TreeEntries& owner, std::unique_ptr<DesktopEntryReader> real)
            : owner(owner), real(std::move(real)) {
            ++owner.readersAlive;
        }
        ~Reader() override { --owner.readersAlive; }
        Status read(const QString& path, DesktopEntry* entry, QString* error) override {
            owner.waiting = owner.held.load();
            owner.held.wait(true);
            owner.waiting = false;
            return real->read(path, entry, error);
        }
        TreeEntries& owner;
        std::unique_ptr<DesktopEntryReader> real;
    };
};

TEST(InstalledAppsScanner, OneRunAtATimeWholeListsOneAlertPerKindSafeToDestroy) {
    AppFolderTree tree;
    build(tree, {"home/a.desktop=a", "home/b.desktop=b", "home/c.desktop=c"});
    TreeEntries entries(tree);
    test::RecordingAlerts alerts;
    auto scanner = std::make_unique<InstalledAppsScanner>(
        entries, alerts, [] { return QStringLiteral("1"); }, QStringLiteral("Workspace creating"));
    QList<QStringList> handed;
    QObject::connect(scanner.get(), &InstalledAppsScanner::scanFinished,
                     [&] { handed.append(described(tree, scanner->result())); });

    entries.hold(true);
    scanner->scanInstalledApps();
    ASSERT_TRUE(test::waitUntil([&] { return entries.waiting.load(); }));
    scanner->scanInstalledApps();
    scanner->scanInstalledApps();
    tree.app("home/d.desktop", "d"); // only the second run can see it
    EXPECT_TRUE(scanner->isScanning());
    EXPECT_TRUE(scanner->result().apps.isEmpty());
    entries.hold(false);

    ASSERT_TRUE(test::waitUntil([&] { return handed.size() == 2 && !scanner->isScanning(); }));
    EXPECT_EQ(entries.readersMade, 2);
    const QStringList abc{"a=home/a.desktop", "b=home/b.desktop", "c=home/c.desktop"};
    EXPECT_EQ(handed, (QList<QStringList>{abc, abc + QStringList{"d=home/d.desktop"}}));
    EXPECT_TRUE(alerts.shown.isEmpty());

    // One alert per kind of problem, however many there are.
    build(tree,
          {"other<not a folder", "home/b1.desktop->@nowhere", "home/b2.desktop->@nowhere",
           "home/b3.desktop->@nowhere", "home/b4.desktop->@nowhere", "home/b5.desktop->@nowhere"});
    scanner->scanInstalledApps();
    ASSERT_TRUE(test::waitUntil([&] { return handed.size() == 3; }));
    // Per alert: its message and its last line of details.
    QStringList shown;
    for (const test::RecordedAlert& alert : alerts.shown)
        shown << alert.message + '|' + alert.informative.section('\n', -1).section(':', 0, 0);
    EXPECT_EQ(shown, (QStringList{"Application scanning|" + tree.path("other"),
                                  "Could not get installed apps' list!|and 2 more"}));

    // Destroyed while a scan runs: the scan ends on its own, nothing is handed over.
    entries.hold(true);
    scanner->scanInstalledApps();
    ASSERT_TRUE(test::waitUntil([&] { return entries.waiting.load(); }));
    scanner.reset();
    entries.hold(false);
    ASSERT_TRUE(test::waitUntil([&] { return entries.readersAlive == 0; }));
    QCoreApplication::processEvents();
    EXPECT_EQ(handed.size(), 3);
}

// An entry that cannot be read (a dangling or looping link, a pipe) is told
// once a run, under the title of the screen that found it first, however
// often either screen scans again; a new one is told by itself.
TEST(InstalledAppsScanner, EachProblemIsToldOnceARunUnderTheScreensTitle) {
    AppFolderTree tree;
    build(tree, {"home/a.desktop=a", "home/dangling.desktop->@nowhere",
                 "home/loop.desktop->@home/loop.desktop"});
    ASSERT_EQ(::mkfifo(QFile::encodeName(tree.path("home/pipe.desktop")).constData(), 0600), 0);
    TreeEntries entries(tree);
    test::RecordingAlerts alerts;
    const auto noDefaults = [] {
        return QStringLiteral("1");
    };
    InstalledAppsScanner creator(entries, alerts, noDefaults, QStringLiteral("Workspace creating"));
    InstalledAppsScanner editor(entries, alerts, noDefaults, QStringLiteral("Workspace updating"));
    const auto scan = [](InstalledAppsScanner& scanner) {
        int finished = 0;
        const QMetaObject::Connection c = QObject::connect(
            &scanner, &InstalledAppsScanner::scanFinished, [&finished] { ++finished; });
        scanner.scanInstalledApps();
        const bool done = test::waitUntil([&] { return finished == 1; });
        QObject::disconnect(c);
        return done;
    };
    // Per alert: title, message, and the entries' file names.
    const auto told = [&] {
        QStringList lines;
        for (const test::RecordedAlert& alert : alerts.shown) {
            QStringList names;
            for (const QString& line : alert.informative.split('\n'))
                names << QFileInfo(line.section(':', 0, 0)).fileName();
            lines << alert.title + '|' + alert.message + '|' + names.join(',');
        }
        alerts.shown.clear();
        return lines;
    };

    ASSERT_TRUE(scan(creator));
    EXPECT_EQ(told(), QStringList{"Workspace creating|Could not get installed apps' list!|"
                                  "dangling.desktop,loop.desktop,pipe.desktop"});
    ASSERT_TRUE(scan(creator));
    ASSERT_TRUE(scan(editor));
    EXPECT_EQ(told(), QStringList{});
    EXPECT_EQ(described(tree, editor.result()), QStringList{"a=home/a.desktop"});

    tree.link("home/new.desktop", tree.path("gone"));
    ASSERT_TRUE(scan(editor));
    EXPECT_EQ(told(), QStringList{"Workspace updating|Could not get installed apps' list!|"
                                  "new.desktop"});
}

} // namespace
