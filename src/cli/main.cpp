#include <QCoreApplication>
#include <QFile>
#include <QTextStream>
#include <cstdio>

#include "cli/cli.h"

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    QFile outFile, errFile;
    outFile.open(stdout, QIODevice::WriteOnly);
    errFile.open(stderr, QIODevice::WriteOnly);
    QTextStream out(&outFile), err(&errFile);
    const int code = vorna::cli::runCli(QCoreApplication::arguments().mid(1), out, err);
    out.flush();
    err.flush();
    return code;
}
