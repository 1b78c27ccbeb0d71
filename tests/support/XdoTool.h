#pragma once
// Real input for the X11 tests: xdotool sends keys and pointer events through
// XTEST, so they reach the X server as a user's would. Each call waits for
// xdotool to finish while Qt's event loop keeps turning, and fails the test
// when xdotool fails.
#include "support/Wait.h"

#include <QPoint>
#include <QProcess>
#include <QStringList>
#include <gtest/gtest.h>

namespace dexaro::test {

class XdoTool {
public:
    static bool run(const QStringList& arguments) {
        QProcess process;
        process.start(QStringLiteral("xdotool"), arguments);
        const bool finished =
            process.waitForStarted(20000) &&
            waitUntil([&] { return process.state() == QProcess::NotRunning; }, 30000);
        if (!finished) {
            process.kill();
            process.waitForFinished(5000);
            ADD_FAILURE() << "xdotool " << arguments.join(u' ').toStdString() << " did not finish";
            return false;
        }
        if (process.exitStatus() != QProcess::NormalExit || process.exitCode() != 0) {
            ADD_FAILURE() << "xdotool " << arguments.join(u' ').toStdString() << ": "
                          << process.readAllStandardError().toStdString();
            return false;
        }
        return true;
    }
    // Key names as xdotool takes them: "ctrl+w", "Escape", "Up Return".
    static bool key(const QString& keys) {
        return run(QStringList{QStringLiteral("key")} + keys.split(u' ', Qt::SkipEmptyParts));
    }
    static bool mouseMove(const QPoint& at) {
        return run({QStringLiteral("mousemove"), QString::number(at.x()), QString::number(at.y())});
    }
    // Moves the pointer there and clicks the button (1 left, 2 middle, 3 right, 4/5 wheel).
    static bool click(const QPoint& at, int button = 1) {
        return run({QStringLiteral("mousemove"), QString::number(at.x()), QString::number(at.y()),
                    QStringLiteral("click"), QString::number(button)});
    }
};

} // namespace dexaro::test
