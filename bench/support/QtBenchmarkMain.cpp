// Entry point of every benchmark program: runs the benchmarks inside a
// QApplication, on the offscreen platform when there is no display, with the
// desktop platform of the session (bench::desktop()).
#include "support/BenchDesktop.h"

#include <QApplication>
#include <benchmark/benchmark.h>
#include <memory>

namespace {
dexaro::Platform* g_desktop = nullptr;
}

dexaro::Platform& dexaro::bench::desktop() {
    return *g_desktop;
}

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("DISPLAY") && qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const std::unique_ptr<dexaro::Platform> desktop =
        dexaro::Platform::forDesktop(QStringLiteral(DEXARO_BINARY_DIR "/bin/dexaro"));
    g_desktop = desktop.get();
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    g_desktop = nullptr;
    return 0;
}
