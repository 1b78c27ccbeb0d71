#pragma once
// Runs a command-line tool of the test session (xdotool, xset, xmodmap,
// setxkbmap, sqlite3) with its arguments as a list, waits for it while Qt's
// event loop keeps turning, and fails the test when it does not finish or fails.
#include "support/Wait.h"

#include <QProcess>
#include <QStringList>
#include <gtest/gtest.h>

namespace dexaro::test {

// With output, the tool's standard output, trimmed.
inline bool runProgram(const QString& program, const QStringList& arguments,
                       QString* output = nullptr) {
    const std::string command = (QStringList{program} + arguments).join(u' ').toStdString();
    QProcess process;
    process.start(program, arguments);
    const bool finished = process.waitForStarted(20000) &&
                          waitUntil([&] { return process.state() == QProcess::NotRunning; }, 30000);
    if (!finished) {
        process.kill();
        process.waitForFinished(5000);
        ADD_FAILURE() << command << " did not finish";
        return false;
    }
    if (output)
        *output = QString::fromUtf8(process.readAllStandardOutput()).trimmed();
    if (process.exitStatus() != QProcess::NormalExit || process.exitCode() != 0) {
        ADD_FAILURE() << command << ": " << process.readAllStandardError().toStdString();
        return false;
    }
    return true;
}

} // namespace dexaro::test
