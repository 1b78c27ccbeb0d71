#pragma once
// Looks at processes through /proc, as another program would: whether one
// still lives, which children of the test were never reaped, and which
// processes this test run started.
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QList>
#include <QProcessEnvironment>
#include <QUuid>
#include <csignal>
#include <unistd.h>
#include <utility>

namespace dexaro::test {

// State letter, parent and process group of a process; state 0 when it is gone.
struct ProcState {
    char state = 0;
    qint64 ppid = 0, pgrp = 0;
};

inline ProcState procState(qint64 pid) {
    QFile file(QStringLiteral("/proc/%1/stat").arg(pid));
    if (pid <= 0 || !file.open(QIODevice::ReadOnly))
        return {};
    // "pid (comm) state ppid pgrp ...", where comm may hold spaces and parentheses.
    const QByteArray stat = file.readAll();
    const QList<QByteArray> fields = stat.mid(stat.lastIndexOf(')') + 2).split(' ');
    if (fields.size() < 3 || fields[0].isEmpty())
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

// Every process, with its state.
inline QList<std::pair<qint64, ProcState>> processes() {
    QList<std::pair<qint64, ProcState>> all;
    for (const QString& entry : QDir(QStringLiteral("/proc")).entryList(QDir::Dirs))
        if (const qint64 pid = entry.toLongLong(); pid > 0)
            all.append({pid, procState(pid)});
    return all;
}

// Children of this process that ended and were not reaped.
inline QList<qint64> zombieChildren() {
    QList<qint64> zombies;
    for (const auto& [pid, state] : processes())
        if (state.ppid == ::getpid() && state.state == 'Z')
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
    for (const auto& [pid, state] : processes())
        if (state.ppid == terminal && state.pgrp == pid && !exe(pid).isEmpty() &&
            exe(pid) != exe(terminal))
            return true;
    return false;
}

// Marks the programs a test starts, and everything they start in turn, by a
// variable in their environment, so that leftovers of this run are found and
// nothing else is touched.
class ProcessProbe {
public:
    QProcessEnvironment environment(QProcessEnvironment env) const {
        env.insert(QStringLiteral("DEXARO_TEST_RUN"), m_run);
        return env;
    }
    // What this process starts from now on carries the marker.
    void markThisProcess() const { qputenv("DEXARO_TEST_RUN", m_run.toUtf8()); }

    // Live marked processes running executable (any path that resolves to it).
    QList<qint64> running(const QString& executable) const {
        const QString wanted = QFileInfo(executable).canonicalFilePath();
        const QByteArray marker = "DEXARO_TEST_RUN=" + m_run.toLatin1();
        QList<qint64> found;
        for (const QString& entry : QDir(QStringLiteral("/proc")).entryList(QDir::Dirs)) {
            QFile environ(QStringLiteral("/proc/%1/environ").arg(entry));
            if (QFile::symLinkTarget(QStringLiteral("/proc/%1/exe").arg(entry)) == wanted &&
                environ.open(QIODevice::ReadOnly) && environ.readAll().split('\0').contains(marker))
                found.append(entry.toLongLong());
        }
        return found;
    }

    void terminateAll(const QString& executable) const {
        for (qint64 pid : running(executable))
            ::kill(pid_t(pid), SIGTERM);
    }

private:
    QString m_run = QUuid::createUuid().toString(QUuid::WithoutBraces);
};

} // namespace dexaro::test
