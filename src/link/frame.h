// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <cstdint>
#include <span>
#include <vector>

#include "link/commands.h"

namespace vorna::link {

// Size of the command area and of the reply area, and of the driver queues.
inline constexpr int kAreaSize = 266;
// Reply data start after the 8 header bytes.
inline constexpr int kReplyDataOffset = 8;
// Every controller on the bus takes a frame for this device address as its own.
inline constexpr std::uint8_t kBroadcastAddress = 0;

// device address, code, count (16 bits), memory address (32 bits), data, checksum;
// multi-byte numbers high byte first. `data` is empty for read commands.
std::vector<std::uint8_t> buildFrame(std::uint8_t device, Code code, std::uint16_t count,
                                     std::uint32_t address, std::span<const std::uint8_t> data = {});

// Frame `index` of a table command: its address follows the command's stride.
std::vector<std::uint8_t> buildFrame(std::uint8_t device, const Command &command, int index,
                                     std::span<const std::uint8_t> data = {});

} // namespace vorna::link
