// SPDX-License-Identifier: GPL-3.0-or-later
#include <QCoreApplication>
#include <QFile>
#include <QTextStream>
#include <memory>

#include "cli/cli.h"
#include "cli/site_sheet.h"
#include "cli/standard_streams.h"

int main(int argc, char **argv)
{
    const auto closedAtStart = vorna::cli::guardStandardFds();
    // Only the site sheet draws, and only its command needs QtGui's application.
    QList<QByteArray> raw;
    for (int i = 1; i < argc; ++i)
        raw << QByteArray(argv[i]);
    const std::unique_ptr<QCoreApplication> app = vorna::cli::drawsSiteSheet(raw)
        ? std::unique_ptr<QCoreApplication>(vorna::cli::makeSheetApplication(argc, argv))
        : std::make_unique<QCoreApplication>(argc, argv);
    // Unbuffered, so a failed write is seen by the stream that made it.
    QFile outFile, errFile;
    vorna::cli::ClosedStream closedOut, closedErr;
    outFile.open(1, QIODevice::WriteOnly | QIODevice::Unbuffered, QFileDevice::DontCloseHandle);
    errFile.open(2, QIODevice::WriteOnly | QIODevice::Unbuffered, QFileDevice::DontCloseHandle);
    QTextStream out(closedAtStart[1] ? static_cast<QIODevice *>(&closedOut) : &outFile);
    QTextStream err(closedAtStart[2] ? static_cast<QIODevice *>(&closedErr) : &errFile);
#ifdef Q_OS_WIN
    // The system hands the arguments over as UTF-16: nothing to decode.
    return vorna::cli::runCli(QCoreApplication::arguments().mid(1), out, err);
#else
    return vorna::cli::runCliOnBytes(raw, out, err);
#endif
}
