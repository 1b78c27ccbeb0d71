#pragma once
// Checks a desktop entry with desktop-file-validate (desktop-file-utils), as
// desktops and packagers do.
#include <QProcess>
#include <QStandardPaths>
#include <QString>

namespace dexaro::test {

// What the validator found wrong with the entry; empty when it passed.
inline QString desktopEntryProblems(const QString& path) {
    const QString validator =
        QStandardPaths::findExecutable(QStringLiteral("desktop-file-validate"));
    if (validator.isEmpty())
        return QStringLiteral("desktop-file-validate (desktop-file-utils) is missing");
    QProcess validate;
    validate.start(validator, {path});
    if (!validate.waitForFinished(30000))
        return QStringLiteral("desktop-file-validate did not finish");
    if (validate.exitStatus() == QProcess::NormalExit && validate.exitCode() == 0)
        return QString();
    const QString output = QString::fromUtf8(validate.readAllStandardOutput());
    return output.isEmpty() ? QStringLiteral("rejected") : output;
}

} // namespace dexaro::test
