#pragma once
#include <QStringList>
#include <QTextStream>

namespace vorna::cli {

// The whole program: `args` without the program's own name; results on `out`,
// messages (and with --trace the frames) on `err`. The live progress display is
// drawn only when `err` writes to a terminal. Needs a QCoreApplication; returns the
// exit code (exit_codes.h); a write to either stream that failed makes it 1.
int runCli(QStringList args, QTextStream &out, QTextStream &err);

} // namespace vorna::cli
