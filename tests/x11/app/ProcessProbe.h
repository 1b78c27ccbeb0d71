#pragma once
// Processes of this test run: those whose executable is a given file and whose
// environment carries a marker variable that the test passed on.
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QList>
#include <QProcessEnvironment>
#include <QUuid>
#include <csignal>

namespace dexaro::test {

class ProcessProbe {
public:
    ProcessProbe()
        : m_marker("DEXARO_TEST_RUN=" + QUuid::createUuid().toByteArray(QUuid::WithoutBraces)) {}

    // The environment to start programs with: the caller's, plus the marker.
    QProcessEnvironment environment(QProcessEnvironment env) const {
        const int eq = m_marker.indexOf('=');
        env.insert(QString::fromLatin1(m_marker.left(eq)),
                   QString::fromLatin1(m_marker.mid(eq + 1)));
        return env;
    }

    // Live processes running executable (any path that resolves to it) with the marker.
    QList<qint64> running(const QString& executable) const {
        const QString wanted = QFileInfo(executable).canonicalFilePath();
        QList<qint64> found;
        const QStringList entries = QDir(QStringLiteral("/proc")).entryList(QDir::Dirs);
        for (const QString& entry : entries) {
            bool numeric = false;
            const qint64 pid = entry.toLongLong(&numeric);
            if (!numeric)
                continue;
            const QString exe = QFile::symLinkTarget(QStringLiteral("/proc/%1/exe").arg(pid));
            if (exe.isEmpty() || exe != wanted)
                continue;
            QFile environ(QStringLiteral("/proc/%1/environ").arg(pid));
            if (!environ.open(QIODevice::ReadOnly))
                continue;
            if (environ.readAll().split('\0').contains(m_marker))
                found.append(pid);
        }
        return found;
    }

    void terminateAll(const QString& executable, int signal = SIGTERM) const {
        for (qint64 pid : running(executable))
            ::kill(pid_t(pid), signal);
    }

private:
    QByteArray m_marker;
};

} // namespace dexaro::test
