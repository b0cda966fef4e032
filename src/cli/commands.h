// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include "cli/arguments.h"
#include "cli/console.h"

namespace vorna::cli {

// Each command of the program; the result is the exit code (exit_codes.h), and every
// failure has been reported on stderr in one line. A command checks its own input
// (the project file) before it opens the port, through withSession (session.h).

// Project files: read FILE, write FILE [--verify], verify FILE.
int runRead(const Arguments &args, Console &console);
int runWrite(const Arguments &args, Console &console);
int runVerify(const Arguments &args, Console &console);

// Single actions: open-locker N, set-address NEW, scan.
int runOpenLocker(const Arguments &args, Console &console);
int runSetAddress(const Arguments &args, Console &console);
int runScan(const Arguments &args, Console &console);

// Cards from the controller's reader into a project file: enroll FILE --slots MIEJSCA.
int runEnroll(const Arguments &args, Console &console);

// Project files alone, no port: diff A B, report FILE -o SHEET.pdf.
int runDiff(const Arguments &args, Console &console);
int runReport(const Arguments &args, Console &console);

} // namespace vorna::cli
