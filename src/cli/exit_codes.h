// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include "ops/operation.h"

namespace vorna::cli {

class Console;
class Session;

// What the program's exit status tells a script. Each failure has its own code so
// that a batch can tell a wrong file from a dead line.
enum ExitCode : int {
    kExitOk = 0,
    kExitFailed = 1,        // an operation ended in a way none of the codes below covers
    kExitUsage = 2,         // wrong options or arguments
    kExitPortFailed = 3,    // the port cannot be opened
    kExitNoAnswer = 4,      // the controller did not answer (or the port went away)
    kExitBadProject = 5,    // the project file cannot be read or written, or a field is invalid
    kExitMismatch = 6,      // the controller does not hold what the project file says
    kExitInterrupted = 130, // Ctrl-C, as a shell reports a program that SIGINT ended
};

// How an operation over `session` ended, as an exit code; for anything but Done,
// also why, in one line on stderr. A reply the link's check refused counts as the
// controller not answering, and is named ("reply to frame 12 (block 0x0060):
// header does not match").
int reportOutcome(ops::Outcome outcome, const Session &session, Console &console);

} // namespace vorna::cli
