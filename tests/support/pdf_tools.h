// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <QProcess>
#include <QString>
#include <QStringList>
#include <gtest/gtest.h>

namespace vorna::test {

// The standard output of a poppler tool (pdftotext, pdfinfo, pdffonts) run on a PDF;
// a tool that is missing or fails is a test failure, never an empty pass.
inline QString popplerOutput(const QString &tool, const QStringList &args)
{
    QProcess p;
    p.start(tool, args);
    if (!p.waitForFinished(60000) || p.exitStatus() != QProcess::NormalExit || p.exitCode() != 0) {
        ADD_FAILURE() << tool.toStdString() << " failed: " << p.errorString().toStdString() << ' '
                      << p.readAllStandardError().toStdString();
        return {};
    }
    return QString::fromUtf8(p.readAllStandardOutput());
}

} // namespace vorna::test
