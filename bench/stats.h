// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <chrono>
#include <cstdint>
#include <string>
#include <vector>

namespace vorna::bench {

// Middle value; the mean of the two middle ones for an even count, 0 when empty.
double median(std::vector<double> values);

// Milliseconds on the monotonic clock, with sub-millisecond resolution.
double nowMs();
// Nanoseconds on the monotonic clock: the launch stamp handed to a child.
std::int64_t monotonicNs();

// "12.3" style: fixed with the given decimals.
std::string fixed(double value, int decimals);

} // namespace vorna::bench
