// SPDX-License-Identifier: GPL-3.0-or-later
#include "link/checksum.h"

namespace vorna::link {

std::uint16_t frameChecksum(std::span<const std::uint8_t> bytes)
{
    unsigned sum = 1;
    for (std::uint8_t b : bytes)
        sum += b;
    return static_cast<std::uint16_t>(sum);
}

} // namespace vorna::link
