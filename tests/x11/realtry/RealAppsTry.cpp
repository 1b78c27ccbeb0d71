// Throwaway: real Debian applications, tried by hand (not committed).
#include "platform/Windows.h"
#include "platform/WorkAreas.h"
#include "platform/linux/GioWorkspaceServices.h"
#include "positioning/WindowPlacer.h"
#include "support/DesktopPlatform.h"
#include "support/PlacedFrame.h"
#include "support/ProcessChecks.h"
#include "support/Wait.h"
#include "support/X11Probe.h"

#include <QElapsedTimer>
#include <future>
#include <gtest/gtest.h>

namespace dexaro::test {
namespace {

TEST(RealApps, Try) {
    X11Probe probe;
    FrameCalculator frames{[] { return screenMetrics(desktop().workAreas()); }};
    WindowPlacers placers{desktop().windows(), frames};
    GioWorkspaceServices services{desktop().windows()};
    const QStringList entries = qEnvironmentVariable("DEXARO_TRY").split(',');
    auto open = [&](const QString& entry, bool newInstance) {
        auto opened = std::async(std::launch::async, [&] {
            std::optional<RunningApplication> app;
            services.openApplication(entry, {false, newInstance},
                                     [&](std::optional<RunningApplication> a, const QString& e) {
                                         app = a;
                                         if (!a)
                                             printf("  not launched: %s\n", qPrintable(e));
                                     });
            return app;
        });
        waitUntil([&] { return opened.wait_for(std::chrono::seconds(0)) == std::future_status::ready; });
        return opened.get();
    };
    auto place = [&](const char* what, const RunningApplication& app, PositionName position) {
        QElapsedTimer timer;
        timer.start();
        std::optional<PlacementResult> result;
        std::mutex m;
        placers.startPlacingAppWindow(app, position, [&](const PlacementResult& r) {
            std::lock_guard l(m);
            result = r;
        });
        const QRect target = placedFrame(position, probe.workArea());
        qint64 placedAt = -1;
        waitUntil([&] {
            std::lock_guard l(m);
            if (placedAt < 0)
                for (xcb_window_t w : probe.clientWindows())
                    if (const auto f = probe.frameRect(w); f && framedAt(*f, target, {20, 20}))
                        placedAt = timer.elapsed();
            return result.has_value();
        }, 40000);
        std::lock_guard l(m);
        const PlacementResult r = result.value_or(PlacementResult{});
        const auto frame = r.window ? probe.frameRect(r.window) : std::nullopt;
        printf("  %s: pid %lld handedBack %d placed %d attempts %d window 0x%x %s frame %d,%d %dx%d (target %d,%d %dx%d), at target %lld ms after launch\n",
               what, app.pid, app.handedBack, r.placed, r.attempts, r.window,
               r.window ? qPrintable(probe.wmClass(r.window).join('/')) : "-", frame ? frame->x() : -1,
               frame ? frame->y() : -1, frame ? frame->width() : -1, frame ? frame->height() : -1,
               target.x(), target.y(), target.width(), target.height(), placedAt);
        fflush(stdout);
        return r;
    };
    auto windowsLeft = [&] {
        QString all;
        for (xcb_window_t w : probe.clientWindows())
            if (!probe.wmClass(w).contains("Tint2"))
                all += QStringLiteral("0x%1(%2) ").arg(w, 0, 16).arg(probe.wmClass(w).join('/'));
        return all;
    };
    for (const QString& id : entries) {
        const QString entry = "file:///usr/share/applications/" + id + ".desktop";
        printf("%s\n", qPrintable(id));
        const auto a = open(entry, true);
        if (!a)
            continue;
        const PlacementResult ra = place("first start", *a, PositionName::leftHalf);
        const auto b = open(entry, true);
        const PlacementResult rb = b ? place("second start (new instance on)", *b, PositionName::bottomRight) : PlacementResult{};
        if (b) {
            services.terminate(*b);
            waitUntil([&] { return !probe.frameRect(rb.window); }, 8000);
            printf("  second switched off: windows left: %s; first's window still there: %d\n",
                   qPrintable(windowsLeft()), bool(probe.frameRect(ra.window)));
        }
        const auto c = open(entry, false);
        if (c) {
            place("start with new instance off", *c, PositionName::topRight);
            services.forceTerminate(*c);
            waitUntil([&] { return windowsLeft().isEmpty(); }, 8000);
            printf("  hand-back switched off with force: windows left: %s; first process alive %d\n",
                   qPrintable(windowsLeft()), processLives(a->pid));
        }
        services.terminate(*a);
        waitUntil([&] { return windowsLeft().isEmpty(); }, 8000);
        printf("  first switched off: windows left: %s; process alive %d\n", qPrintable(windowsLeft()),
               processLives(a->pid));
        services.forceTerminate(*a);
        fflush(stdout);
    }
}

} // namespace
} // namespace dexaro::test
