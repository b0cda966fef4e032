// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <QCoreApplication>
#include <QProcess>
#include <QString>
#include <QStringList>

namespace vorna::test {

// One of the project's programs, built beside the tests: <build>/tests/../<relative>.
inline QString builtProgram(const char *relative)
{
    return QCoreApplication::applicationDirPath() + "/../" + QString::fromUtf8(relative);
}

struct ProgramRun {
    int exitCode = -1;   // -1: crashed or did not finish in time
    QString out, err;
};

inline ProgramRun runProgram(const QString &path, const QStringList &args, int timeoutMs = 30000,
                             const QProcessEnvironment &env = QProcessEnvironment::systemEnvironment())
{
    QProcess process;
    process.setProcessEnvironment(env);
    process.start(path, args);
    ProgramRun run;
    if (!process.waitForFinished(timeoutMs))
        return run;
    run.exitCode = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
    run.out = QString::fromUtf8(process.readAllStandardOutput());
    run.err = QString::fromUtf8(process.readAllStandardError());
    return run;
}

} // namespace vorna::test
