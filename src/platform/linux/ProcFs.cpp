#include "platform/linux/ProcFs.h"

#include <QDir>
#include <QFile>
#include <QMultiHash>
#include <algorithm>
#include <sys/stat.h>

namespace dexaro::procfs {
namespace {

QString procPath(qint64 pid, const char* file) {
    return QStringLiteral("/proc/%1/%2").arg(pid).arg(QLatin1String(file));
}

QByteArray readAll(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return file.readAll();
}

QList<QByteArray> nulSeparated(const QByteArray& bytes) {
    QList<QByteArray> parts = bytes.split('\0');
    if (!parts.isEmpty() && parts.last().isEmpty())
        parts.removeLast();
    return parts;
}

} // namespace

QList<qint64> processIds() {
    QList<qint64> pids;
    const QStringList entries = QDir(QStringLiteral("/proc")).entryList(QDir::Dirs);
    for (const QString& entry : entries) {
        bool numeric = false;
        const qint64 pid = entry.toLongLong(&numeric);
        if (numeric && pid > 0)
            pids.append(pid);
    }
    std::sort(pids.begin(), pids.end());
    return pids;
}

std::optional<Status> status(qint64 pid) {
    if (pid <= 0)
        return std::nullopt;
    // The command name in parentheses may itself hold spaces and parentheses:
    // the fields start after the last closing one.
    const QByteArray stat = readAll(procPath(pid, "stat"));
    const int close = stat.lastIndexOf(')');
    if (close < 0 || close + 2 >= stat.size())
        return std::nullopt;
    const QList<QByteArray> fields = stat.mid(close + 2).split(' ');
    if (fields.size() < 2)
        return std::nullopt;
    const auto uid = owner(pid);
    if (!uid)
        return std::nullopt;
    Status s;
    s.state = fields[0].isEmpty() ? 0 : fields[0][0];
    s.ppid = fields[1].toLongLong();
    s.uid = *uid;
    return s;
}

std::optional<uid_t> owner(qint64 pid) {
    struct stat info {};
    if (pid <= 0 || ::stat(QByteArray("/proc/" + QByteArray::number(pid)).constData(), &info) != 0)
        return std::nullopt;
    return info.st_uid;
}

bool isAlive(qint64 pid) {
    const auto s = status(pid);
    return s && s->state != 'Z' && s->state != 'X' && s->state != 'x';
}

QString executable(qint64 pid) {
    if (pid <= 0)
        return {};
    return QFile::symLinkTarget(procPath(pid, "exe"));
}

QList<QByteArray> commandLine(qint64 pid) {
    if (pid <= 0)
        return {};
    return nulSeparated(readAll(procPath(pid, "cmdline")));
}

QList<QByteArray> environment(qint64 pid) {
    if (pid <= 0)
        return {};
    return nulSeparated(readAll(procPath(pid, "environ")));
}

std::optional<QByteArray> valueIn(const QList<QByteArray>& environment, const QByteArray& name) {
    const QByteArray prefix = name + '=';
    for (const QByteArray& entry : environment)
        if (entry.startsWith(prefix))
            return entry.mid(prefix.size());
    return std::nullopt;
}

std::optional<QByteArray> environmentValue(qint64 pid, const QByteArray& name) {
    return valueIn(environment(pid), name);
}

QList<qint64> descendants(qint64 pid) {
    QMultiHash<qint64, qint64> children;
    for (qint64 candidate : processIds())
        if (const auto s = status(candidate); s && s->state != 'Z' && s->state != 'X')
            children.insert(s->ppid, candidate);
    QList<qint64> found;
    QList<qint64> parents{pid};
    for (qsizetype i = 0; i < parents.size() && found.size() < 4096; ++i) {
        const QList<qint64> own = children.values(parents[i]);
        found.append(own);
        parents.append(own);
    }
    return found;
}

QList<qint64> namespacePids(qint64 pid) {
    if (pid <= 0)
        return {};
    const QByteArray text = readAll(procPath(pid, "status"));
    for (const QByteArray& line : text.split('\n')) {
        if (!line.startsWith("NSpid:"))
            continue;
        QList<qint64> pids;
        for (const QByteArray& field : line.mid(6).simplified().split(' '))
            if (!field.isEmpty())
                pids.append(field.toLongLong());
        return pids;
    }
    return {};
}

bool isInTree(qint64 pid, qint64 root) {
    for (int depth = 0; depth < 64 && pid > 1 && root > 0; ++depth) {
        if (pid == root)
            return true;
        const std::optional<Status> parent = status(pid);
        if (!parent)
            return false;
        pid = parent->ppid;
    }
    return false;
}

} // namespace dexaro::procfs
