// Start-up and idle cost of the real program, run inside a desktop session
// (scripts/x11-session.sh build/bin/bench_shell_startup):
//   - time from starting bin/dexaro to its popover's window being mapped;
//   - resident memory once the popover is shown;
//   - wake-ups while idle: context switches of all its threads over 5 s;
//   - both of the first two against bin/bench_minimal_tray, the least a Qt
//     tray program with a popover does, started in turn with Dexaro so that
//     the machine's load falls on both alike.
#include "model/WorkspaceStore.h"
#include "platform/Alerts.h"

#include <QDateTime>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QThread>
#include <algorithm>
#include <benchmark/benchmark.h>
#include <csignal>
#include <cstdlib>
#include <optional>
#include <poll.h>
#include <vector>
#include <xcb/xcb.h>

namespace {

const QString program = QStringLiteral(DEXARO_BINARY_DIR "/bin/dexaro");
const QString minimalTray = QStringLiteral(DEXARO_BINARY_DIR "/bin/bench_minimal_tray");

struct Started {
    qint64 msToPopover = -1;
};

// Watches the X server for Dexaro's popover: an override-redirect window of
// the process that gets mapped.
class MapWatcher {
public:
    MapWatcher() : m_conn(xcb_connect(nullptr, nullptr)) {
        if (xcb_connection_has_error(m_conn))
            return;
        m_root = xcb_setup_roots_iterator(xcb_get_setup(m_conn)).data->root;
        static const char name[] = "_NET_WM_PID";
        xcb_intern_atom_reply_t* atom = xcb_intern_atom_reply(
            m_conn, xcb_intern_atom(m_conn, 0, sizeof(name) - 1, name), nullptr);
        m_pidAtom = atom ? atom->atom : xcb_atom_t(XCB_ATOM_NONE);
        std::free(atom);
        const uint32_t mask = XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY;
        xcb_change_window_attributes(m_conn, m_root, XCB_CW_EVENT_MASK, &mask);
        xcb_flush(m_conn);
    }
    ~MapWatcher() { xcb_disconnect(m_conn); }

    // When a popover of pid was mapped (ms since the epoch), or -1 after timeoutMs.
    qint64 waitForPopoverOf(qint64 pid, int timeoutMs) {
        QElapsedTimer timer;
        timer.start();
        while (timer.elapsed() < timeoutMs && !xcb_connection_has_error(m_conn)) {
            while (xcb_generic_event_t* event = xcb_poll_for_event(m_conn)) {
                const qint64 at = QDateTime::currentMSecsSinceEpoch();
                bool found = false;
                if ((event->response_type & 0x7f) == XCB_MAP_NOTIFY) {
                    const auto* map = reinterpret_cast<xcb_map_notify_event_t*>(event);
                    found = map->override_redirect && pidOf(map->window) == pid;
                }
                std::free(event);
                if (found)
                    return at;
            }
            pollfd fd{xcb_get_file_descriptor(m_conn), POLLIN, 0};
            ::poll(&fd, 1, 50);
        }
        return -1;
    }

private:
    qint64 pidOf(xcb_window_t window) {
        xcb_get_property_reply_t* r = xcb_get_property_reply(
            m_conn, xcb_get_property(m_conn, 0, window, m_pidAtom, XCB_ATOM_CARDINAL, 0, 1),
            nullptr);
        qint64 pid = -1;
        if (r && xcb_get_property_value_length(r) == 4)
            pid = *static_cast<const uint32_t*>(xcb_get_property_value(r));
        std::free(r);
        return pid;
    }

    xcb_connection_t* m_conn;
    xcb_window_t m_root = XCB_NONE;
    xcb_atom_t m_pidAtom = XCB_ATOM_NONE;
};

class SilentAlerts : public dexaro::Alerts {
public:
    void warn(const QString&, const QString&, const QString&) override {}
    int ask(const QString&, const QString&, const QString&, const QStringList&) override {
        return 0;
    }
};

// Gives the home the store of an everyday start: count workspaces, each with
// three applications, two links and a file, and the settings a first start
// wrote.
void seedStore(const QTemporaryDir& home, int count) {
    const QString dir = home.filePath(QStringLiteral("data/Dexaro"));
    QDir().mkpath(dir);
    SilentAlerts alerts;
    auto context =
        dexaro::WorkspaceStore::openStore(dir + QStringLiteral("/Dexaro.sqlite"), nullptr);
    dexaro::WorkspaceStore store(*context, alerts);
    for (int i = 0; i < count; ++i)
        store.fillWorkspace(
            store.insertWorkspace(),
            {QStringLiteral("Workspace %1").arg(i),
             {QStringLiteral("file:///usr/share/applications/xterm.desktop"),
              QStringLiteral("file:///usr/share/applications/firefox-esr.desktop"),
              QStringLiteral("file:///usr/share/applications/org.gnome.gedit.desktop")},
             {{QStringLiteral("Docs"), QStringLiteral("https://docs.example.org")},
              {QStringLiteral("Board"), QStringLiteral("https://board.example.org")}},
             {{QStringLiteral("Notes"), QStringLiteral("/home/user/notes.txt")}}});
    store.writeSetting(dexaro::storedSettingName(QStringLiteral("runningAtLogin")),
                       QStringLiteral("0"));
    context->save();
}

// Starts Dexaro (or another program) with a fresh home; waits for its popover
// to be mapped.
Started startDexaro(QProcess& dexaro, const QTemporaryDir& home, const QString& path = program) {
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("XDG_DATA_HOME"), home.filePath(QStringLiteral("data")));
    env.insert(QStringLiteral("XDG_CONFIG_HOME"), home.filePath(QStringLiteral("config")));
    dexaro.setProcessEnvironment(env);
    MapWatcher watcher;
    const qint64 before = QDateTime::currentMSecsSinceEpoch();
    dexaro.start(path, {});
    Started result;
    if (!dexaro.waitForStarted(10000))
        return result;
    const qint64 shown = watcher.waitForPopoverOf(dexaro.processId(), 10000);
    if (shown >= 0)
        result.msToPopover = shown - before;
    return result;
}

void stopDexaro(QProcess& dexaro) {
    ::kill(pid_t(dexaro.processId()), SIGTERM);
    if (!dexaro.waitForFinished(10000)) {
        dexaro.kill();
        dexaro.waitForFinished();
    }
}

qint64 statusField(qint64 pid, const QByteArray& field, const QString& task = {}) {
    QFile file(task.isEmpty() ? QStringLiteral("/proc/%1/status").arg(pid)
                              : QStringLiteral("/proc/%1/task/%2/status").arg(pid).arg(task));
    if (!file.open(QIODevice::ReadOnly))
        return 0;
    for (const QByteArray& line : file.readAll().split('\n'))
        if (line.startsWith(field + ':'))
            return line.mid(field.size() + 1).trimmed().split(' ').first().toLongLong();
    return 0;
}

qint64 contextSwitches(qint64 pid) {
    qint64 total = 0;
    for (const QString& task : QDir(QStringLiteral("/proc/%1/task").arg(pid))
                                   .entryList(QDir::Dirs | QDir::NoDotAndDotDot))
        total += statusField(pid, "voluntary_ctxt_switches", task) +
                 statusField(pid, "nonvoluntary_ctxt_switches", task);
    return total;
}

void StartToPopoverShown(benchmark::State& state) {
    for (auto _ : state) {
        QTemporaryDir home;
        QProcess dexaro;
        const Started started = startDexaro(dexaro, home);
        if (started.msToPopover < 0) {
            state.SkipWithError("the popover was never shown (is there a display?)");
            break;
        }
        state.SetIterationTime(double(started.msToPopover) / 1000.0);
        stopDexaro(dexaro);
    }
}
BENCHMARK(StartToPopoverShown)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(10);

void ResidentMemoryAndIdleWakeups(benchmark::State& state) {
    for (auto _ : state) {
        QTemporaryDir home;
        QProcess dexaro;
        if (startDexaro(dexaro, home).msToPopover < 0) {
            state.SkipWithError("the popover was never shown (is there a display?)");
            break;
        }
        const qint64 pid = dexaro.processId();
        QThread::sleep(2); // let start-up work settle before measuring idle
        state.counters["rss_MiB"] = double(statusField(pid, "VmRSS")) / 1024.0;
        const qint64 before = contextSwitches(pid);
        QThread::sleep(5);
        state.counters["wakeups_in_5s"] = double(contextSwitches(pid) - before);
        stopDexaro(dexaro);
    }
}
BENCHMARK(ResidentMemoryAndIdleWakeups)->Iterations(1)->Unit(benchmark::kSecond);

struct Run {
    double ms = 0;
    double rssMiB = 0;
};

// One start of path in a fresh home, given a store of that many workspaces
// when there is a count; nullopt when its popover never showed.
std::optional<Run> runOnce(const QString& path, std::optional<int> workspaces) {
    QTemporaryDir home;
    if (workspaces)
        seedStore(home, *workspaces);
    QProcess process;
    const Started started = startDexaro(process, home, path);
    if (started.msToPopover < 0) {
        stopDexaro(process);
        return std::nullopt;
    }
    QThread::sleep(2); // let start-up work settle before measuring
    const Run run{double(started.msToPopover),
                  double(statusField(process.processId(), "VmRSS")) / 1024.0};
    stopDexaro(process);
    return run;
}

double median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

// Dexaro's everyday start with range(0) stored workspaces against the
// minimal tray program, started in turn five times; medians of each, and
// their ratios. (StartToPopoverShown above is a first start, store made.)
void AgainstMinimalTrayProgram(benchmark::State& state) {
    const int workspaces = int(state.range(0));
    for (auto _ : state) {
        std::vector<double> ms, rss, minimalMs, minimalRss;
        for (int round = 0; round < 5; ++round) {
            const std::optional<Run> dexaro = runOnce(program, workspaces);
            const std::optional<Run> minimal = runOnce(minimalTray, std::nullopt);
            if (!dexaro || !minimal) {
                state.SkipWithError("a popover was never shown (is there a display and a tray?)");
                return;
            }
            ms.push_back(dexaro->ms);
            rss.push_back(dexaro->rssMiB);
            minimalMs.push_back(minimal->ms);
            minimalRss.push_back(minimal->rssMiB);
        }
        state.counters["ms"] = median(ms);
        state.counters["minimal_ms"] = median(minimalMs);
        state.counters["time_ratio"] = median(ms) / median(minimalMs);
        state.counters["rss_MiB"] = median(rss);
        state.counters["minimal_rss_MiB"] = median(minimalRss);
        state.counters["rss_ratio"] = median(rss) / median(minimalRss);
    }
}
BENCHMARK(AgainstMinimalTrayProgram)
    ->ArgName("workspaces")
    ->Arg(0)
    ->Arg(1000)
    ->Iterations(1)
    ->Unit(benchmark::kSecond);

} // namespace
