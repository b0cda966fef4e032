// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <chrono>
#include <cstdint>
#include <span>
#include <string>

namespace vorna::sim {

// "01 02 00 01"
std::string hexBytes(std::span<const std::uint8_t> bytes);
// One line on stderr, stamped with the seconds since `since`; dropped when stderr
// cannot take it at once.
void logLine(std::chrono::steady_clock::time_point since, const std::string &text);

} // namespace vorna::sim
