// Opening the Editor with 1,000 stored workspaces: from the tab being shown
// to the pop-up listing them (the list is read on a worker through a read-only
// connection, the scan of installed applications runs beside it), and the
// list read alone. Run offscreen:
//   QT_QPA_PLATFORM=offscreen bench_editor_open
#include "app/SharedObjects.h"
#include "authoring/WSEditorViewController.h"
#include "model/WorkspaceStore.h"
#include "platform/Platform.h"
#include "platform/UserDefaults.h"

#include <QApplication>
#include <QComboBox>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>

#include "support/BenchDesktop.h"
#include "support/BenchFakes.h"

namespace {

using namespace dexaro;

constexpr int workspaceCount = 1000;

struct Fixture {
    Fixture() {
        QString error;
        objects = WorkspaceStore::openStore(dir.filePath(QStringLiteral("Dexaro.sqlite")), &error);
        store = std::make_unique<WorkspaceStore>(*objects, alerts);
        const QList<URLLinkModel> links = {
            {QStringLiteral("Docs"), QStringLiteral("docs.example.org")},
            {QStringLiteral("Mail"), QStringLiteral("mail.example.org")}};
        for (int i = 0; i < workspaceCount; ++i) {
            const auto record = store->insertWorkspace();
            store->fillWorkspace(record,
                                 {QStringLiteral("Workspace %1").arg(i),
                                  {QStringLiteral("file:///usr/share/applications/a.desktop"),
                                   QStringLiteral("file:///usr/share/applications/b.desktop")},
                                  links,
                                  {}});
        }
        objects->save();
        defaults = std::make_unique<UserDefaults>(dir.filePath(QStringLiteral("Dexaro.conf")));
        Platform& platform = bench::desktop();
        shared = std::make_unique<SharedObjects>(
            SharedDesktop{alerts, platform.hotKeys(), *defaults, platform.desktopEntries(),
                          platform.windows(), platform.workAreas(), platform.workspace()},
            *store, SharedHooks{{}, {}, [] {
                                    return true;
                                }});
        context = shared->authoringContext();
    }
    QTemporaryDir dir;
    bench::SilentAlerts alerts;
    std::unique_ptr<ObjectStore> objects;
    std::unique_ptr<WorkspaceStore> store;
    std::unique_ptr<UserDefaults> defaults;
    std::unique_ptr<SharedObjects> shared;
    AuthoringContext context;
};

// Built once, as the program builds it; each iteration shows the tab with its
// list out of date and waits for the pop-up.
void BM_ShowEditorWith1000Workspaces(benchmark::State& state) {
    Fixture f;
    WSEditorViewController editor(f.context);
    editor.resize(1266, 624);
    for (auto _ : state) {
        editor.show();
        while (editor.isLoadingList() || editor.popUpButton()->count() != workspaceCount + 1)
            QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
        state.PauseTiming();
        editor.hide();
        state.ResumeTiming();
    }
}
BENCHMARK(BM_ShowEditorWith1000Workspaces)->Unit(benchmark::kMillisecond);

// The worker's part: 1,000 records read and unpacked.
void BM_ReadEditorListOf1000(benchmark::State& state) {
    Fixture f;
    QString error;
    const auto reader = WorkspaceStore::openReadOnlyStore(f.objects->path(), &error);
    for (auto _ : state) {
        const auto list = WorkspaceStore::readEditorWorkspaceList(*reader, &error);
        benchmark::DoNotOptimize(list);
    }
}
BENCHMARK(BM_ReadEditorListOf1000)->Unit(benchmark::kMillisecond);

} // namespace
