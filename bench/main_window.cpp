// The main window on Dexaro's start-up path (built hidden at every start) and
// the Configs screen (built on every visit). Run offscreen:
//   QT_QPA_PLATFORM=offscreen bench_main_window
#include "app/CustomMainWindow.h"
#include "model/AppSettings.h"
#include "model/WorkspaceStore.h"
#include "platform/Alerts.h"
#include "platform/LoginItem.h"

#include <QApplication>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>

#include "support/BenchFakes.h"

namespace {

using namespace dexaro;

struct Fixture {
    Fixture() {
        QString error;
        context = WorkspaceStore::openStore(dir.filePath(QStringLiteral("Dexaro.sqlite")), &error);
        store = std::make_unique<WorkspaceStore>(*context, alerts);
        settings.runAtLogin = QStringLiteral("1");
        settings.forceTerminate = settings.createNewInstance = settings.hideApps =
            QStringLiteral("0");
    }
    QTemporaryDir dir;
    bench::SilentAlerts alerts;
    bench::NoLoginItem loginItem;
    std::unique_ptr<ObjectStore> context;
    std::unique_ptr<WorkspaceStore> store;
    AppSettings settings;
};

void BM_BuildHiddenMainWindow(benchmark::State& state) {
    Fixture f;
    for (auto _ : state) {
        CustomMainWindow window(f.settings, *f.store, f.loginItem);
        benchmark::DoNotOptimize(window.currentView());
    }
}
BENCHMARK(BM_BuildHiddenMainWindow)->Unit(benchmark::kMicrosecond);

void BM_SwitchToConfigsAndBack(benchmark::State& state) {
    Fixture f;
    CustomMainWindow window(f.settings, *f.store, f.loginItem);
    window.resize(1100, 700);
    for (auto _ : state) {
        window.switchMainContent(CustomMainWindow::SettingsScreen);
        window.switchMainContent(CustomMainWindow::CreatorView);
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }
}
BENCHMARK(BM_SwitchToConfigsAndBack)->Unit(benchmark::kMicrosecond);

void BM_PaintConfigsScreen(benchmark::State& state) {
    Fixture f;
    CustomMainWindow window(f.settings, *f.store, f.loginItem);
    window.resize(1100, 700);
    window.switchMainContent(CustomMainWindow::SettingsScreen);
    for (auto _ : state)
        benchmark::DoNotOptimize(window.grab());
}
BENCHMARK(BM_PaintConfigsScreen)->Unit(benchmark::kMillisecond);

} // namespace
