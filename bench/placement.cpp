// Window placement under a real window manager. Run it inside a session:
//   scripts/x11-session.sh build/bin/bench_placement
//
// PlacementLatency: xclock is launched and placed as a workspace launch does it
// (default attempts and interval); each repetition measures the time from the
// moment the window manager lists the new window to the moment the placer has
// placed it. Median and worst over 20 launches.
// AttemptCost: one attempt of the placer on a window already in place, with
// the X round trips it waits for.
#include "platform/WindowAccess.h"
#include "positioning/WindowPlacer.h"
#include "support/BenchDesktop.h"

#include <QProcess>
#include <benchmark/benchmark.h>
#include <chrono>
#include <cstdlib>
#include <future>
#include <poll.h>
#include <xcb/xcb.h>

using namespace dexaro;
using Clock = std::chrono::steady_clock;

namespace {

// A second client watching the root window's client list.
class Watcher {
public:
    Watcher() {
        m_conn = xcb_connect(nullptr, nullptr);
        m_root = xcb_setup_roots_iterator(xcb_get_setup(m_conn)).data->root;
        m_clients = atom("_NET_CLIENT_LIST");
        m_pid = atom("_NET_WM_PID");
        const uint32_t mask = XCB_EVENT_MASK_PROPERTY_CHANGE;
        xcb_change_window_attributes(m_conn, m_root, XCB_CW_EVENT_MASK, &mask);
        xcb_flush(m_conn);
    }
    ~Watcher() { xcb_disconnect(m_conn); }

    // Waits until a managed window of pid is listed; its time, or nullopt.
    std::optional<Clock::time_point> waitForWindowOf(qint64 pid, std::chrono::seconds timeout) {
        const auto deadline = Clock::now() + timeout;
        while (Clock::now() < deadline) {
            if (hasWindowOf(pid))
                return Clock::now();
            pollfd fd{xcb_get_file_descriptor(m_conn), POLLIN, 0};
            ::poll(&fd, 1, 50);
            while (xcb_generic_event_t* e = xcb_poll_for_event(m_conn))
                std::free(e);
        }
        return std::nullopt;
    }

private:
    xcb_atom_t atom(const char* name) {
        auto* r =
            xcb_intern_atom_reply(m_conn, xcb_intern_atom(m_conn, 0, strlen(name), name), nullptr);
        const xcb_atom_t a = r ? r->atom : xcb_atom_t(XCB_ATOM_NONE);
        std::free(r);
        return a;
    }
    bool hasWindowOf(qint64 pid) {
        auto* list = xcb_get_property_reply(
            m_conn, xcb_get_property(m_conn, 0, m_root, m_clients, XCB_ATOM_WINDOW, 0, 4096),
            nullptr);
        bool found = false;
        if (list) {
            const auto* windows = static_cast<const xcb_window_t*>(xcb_get_property_value(list));
            const int n = xcb_get_property_value_length(list) / 4;
            for (int i = 0; i < n && !found; ++i) {
                auto* p = xcb_get_property_reply(
                    m_conn, xcb_get_property(m_conn, 0, windows[i], m_pid, XCB_ATOM_CARDINAL, 0, 1),
                    nullptr);
                if (p && xcb_get_property_value_length(p) == 4)
                    found =
                        *static_cast<const uint32_t*>(xcb_get_property_value(p)) == uint32_t(pid);
                std::free(p);
            }
        }
        std::free(list);
        return found;
    }

    xcb_connection_t* m_conn;
    xcb_window_t m_root;
    xcb_atom_t m_clients;
    xcb_atom_t m_pid;
};

FrameCalculator& frames() {
    static FrameCalculator calculator([] { return screenMetrics(bench::desktop().workAreas()); });
    return calculator;
}

// An xclock for the length of a benchmark: a client without size increments.
class RunningClock {
public:
    RunningClock() {
        m_process.start(QStringLiteral("xclock"), {});
        m_started = m_process.waitForStarted(5000);
    }
    ~RunningClock() {
        m_process.kill();
        m_process.waitForFinished(5000);
    }
    bool started() const { return m_started; }
    qint64 pid() const { return m_process.processId(); }

private:
    QProcess m_process;
    bool m_started = false;
};

void PlacementLatency(benchmark::State& state) {
    Watcher watcher;
    int index = 0;
    for (auto _ : state) {
        const PositionName position = index++ % 2 ? PositionName::leftHalf : PositionName::topRight;
        RunningClock clock;
        if (!clock.started()) {
            state.SkipWithError("xclock did not start");
            break;
        }
        const qint64 pid = clock.pid();
        auto placed = std::async(std::launch::async, [pid, position] {
            WindowPlacer placer(bench::desktop().windows(), frames());
            const auto result = placer.place(pid, position);
            return std::make_pair(result, Clock::now());
        });
        const auto appeared = watcher.waitForWindowOf(pid, std::chrono::seconds(10));
        const auto [result, done] = placed.get();
        if (!appeared || !result.placed) {
            state.SkipWithError("the window was not placed");
            break;
        }
        state.SetIterationTime(std::chrono::duration<double>(done - *appeared).count());
        state.counters["attempts"] = result.attempts;
    }
}
BENCHMARK(PlacementLatency)
    ->UseManualTime()
    ->Iterations(1)
    ->Repetitions(20)
    ->ReportAggregatesOnly(true)
    ->ComputeStatistics("max",
                        [](const std::vector<double>& v) {
                            return *std::max_element(v.begin(), v.end());
                        })
    ->Unit(benchmark::kMillisecond);

void AttemptCost(benchmark::State& state) {
    RunningClock clock;
    if (!clock.started()) {
        state.SkipWithError("xclock did not start");
        return;
    }
    const qint64 pid = clock.pid();
    WindowPlacer placer(bench::desktop().windows(), frames(), {20, std::chrono::milliseconds(100)});
    if (!placer.place(pid, PositionName::centerThird).placed) {
        state.SkipWithError("the window was not placed");
        return;
    }
    WindowPlacer once(bench::desktop().windows(), frames(), {1, std::chrono::milliseconds(0)});
    quint64 trips = 0;
    for (auto _ : state) {
        const quint64 before = bench::desktop().windows().roundTrips();
        const auto result = once.place(pid, PositionName::centerThird);
        trips += bench::desktop().windows().roundTrips() - before;
        benchmark::DoNotOptimize(result);
    }
    state.counters["roundTrips"] =
        benchmark::Counter(double(trips), benchmark::Counter::kAvgIterations);
}
BENCHMARK(AttemptCost)->Unit(benchmark::kMicrosecond);

void MoveAndResizeCost(benchmark::State& state) {
    RunningClock clock;
    if (!clock.started()) {
        state.SkipWithError("xclock did not start");
        return;
    }
    const qint64 pid = clock.pid();
    WindowPlacer placer(bench::desktop().windows(), frames(), {20, std::chrono::milliseconds(100)});
    quint64 trips = 0;
    int index = 0;
    for (auto _ : state) {
        const PositionName position =
            index++ % 2 ? PositionName::leftThird : PositionName::bottomRight;
        const quint64 before = bench::desktop().windows().roundTrips();
        const auto result = placer.place(pid, position);
        trips += bench::desktop().windows().roundTrips() - before;
        if (!result.placed)
            state.SkipWithError("the window was not placed");
    }
    state.counters["roundTrips"] =
        benchmark::Counter(double(trips), benchmark::Counter::kAvgIterations);
}
BENCHMARK(MoveAndResizeCost)->Unit(benchmark::kMillisecond)->Iterations(20);

} // namespace
