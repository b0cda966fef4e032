// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

namespace vorna::cli {

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
};

} // namespace vorna::cli
