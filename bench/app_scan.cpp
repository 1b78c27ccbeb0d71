// Scanning 2,000 application entries (1,500 in the data home, 100 of them in
// subfolders, 500 in a system folder): Dexaro's scan against GIO's own
// g_app_info_get_all() over the same generated tree, in the same run. Compare
// the medians. GIO reads no icons; Dexaro's scan also resolves each entry's
// icon through the icon theme (a quarter are absolute paths).
#include "authoring/InstalledAppsScan.h"
#include "platform/DesktopEntries.h"
#include "support/BenchDesktop.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>

// GLib names a field "signals", which Qt defines as a keyword.
#pragma push_macro("signals")
#undef signals
#include <gio/gio.h>
#pragma pop_macro("signals")

using namespace dexaro;

namespace {

constexpr int entryCount = 2000;

// A desktop entry as distributions ship them: a dozen keys and translations.
QByteArray entryText(int i, const QString& iconsFolder) {
    QByteArray text = "[Desktop Entry]\nType=Application\nVersion=1.0\n";
    text += "Name=Bench Application " + QByteArray::number(i) + '\n';
    for (const char* locale : {"de", "fr", "es", "it", "ja", "pt_BR", "ru", "zh_CN"}) {
        text += QByteArray("Name[") + locale + "]=Bench App " + QByteArray::number(i) + ' ' +
                locale + '\n';
        text += QByteArray("Comment[") + locale + "]=Does bench things in " + locale + '\n';
    }
    text += "GenericName=Benchmark\nComment=Does bench things\n";
    // GIO leaves out entries whose program is not installed.
    text += "Exec=true --bench-app-" + QByteArray::number(i) + " %U\n";
    text += i % 4 == 0 ? "Icon=" + QFile::encodeName(iconsFolder) + "/bench-icon.png\n"
                       : "Icon=bench-app-" + QByteArray::number(i) + '\n';
    text += "Terminal=false\nCategories=Utility;Development;\nKeywords=bench;test;\n";
    text += "StartupNotify=true\nMimeType=text/plain;\n";
    return text;
}

void write(const QString& path, const QByteArray& bytes) {
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile out(path);
    if (out.open(QIODevice::WriteOnly))
        out.write(bytes);
}

// Made, and XDG_DATA_HOME / XDG_DATA_DIRS pointed at it, before main() runs:
// GLib reads these variables once.
struct Tree {
    QTemporaryDir dir;
    Tree() {
        const QString icons = dir.filePath(QStringLiteral("icons"));
        write(icons + QStringLiteral("/bench-icon.png"), "png");
        // The theme every desktop has, where GTK looks for the named icons.
        QFile index(QStringLiteral("/usr/share/icons/hicolor/index.theme"));
        if (index.open(QIODevice::ReadOnly))
            write(dir.filePath(QStringLiteral("system/icons/hicolor/index.theme")),
                  index.readAll());
        for (int i = 0; i < entryCount; ++i) {
            QString relative = i < 1500 ? QStringLiteral("data/applications/")
                                        : QStringLiteral("system/applications/");
            if (i < 100)
                relative += QStringLiteral("group%1/").arg(i % 4);
            relative += QStringLiteral("org.example.Bench%1.desktop").arg(i);
            write(dir.filePath(relative), entryText(i, icons));
        }
        qputenv("XDG_DATA_HOME", QFile::encodeName(dir.filePath(QStringLiteral("data"))));
        qputenv("XDG_DATA_DIRS", QFile::encodeName(dir.filePath(QStringLiteral("system"))));
    }
};
const Tree& tree() {
    static const Tree made;
    return made;
}
[[maybe_unused]] const bool treeReady = (tree(), true);

void BM_DexaroScan(benchmark::State& state) {
    DesktopEntries& entries = bench::desktop().desktopEntries();
    const QStringList folders = entries.applicationFolders();
    for (auto _ : state) {
        // A reader per scan, as the scanner makes one: it loads the icon theme.
        auto reader = entries.makeReader();
        const InstalledAppsScanResult result = scanApplicationFolders(*reader, folders, "1");
        if (result.installed.apps.size() != entryCount)
            state.SkipWithError("wrong number of applications");
    }
}
BENCHMARK(BM_DexaroScan)->Repetitions(7)->ReportAggregatesOnly(true)->Unit(benchmark::kMillisecond);

void BM_GioAppInfoGetAll(benchmark::State& state) {
    for (auto _ : state) {
        GList* all = g_app_info_get_all();
        const guint count = g_list_length(all);
        g_list_free_full(all, g_object_unref);
        if (count != entryCount)
            state.SkipWithError("wrong number of applications");
    }
}
BENCHMARK(BM_GioAppInfoGetAll)
    ->Repetitions(7)
    ->ReportAggregatesOnly(true)
    ->Unit(benchmark::kMillisecond);

} // namespace
