// Switching workspaces on, in a real session with Dexaro's own start-up and the
// desktop's services (scripts/x11-session.sh build/bin/bench_activation):
//   - SwitchToAllPlaced: a workspace of five xclock entries, each with its own
//     placement; time from the switch being used to every window standing on
//     its frame, then switched off (polite close) before the next repetition.
//   - IdleWakeupsWithThreeWorkspacesOn: three workspaces on, the popover
//     closed; context switches of all of this process's threads over 10 s.
#include "activation/StatusBarItemViewController.h"
#include "activation/StatusBarPopoverCollectionView.h"
#include "activation/WorkspaceActivation.h"
#include "app/AppDelegate.h"
#include "app/CustomMainWindow.h"
#include "app/SharedObjects.h"
#include "model/WorkspaceStore.h"
#include "platform/ObjectStore.h"
#include "platform/Popover.h"
#include "platform/Windows.h"
#include "positioning/PositionsDBManager.h"
#include "support/BenchDesktop.h"
#include "support/BenchFakes.h"

#include <QCoreApplication>
#include <QDBusConnection>
#include <QDir>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QHash>
#include <QTemporaryDir>
#include <QThread>
#include <QTimer>
#include <QUrl>
#include <benchmark/benchmark.h>

using namespace dexaro;

namespace {

bool waitFor(const std::function<bool()>& condition, int timeoutMs) {
    QElapsedTimer timer;
    timer.start();
    while (!condition()) {
        if (timer.elapsed() > timeoutMs)
            return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
        QThread::msleep(5);
    }
    return true;
}

// Context switches of each thread of this process, by thread id.
QHash<QString, qint64> contextSwitches() {
    QHash<QString, qint64> switches;
    for (const QString& task :
         QDir(QStringLiteral("/proc/self/task")).entryList(QDir::Dirs | QDir::NoDotAndDotDot)) {
        QFile file(QStringLiteral("/proc/self/task/%1/status").arg(task));
        if (!file.open(QIODevice::ReadOnly))
            continue;
        for (const QByteArray& line : file.readAll().split('\n'))
            if (line.startsWith("voluntary_ctxt_switches:") ||
                line.startsWith("nonvoluntary_ctxt_switches:"))
                switches[task] += line.mid(line.indexOf(':') + 1).trimmed().toLongLong();
    }
    return switches;
}

// Switches since before, of the threads alive now (a thread that ended
// meanwhile is not counted; one that started counts from zero).
qint64 switchesSince(const QHash<QString, qint64>& before) {
    qint64 total = 0;
    const QHash<QString, qint64> now = contextSwitches();
    for (auto it = now.cbegin(); it != now.cend(); ++it)
        total += it.value() - before.value(it.key(), 0);
    return total;
}

// Dexaro started in this process over a store of the given workspaces.
class Session {
public:
    // Each workspace: the placements of its xclock entries.
    explicit Session(const QList<QList<PositionName>>& workspaces) {
        const QString storePath = m_home.filePath(QStringLiteral("Dexaro.sqlite"));
        QString error;
        {
            std::unique_ptr<ObjectStore> context = WorkspaceStore::openStore(storePath, &error);
            bench::SilentAlerts alerts;
            WorkspaceStore store(*context, alerts);
            PositionsDBManager positions(*context, alerts);
            int n = 0;
            for (const QList<PositionName>& placements : workspaces) {
                WorkspaceContents contents;
                contents.name = QStringLiteral("Bench %1").arg(m_ids.size());
                PositionMap map;
                for (PositionName position : placements) {
                    const QString url = entry(n++);
                    contents.apps << url;
                    map.insert(appPositionKey(url), rawValue(position));
                }
                m_ids << store.fillWorkspace(store.insertWorkspace(), contents);
                context->save(&error);
                positions.save(m_ids.last(), writePlacementString(map));
            }
        }
        AppServices services = AppServices::fromPlatform(bench::desktop());
        services.alerts = std::make_unique<bench::SilentAlerts>();
        services.loginItem = std::make_unique<bench::NoLoginItem>();
        services.storePath = storePath;
        services.exit = [](int) {
        };
        delegate = std::make_unique<AppDelegate>(bench::desktop(), std::move(services));
        m_started = delegate->applicationDidFinishLaunching() == AppDelegate::LaunchResult::Started;
        waitFor([&] { return delegate->isPopoverShown(); }, 5000);
    }
    ~Session() {
        delegate.reset();
        QDBusConnection::sessionBus().unregisterService(QStringLiteral("org.dexaro.Dexaro"));
    }

    bool started() const { return m_started; }
    const QStringList& ids() const { return m_ids; }
    WorkspaceActivation& activation() { return delegate->sharedObjects().activation(); }
    bool settled(const QString& id, ItemStateEnum state) {
        return waitFor([&] { return activation().itemState(id) == state; }, 30000);
    }

    std::unique_ptr<AppDelegate> delegate;

private:
    QString entry(int n) {
        QDir().mkpath(m_home.filePath(QStringLiteral("applications")));
        const QString path = m_home.filePath(QStringLiteral("applications/clock%1.desktop").arg(n));
        QFile file(path);
        file.open(QIODevice::WriteOnly);
        file.write("[Desktop Entry]\nType=Application\nName=Clock\nExec=xclock\n");
        return QUrl::fromLocalFile(path).toString();
    }

    QTemporaryDir m_home;
    QStringList m_ids;
    bool m_started = false;
};

// True when every launched window of the workspace stands on its frame.
bool allPlaced(Session& session, const QString& id, const QList<PositionName>& placements) {
    const QList<RunningApplication> apps = session.activation().records().launchedApps(id);
    if (apps.size() != placements.size())
        return false;
    FrameCalculator frames([] { return screenMetrics(bench::desktop().workAreas()); });
    int placed = 0;
    for (const RunningApplication& app : apps) {
        Windows& windows = bench::desktop().windows();
        std::optional<QRect> placedFrame;
        for (const WindowInfo& window : windows.windows())
            if (window.pid == app.pid && !placedFrame)
                placedFrame = windows.frame(window.id);
        if (!placedFrame)
            return false;
        const std::optional<QPointF> origin = QPointF(placedFrame->topLeft());
        const std::optional<QSizeF> size = QSizeF(placedFrame->size());
        for (PositionName position : placements) {
            const auto frame = frames.frame(position);
            if (frame && origin && size && qAbs(origin->x() - frame->x()) <= 1 &&
                qAbs(size->width() - frame->width()) <= 1)
                ++placed;
        }
    }
    return placed == placements.size();
}

void SwitchToAllPlaced(benchmark::State& state) {
    const QList<PositionName> placements{PositionName::leftThird, PositionName::centerThird,
                                         PositionName::rightThird, PositionName::topLeft,
                                         PositionName::bottomRight};
    Session session({placements});
    if (!session.started()) {
        state.SkipWithError("Dexaro did not start (is there a display?)");
        return;
    }
    const QString id = session.ids().first();
    for (auto _ : state) {
        QElapsedTimer timer;
        timer.start();
        session.activation().toggleWorkspace(id, true);
        const bool placed = waitFor([&] { return allPlaced(session, id, placements); }, 30000);
        state.SetIterationTime(double(timer.nsecsElapsed()) / 1e9);
        if (!placed) {
            state.SkipWithError("the windows were not all placed within 30 s");
            break;
        }
        session.settled(id, ItemStateEnum::active);
        state.PauseTiming();
        session.activation().toggleWorkspace(id, true);
        session.settled(id, ItemStateEnum::inactive);
        waitFor([] { return false; }, 500); // the clocks go
        state.ResumeTiming();
    }
}
BENCHMARK(SwitchToAllPlaced)->UseManualTime()->Iterations(5)->Unit(benchmark::kMillisecond);

void IdleWakeupsWithThreeWorkspacesOn(benchmark::State& state) {
    Session session({{PositionName::leftHalf}, {PositionName::rightHalf}, {PositionName::def}});
    if (!session.started()) {
        state.SkipWithError("Dexaro did not start (is there a display?)");
        return;
    }
    for (const QString& id : session.ids())
        session.activation().toggleWorkspace(id, true);
    for (const QString& id : session.ids())
        session.settled(id, ItemStateEnum::active);
    session.delegate->closePopover();
    for (auto _ : state) {
        waitFor([] { return false; }, 2000); // placements and start-up settle
        const QHash<QString, qint64> before = contextSwitches();
        QEventLoop loop;
        QTimer::singleShot(10000, &loop, &QEventLoop::quit);
        loop.exec();
        state.counters["wakeups_in_10s"] = double(switchesSince(before));
    }
    for (const QString& id : session.ids())
        session.activation().toggleWorkspace(id, true);
    for (const QString& id : session.ids())
        session.settled(id, ItemStateEnum::inactive);
}
BENCHMARK(IdleWakeupsWithThreeWorkspacesOn)->Iterations(1)->Unit(benchmark::kSecond);

} // namespace
