// Start-up and idle cost of the real program, run inside a desktop session
// (scripts/x11-session.sh build/bin/bench_shell_startup):
//   - time from starting bin/dexaro to its popover's window being exposed;
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

namespace {

const QString program = QStringLiteral(DEXARO_BINARY_DIR "/bin/dexaro");

struct Started {
    qint64 msToPopover = -1;
};

// Starts Dexaro with a fresh home; waits for its "popover-shown" report.
Started startDexaro(QProcess& dexaro, const QTemporaryDir& home) {
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("XDG_DATA_HOME"), home.filePath(QStringLiteral("data")));
    env.insert(QStringLiteral("XDG_CONFIG_HOME"), home.filePath(QStringLiteral("config")));
    env.insert(QStringLiteral("DEXARO_REPORT_POPOVER_SHOWN"), QStringLiteral("1"));
    dexaro.setProcessEnvironment(env);
    const qint64 before = QDateTime::currentMSecsSinceEpoch();
    dexaro.start(program, {});
    Started result;
    QByteArray out;
    while (dexaro.waitForReadyRead(10000)) {
        out += dexaro.readAllStandardOutput();
        const int at = out.indexOf("popover-shown ");
        const int end = at < 0 ? -1 : out.indexOf('\n', at);
        if (end > 0) {
            result.msToPopover = out.mid(at + 14, end - at - 14).toLongLong() - before;
            break;
        }
    }
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
