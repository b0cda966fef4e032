// SPDX-License-Identifier: GPL-3.0-or-later
#include "sim/sample_site.h"

#include <cstdint>
#include <vector>

#include "link/memory_map.h"
#include "sim/pty_simulator.h"

namespace vorna::sim {

namespace memory = link::memory;
using Bytes = std::vector<std::uint8_t>;

void loadSampleSite(PtySimulator &sim)
{
    const struct {
        int slot;
        Bytes record;
    } cards[] = {
        {0, {0x0A, 0x1B, 0x2C, 0x3D, 0x4E, 0, 0, 5}},   // Master 1
        {1, {0x0A, 0x1B, 0x2C, 0x3D, 0x4F, 0, 0, 5}},   // Master 2
        {2, {0x11, 0x22, 0x33, 0x44, 0x55, 0, 0, 5}},   // Obsługa 1
        {5, {0x55, 0x66, 0x77, 0x88, 0x99, 0, 0, 5}},   // Opiekun 1
        {6, {0x55, 0x66, 0x77, 0x88, 0xAA, 0, 0, 5}},   // Opiekun 2
        {12, {0x90, 0x00, 0x00, 0x00, 0x01, 0, 0, 5}},  // wristbands of lockers 1-4
        {13, {0x90, 0x00, 0x00, 0x00, 0x02, 0, 0, 5}},
        {14, {0x90, 0x00, 0x00, 0x00, 0x03, 0, 0, 5}},
        {15, {0x90, 0x00, 0x00, 0x00, 0x04, 0, 0, 5}},
    };
    for (const auto &c : cards)
        sim.setBlock(std::uint32_t(8 * c.slot), c.record);
    for (std::uint32_t p = 0; p < std::uint32_t(memory::kLockers); ++p) {
        const std::uint32_t number = 101 + p;
        sim.setBlock(memory::kBlockLockerNumbers + 3 * p,
                     Bytes{std::uint8_t(number / 100), std::uint8_t(number / 10 % 10), std::uint8_t(number % 10)});
    }
    sim.setBlock(memory::kBlockOpeningTimes, Bytes{30, 50, 80});
    sim.setBlock(memory::kBlockGuardians, Bytes{0x00, 0x03, 0xFF, 0x0F, 0xFC, 0x00});
    for (std::uint32_t g = 2; g < 7; ++g)
        sim.setBlock(memory::kBlockGuardians + 3 * g, Bytes{0, 0, 0});
}

} // namespace vorna::sim
