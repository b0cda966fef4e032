// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <string>
#include <vector>

#include "results.h"

namespace vorna::bench {

// Start-up to the first painted window and peak resident memory of the tool's
// window beside an empty QWidget of the same size (and that QWidget with one
// label), each in a fresh child process.
// Must run before this process creates its own QApplication.
StartupResult measureStartup(int runs);

// The child's side. args: "form", "empty" or "label", the parent's launch stamp
// (monotonic ns), and for the last two the size as WIDTHxHEIGHT. Prints one line
// of key=value.
int startupChild(int argc, char **argv, const std::vector<std::string> &args);

// The value of `key` in a "key=value key=value" line; -1 when absent.
double field(const std::string &line, const std::string &key);

} // namespace vorna::bench
