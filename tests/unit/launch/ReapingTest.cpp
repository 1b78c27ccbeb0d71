// Launched applications are reaped whichever thread launched them, also
// without an X11 display and with launches from several threads at once.
#include "platform/linux/GioWorkspaceServices.h"
#include "support/DesktopPlatform.h"
#include "support/ProcessChecks.h"
#include "support/Wait.h"
#include "support/XdgSandbox.h"

#include <gtest/gtest.h>
#include <mutex>
#include <thread>
#include <vector>

using namespace dexaro;
using namespace dexaro::test;

TEST(Reaping, ChildrenLaunchedFromAnyThreadAreReaped) {
    QTemporaryDir dir;
    const QString file = dir.filePath(QStringLiteral("quick.desktop"));
    XdgSandbox::writeText(file, QByteArray("[Desktop Entry]\nType=Application\nName=Quick\n"
                                           "Exec=true\n"));
    GioWorkspaceServices services{test::desktop().windows()};
    std::mutex mutex;
    QList<qint64> pids;
    QStringList errors;
    auto launch = [&] {
        services.openApplication(QUrl::fromLocalFile(file).toString(), {false, true},
                                 [&](std::optional<RunningApplication> app, const QString& error) {
                                     std::lock_guard lock(mutex);
                                     if (app)
                                         pids.append(app->pid);
                                     else
                                         errors.append(error);
                                 });
    };
    launch(); // the main thread
    std::vector<std::thread> workers;
    for (int i = 0; i < 4; ++i)
        workers.emplace_back(launch);
    for (std::thread& worker : workers)
        worker.join();

    EXPECT_TRUE(errors.isEmpty()) << qPrintable(errors.join(QLatin1Char('\n')));
    ASSERT_EQ(pids.size(), 5);
    EXPECT_TRUE(waitUntil([&] {
        return std::all_of(pids.begin(), pids.end(),
                           [](qint64 pid) { return pid > 0 && processGone(pid); });
    }));
    EXPECT_TRUE(zombieChildren().isEmpty());
}
