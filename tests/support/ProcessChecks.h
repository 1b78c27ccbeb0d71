#pragma once
// Looks at processes through /proc, as another program would: whether one
// still lives, and which children of the test were never reaped.
#include <QDir>
#include <QFile>
#include <QList>
#include <unistd.h>
#include <utility>

namespace dexaro::test {

// State letter, parent and process group of a process; state 0 when it is gone.
struct ProcState {
    char state = 0;
    qint64 ppid = 0;
    qint64 pgrp = 0;
};

inline ProcState procState(qint64 pid) {
    QFile file(QStringLiteral("/proc/%1/stat").arg(pid));
    if (pid <= 0 || !file.open(QIODevice::ReadOnly))
        return {};
    const QByteArray stat = file.readAll();
    const int close = stat.lastIndexOf(')');
    const QList<QByteArray> fields = stat.mid(close + 2).split(' ');
    if (close < 0 || fields.size() < 3 || fields[0].isEmpty())
        return {};
    return {fields[0][0], fields[1].toLongLong(), fields[2].toLongLong()};
}

// Running: exists and is not a zombie.
inline bool processLives(qint64 pid) {
    const char state = procState(pid).state;
    return state != 0 && state != 'Z' && state != 'X';
}

// Gone from the process table: it ended and was reaped.
inline bool processGone(qint64 pid) {
    return procState(pid).state == 0;
}

// Children of a process, with their states.
inline QList<std::pair<qint64, ProcState>> childrenOf(qint64 parent) {
    QList<std::pair<qint64, ProcState>> children;
    for (const QString& entry : QDir(QStringLiteral("/proc")).entryList(QDir::Dirs)) {
        bool numeric = false;
        const qint64 pid = entry.toLongLong(&numeric);
        if (!numeric)
            continue;
        const ProcState s = procState(pid);
        if (s.ppid == parent)
            children.append({pid, s});
    }
    return children;
}

// Children of this process that ended and were not reaped.
inline QList<qint64> zombieChildren() {
    QList<qint64> zombies;
    for (const auto& [pid, state] : childrenOf(::getpid()))
        if (state.state == 'Z')
            zombies.append(pid);
    return zombies;
}

// A terminal has finished starting once its shell runs, leading a process
// group of its own. Before that the hang-up with which it closes can miss the
// shell: xterm's child ignores hang-ups while it sets up the terminal.
inline bool shellStarted(qint64 terminal) {
    const auto exe = [](qint64 pid) {
        return QFile::symLinkTarget(QStringLiteral("/proc/%1/exe").arg(pid));
    };
    for (const auto& [pid, state] : childrenOf(terminal))
        if (state.pgrp == pid && !exe(pid).isEmpty() && exe(pid) != exe(terminal))
            return true;
    return false;
}

} // namespace dexaro::test
