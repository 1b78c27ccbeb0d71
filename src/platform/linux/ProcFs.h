#pragma once
// What /proc tells about other processes: whether they live, whose they are,
// what they run and with which environment. Every read answers "nothing" for
// a process that is gone or that may not be read.
#include <QByteArray>
#include <QList>
#include <QString>
#include <optional>
#include <sys/types.h>

namespace dexaro::procfs {

struct Status {
    char state = 0;  // R, S, D, Z, ...
    qint64 ppid = 0; // parent
    uid_t uid = 0;   // owner of the process
};

// Every process id in /proc, ascending.
QList<qint64> processIds();
std::optional<Status> status(qint64 pid);
// The owner alone: much cheaper than status().
std::optional<uid_t> owner(qint64 pid);
// Exists and is neither a zombie nor dead.
bool isAlive(qint64 pid);
// The executable's path; empty when it cannot be read.
QString executable(qint64 pid);
QList<QByteArray> commandLine(qint64 pid);
// The process's environment as it was started, "NAME=value" entries.
QList<QByteArray> environment(qint64 pid);
// The value of one variable of such an environment; nullopt when unset.
std::optional<QByteArray> valueIn(const QList<QByteArray>& environment, const QByteArray& name);
std::optional<QByteArray> environmentValue(qint64 pid, const QByteArray& name);
// Every live descendant of pid (children first, then theirs), from one look
// through the process table.
QList<qint64> descendants(qint64 pid);
// Whether pid is root or one of its descendants (pids of this namespace),
// by the parents of pid.
bool isInTree(qint64 pid, qint64 root);
// The process's pid in each PID namespace it is in, outermost (this one's)
// first: NSpid of its status. Empty when it cannot be read.
QList<qint64> namespacePids(qint64 pid);

} // namespace dexaro::procfs
