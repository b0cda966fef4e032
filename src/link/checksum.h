// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <cstdint>
#include <span>

namespace vorna::link {

// 1 + the plain sum of every byte before the checksum. The controller's largest
// frame (18 bytes) cannot carry the sum past 16 bits.
std::uint16_t frameChecksum(std::span<const std::uint8_t> bytes);

} // namespace vorna::link
