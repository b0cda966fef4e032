// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <QByteArray>
#include <QList>
#include <QStringList>
#include <QTextStream>

namespace vorna::cli {

// The whole program: `args` without the program's own name; results on `out`,
// messages (and with --trace the frames) on `err`. The live progress display is
// drawn only when `err` writes to a terminal. Needs a QCoreApplication; returns the
// exit code (exit_codes.h); a write to either stream that failed makes it 1.
int runCli(QStringList args, QTextStream &out, QTextStream &err);

// The same with the arguments as bytes, as a POSIX system passes them: one that does
// not decode to text (decodeArguments) is refused with exit 2 before anything runs.
int runCliOnBytes(const QList<QByteArray> &rawArgs, QTextStream &out, QTextStream &err);

// The arguments, as the system passes them, run the report command: it needs a
// QGuiApplication (makeSheetApplication) where every other command runs under a
// QCoreApplication. Judged before any application exists; the command names are
// ASCII, so the system's own encoding of the other arguments does not matter here.
bool drawsSiteSheet(const QList<QByteArray> &rawArgs);

} // namespace vorna::cli
