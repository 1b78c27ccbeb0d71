// Start-up and idle cost of the real program, run inside a desktop session
// (scripts/x11-session.sh build/bin/bench_shell_startup):
//   - time from starting bin/dexaro to its popover's window being mapped;
//   - resident memory once the popover is shown;
//   - wake-ups while idle: context switches of all its threads over 5 s.
#include <QDateTime>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QThread>
#include <benchmark/benchmark.h>
#include <csignal>
#include <cstdlib>
#include <poll.h>
#include <xcb/xcb.h>

namespace {

const QString program = QStringLiteral(DEXARO_BINARY_DIR "/bin/dexaro");

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

// Starts Dexaro with a fresh home; waits for its popover to be mapped.
Started startDexaro(QProcess& dexaro, const QTemporaryDir& home) {
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("XDG_DATA_HOME"), home.filePath(QStringLiteral("data")));
    env.insert(QStringLiteral("XDG_CONFIG_HOME"), home.filePath(QStringLiteral("config")));
    dexaro.setProcessEnvironment(env);
    MapWatcher watcher;
    const qint64 before = QDateTime::currentMSecsSinceEpoch();
    dexaro.start(program, {});
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

} // namespace
