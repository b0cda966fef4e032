// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <string>

#include "results.h"

namespace vorna::bench {

// The first "model name" in a /proc/cpuinfo text; "unknown" when there is none.
std::string cpuModel(const std::string &cpuinfo);

// CPU model, online cores, kernel release, Qt run-time version, today's date and
// the load average: other work on the machine moves the figures.
Machine describeMachine();

} // namespace vorna::bench
