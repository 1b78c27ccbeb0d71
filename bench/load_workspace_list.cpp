// Loading the popover's workspace list from a store of 1,000 and 10,000
// workspaces, each with three applications and two links: the first load after
// opening the store, as at start-up.
#include "model/WorkspaceStore.h"
#include "platform/Alerts.h"

#include <QTemporaryDir>
#include <benchmark/benchmark.h>

using namespace dexaro;

namespace {

class SilentAlerts : public Alerts {
public:
    void warn(const QString&, const QString&, const QString&) override {}
    int ask(const QString&, const QString&, const QString&, const QStringList&) override {
        return 0;
    }
};

void fill(const QString& path, int64_t count) {
    SilentAlerts alerts;
    auto context = WorkspaceStore::openStore(path, nullptr);
    WorkspaceStore store(*context, alerts);
    for (int64_t i = 0; i < count; ++i) {
        auto record = store.insertWorkspace();
        store.fillWorkspace(
            record, {QStringLiteral("Workspace %1").arg(i),
                     {QStringLiteral("file:///usr/share/applications/org.gnome.Terminal.desktop"),
                      QStringLiteral("file:///usr/share/applications/firefox-esr.desktop"),
                      QStringLiteral("file:///usr/share/applications/code.desktop")},
                     {{QStringLiteral("Docs"), QStringLiteral("https://docs.example.org")},
                      {QStringLiteral("Board"), QStringLiteral("https://board.example.org")}},
                     {{QStringLiteral("Notes"), QStringLiteral("/home/user/notes.txt")}}});
    }
    context->save();
}

void BM_LoadWorkspaceList(benchmark::State& state) {
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("Dexaro.sqlite"));
    SilentAlerts alerts;
    fill(path, state.range(0));
    std::vector<std::unique_ptr<ObjectStore>> opened; // closed outside the timed region
    for (auto _ : state) {
        state.PauseTiming();
        opened.push_back(WorkspaceStore::openStore(path, nullptr));
        WorkspaceStore store(*opened.back(), alerts);
        state.ResumeTiming();
        auto list = store.loadWorkspaceList();
        benchmark::DoNotOptimize(list);
        if (!list || list->size() != state.range(0))
            state.SkipWithError("wrong list size");
    }
}
BENCHMARK(BM_LoadWorkspaceList)->Arg(1000)->Arg(10000)->Unit(benchmark::kMillisecond);

// Opening the store as at start-up: integrity check and schema.
void BM_OpenStore(benchmark::State& state) {
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("Dexaro.sqlite"));
    fill(path, state.range(0));
    for (auto _ : state) {
        auto context = WorkspaceStore::openStore(path, nullptr);
        benchmark::DoNotOptimize(context);
    }
}
BENCHMARK(BM_OpenStore)->Arg(0)->Arg(10000)->Unit(benchmark::kMillisecond);

} // namespace
