// Window placement under a real window manager. Run it inside a session:
//   scripts/x11-session.sh build/bin/bench_placement
//
// MapToPlaced: a small client (dexaro-test-Window) is started and placed as a
// workspace launch does it; each repetition measures the time from the
// moment the window manager manages the new window (its "appeared"
// notification) to the moment its placed frame is answered. Median, 95th
// percentile and worst over 60 windows.
// SetFrameCost: one frame asked for on a window already in place, and one that
// moves and resizes it, with the X round trips they wait for.
// IdleCpu: the processor time the window layer and the placers use while
// nothing changes on the desktop, over two seconds.
#include "platform/Windows.h"
#include "positioning/WindowPlacer.h"
#include "support/BenchDesktop.h"

#include <QProcess>
#include <benchmark/benchmark.h>
#include <chrono>
#include <future>
#include <mutex>
#include <sys/resource.h>
#include <thread>

using namespace dexaro;
using Clock = std::chrono::steady_clock;

namespace {

const QString helper = QStringLiteral(DEXARO_BINARY_DIR "/bin/tests/dexaro-test-Window");

FrameCalculator& frames() {
    static FrameCalculator calculator([] { return screenMetrics(bench::desktop().workAreas()); });
    return calculator;
}

// A client for the length of a benchmark, or of one repetition.
class Client {
public:
    Client() {
        m_process.start(helper, {});
        m_started = m_process.waitForStarted(5000);
    }
    ~Client() {
        m_process.kill();
        m_process.waitForFinished(5000);
    }
    bool started() const { return m_started; }
    qint64 pid() const { return m_process.processId(); }

private:
    QProcess m_process;
    bool m_started = false;
};

// When the window layer first told of a window of each pid.
class Appearances {
public:
    Appearances()
        : m_subscription(bench::desktop().windows().subscribe([this](const WindowEvent& e) {
              if (e.type != WindowEvent::Type::appeared)
                  return;
              std::lock_guard lock(m_mutex);
              m_seen.try_emplace(e.window.pid, Clock::now());
          })) {}
    std::optional<Clock::time_point> of(qint64 pid) {
        std::lock_guard lock(m_mutex);
        const auto it = m_seen.find(pid);
        return it == m_seen.end() ? std::nullopt : std::optional(it->second);
    }

private:
    std::mutex m_mutex;
    std::map<qint64, Clock::time_point> m_seen;
    std::unique_ptr<WindowSubscription> m_subscription;
};

double percentile(std::vector<double> v, double p) {
    std::sort(v.begin(), v.end());
    return v.empty() ? 0 : v[std::min(v.size() - 1, size_t(p * double(v.size() - 1) + 0.5))];
}

void MapToPlaced(benchmark::State& state) {
    Appearances appearances;
    // No settle period: the placement ends the moment its frame is answered.
    WindowPlacers placers(bench::desktop().windows(), frames(),
                          {20, std::chrono::milliseconds(20000), std::chrono::milliseconds(0)});
    int index = 0;
    for (auto _ : state) {
        const PositionName position = index++ % 2 ? PositionName::leftHalf : PositionName::topRight;
        RunningApplication app;
        app.windowsSince = bench::desktop().windows().appearanceMark();
        std::promise<std::pair<PlacementResult, Clock::time_point>> done;
        auto result = done.get_future();
        Client client;
        if (!client.started()) {
            state.SkipWithError("the client did not start");
            break;
        }
        app.pid = client.pid();
        placers.startPlacingAppWindow(app, position, [&](const PlacementResult& r) {
            done.set_value({r, Clock::now()});
        });
        const auto [placed, at] = result.get();
        const auto appeared = appearances.of(app.pid);
        if (!placed.placed || !appeared) {
            state.SkipWithError("the window was not placed");
            break;
        }
        state.SetIterationTime(std::chrono::duration<double>(at - *appeared).count());
        state.counters["attempts"] = placed.attempts;
    }
}
BENCHMARK(MapToPlaced)
    ->UseManualTime()
    ->Iterations(1)
    ->Repetitions(60)
    ->ReportAggregatesOnly(true)
    ->ComputeStatistics("p95", [](const std::vector<double>& v) { return percentile(v, 0.95); })
    ->ComputeStatistics("max",
                        [](const std::vector<double>& v) {
                            return *std::max_element(v.begin(), v.end());
                        })
    ->Unit(benchmark::kMillisecond);

// The client's window, once the layer knows it.
std::optional<WindowId> windowOf(qint64 pid) {
    const auto deadline = Clock::now() + std::chrono::seconds(10);
    while (Clock::now() < deadline) {
        for (const WindowInfo& w : bench::desktop().windows().windows())
            if (w.pid == pid)
                return w.id;
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    return std::nullopt;
}

void SetFrameCost(benchmark::State& state) {
    Client client;
    const auto window = client.started() ? windowOf(client.pid()) : std::nullopt;
    if (!window) {
        state.SkipWithError("no window");
        return;
    }
    Windows& windows = bench::desktop().windows();
    const QRect frames[] = {QRect(100, 100, 400, 300), QRect(300, 200, 500, 350)};
    const bool moves = state.range(0);
    windows.setFrame(*window, frames[0]);
    quint64 trips = 0;
    int index = 0;
    for (auto _ : state) {
        const quint64 before = windows.roundTrips();
        const auto frame = windows.setFrame(*window, frames[moves ? ++index % 2 : 0]);
        trips += windows.roundTrips() - before;
        benchmark::DoNotOptimize(frame);
    }
    state.counters["roundTrips"] =
        benchmark::Counter(double(trips), benchmark::Counter::kAvgIterations);
}
BENCHMARK(SetFrameCost)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

double cpuSeconds() {
    rusage usage{};
    ::getrusage(RUSAGE_SELF, &usage);
    return double(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
           double(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

void IdleCpu(benchmark::State& state) {
    Client clients[3];
    WindowPlacers placers(bench::desktop().windows(), frames());
    for (const Client& c : clients)
        windowOf(c.pid());
    for (auto _ : state) {
        const double before = cpuSeconds();
        std::this_thread::sleep_for(std::chrono::seconds(2));
        state.counters["cpuMs"] = (cpuSeconds() - before) * 1000;
    }
}
BENCHMARK(IdleCpu)->Iterations(1)->Unit(benchmark::kSecond);

} // namespace
