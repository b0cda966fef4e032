// SPDX-License-Identifier: GPL-3.0-or-later
#include "link/frame.h"

#include "link/checksum.h"

namespace vorna::link {

std::vector<std::uint8_t> buildFrame(std::uint8_t device, Code code, std::uint16_t count,
                                     std::uint32_t address, std::span<const std::uint8_t> data)
{
    std::vector<std::uint8_t> f;
    f.reserve(10 + data.size());
    f.push_back(device);
    f.push_back(static_cast<std::uint8_t>(code));
    f.push_back(static_cast<std::uint8_t>(count >> 8));
    f.push_back(static_cast<std::uint8_t>(count));
    for (int shift = 24; shift >= 0; shift -= 8)
        f.push_back(static_cast<std::uint8_t>(address >> shift));
    f.insert(f.end(), data.begin(), data.end());
    const std::uint16_t sum = frameChecksum(f);
    f.push_back(static_cast<std::uint8_t>(sum >> 8));
    f.push_back(static_cast<std::uint8_t>(sum));
    return f;
}

std::vector<std::uint8_t> buildFrame(std::uint8_t device, const Command &command, int index,
                                     std::span<const std::uint8_t> data)
{
    return buildFrame(device, command.code, command.count, command.addressOf(index), data);
}

} // namespace vorna::link
