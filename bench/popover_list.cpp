// The popover's workspace list with 1,000 workspaces: building the popover's
// content and showing it (first layout and paint), and reloading the list of a
// popover already built. Aim: under 50 ms for the first.
#include "activation/CustomNSPopoverView.h"
#include "activation/StatusBarItemViewController.h"
#include "activation/StatusBarPopoverCollectionView.h"
#include "activation/WorkspaceActivation.h"
#include "model/Packing.h"

#include <QCoreApplication>
#include <QPixmap>
#include <benchmark/benchmark.h>

using namespace dexaro;

namespace {

QList<WSListModelPtr> workspaces(int64_t count) {
    QList<WSListModelPtr> list;
    for (int64_t i = 0; i < count; ++i) {
        auto model = std::make_shared<WSListModel>();
        model->wsID = QString::number(-1000000 - i);
        // Every seventh name wraps to a second line.
        model->wsName =
            i % 7 ? QStringLiteral("Workspace %1").arg(i)
                  : QStringLiteral("A longer workspace name that wraps, number %1").arg(i);
        model->apps = {QStringLiteral("file:///usr/share/applications/org.gnome.Terminal.desktop"),
                       QStringLiteral("file:///usr/share/applications/firefox-esr.desktop")};
        model->urlLinkAdresses = {
            packLink(QStringLiteral("Docs"), QStringLiteral("docs.example.org"), markers::urlLink)};
        list.append(model);
    }
    return list;
}

// Content built, list filled, shown and painted once.
void BM_PopoverBuildAndFirstPaint(benchmark::State& state) {
    const QList<WSListModelPtr> list = workspaces(state.range(0));
    WorkspaceActivation activation{{}};
    for (auto _ : state) {
        StatusBarItemViewController controller(activation);
        CustomNSPopoverView* root = controller.view();
        activation.setWorkspaces(list);
        root->show();
        QPixmap painted = root->grab();
        benchmark::DoNotOptimize(painted);
        state.PauseTiming();
        root->hide();
        QCoreApplication::processEvents();
        state.ResumeTiming();
    }
}
BENCHMARK(BM_PopoverBuildAndFirstPaint)->Arg(1000)->Unit(benchmark::kMillisecond);

// "ReloadStatusBarPopoverWSCollectionList" on a shown popover: the rows again
// and a repaint.
void BM_PopoverReload(benchmark::State& state) {
    const QList<WSListModelPtr> list = workspaces(state.range(0));
    WorkspaceActivation activation{{}};
    StatusBarItemViewController controller(activation);
    CustomNSPopoverView* root = controller.view();
    root->show();
    for (auto _ : state) {
        activation.setWorkspaces(list);
        QPixmap painted = root->grab();
        benchmark::DoNotOptimize(painted);
    }
}
BENCHMARK(BM_PopoverReload)->Arg(1000)->Arg(10000)->Unit(benchmark::kMillisecond);

} // namespace
