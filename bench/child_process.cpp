// SPDX-License-Identifier: GPL-3.0-or-later
#include "child_process.h"

#include <QFile>
#include <QStringList>

#include "stats.h"

namespace vorna::bench {

std::string selfPath() { return QFile::symLinkTarget(QStringLiteral("/proc/self/exe")).toStdString(); }

Child::Child() { process_.setProcessChannelMode(QProcess::ForwardedErrorChannel); }

Child::~Child()
{
    if (process_.state() != QProcess::NotRunning) {
        process_.terminate();
        process_.waitForFinished();
    }
}

bool Child::start(const std::vector<std::string> &args)
{
    QStringList arguments;
    for (const std::string &a : args)
        arguments.append(QString::fromStdString(a));
    process_.start(QString::fromStdString(selfPath()), arguments);
    return process_.waitForStarted();
}

std::string Child::readLine(int timeoutMs)
{
    const double deadline = nowMs() + timeoutMs;
    while (!process_.canReadLine()) {
        const int left = int(deadline - nowMs());
        if (process_.state() == QProcess::NotRunning)
            return process_.readAll().toStdString();
        if (left <= 0)
            return {};
        process_.waitForReadyRead(left);
    }
    return process_.readLine().chopped(1).toStdString();
}

void Child::closeInput() { process_.closeWriteChannel(); }

int Child::finish(std::string *rest, int timeoutMs)
{
    closeInput();
    if (!process_.waitForFinished(timeoutMs) && process_.state() != QProcess::NotRunning) {
        process_.terminate();   // it hung: end it rather than wait for ever
        process_.waitForFinished();
    }
    if (rest)
        *rest = process_.readAll().toStdString();
    return process_.exitStatus() == QProcess::NormalExit && process_.error() != QProcess::FailedToStart
               ? process_.exitCode()
               : -1;
}

} // namespace vorna::bench
