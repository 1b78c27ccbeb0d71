#pragma once
// Runs a command-line tool of the test session (xdotool, xset, xmodmap,
// setxkbmap, xrandr) with its arguments as a list, waits for it while Qt's
// event loop keeps turning, and fails the test when it does not finish or fails.
#include "support/Wait.h"

#include <QProcess>
#include <QStringList>
#include <gtest/gtest.h>

namespace dexaro::test {

inline bool runProgram(const QString& program, const QStringList& arguments) {
    QProcess process;
    process.start(program, arguments);
    const bool finished = process.waitForStarted(20000) &&
                          waitUntil([&] { return process.state() == QProcess::NotRunning; }, 30000);
    if (finished && process.exitStatus() == QProcess::NormalExit && process.exitCode() == 0)
        return true;
    process.kill();
    process.waitForFinished(5000);
    ADD_FAILURE() << (QStringList{program} + arguments).join(u' ').toStdString() << ": "
                  << (finished ? process.readAllStandardError().toStdString() : "did not finish");
    return false;
}

} // namespace dexaro::test
