// SPDX-License-Identifier: GPL-3.0-or-later
#include "ops/guardians.h"

#include "ops/texts.h"

namespace vorna::ops {

using link::commands::ReadGuardians;
using link::commands::WriteGuardians;
using link::memory::kGuardians;
using link::memory::kLockers;

GuardianMasks masksFromGrid(const GuardianGrid &grid)
{
    GuardianMasks masks{};
    for (int g = 0; g < kGuardians; ++g)
        for (int k = 0; k < kLockers; ++k)
            if (grid[std::size_t(g)][std::size_t(k)])
                masks[std::size_t(g)] |= 1u << k;
    return masks;
}

GuardianGrid gridFromMasks(const GuardianMasks &masks)
{
    GuardianGrid grid{};
    for (int g = 0; g < kGuardians; ++g)
        for (int k = 0; k < kLockers; ++k)
            grid[std::size_t(g)][std::size_t(k)] = (masks[std::size_t(g)] >> k) & 1u;
    return grid;
}

GuardiansRead readGuardians(const Env &env)
{
    GuardianMasks masks{};
    GuardiansRead result{transfer(env, {ReadGuardians, texts::kReadingGuardians, texts::kTransferTimeout,
                                        texts::kGuardiansRead, {}, [&](int g) {
                                            const auto b = env.x.replyData(ReadGuardians.count);
                                            masks[std::size_t(g)] = std::uint32_t(b[0]) << 16 | std::uint32_t(b[1]) << 8 | b[2];
                                        }})};
    if (result.outcome == Outcome::Done)
        result.grid = gridFromMasks(masks);
    return result;
}

Outcome writeGuardians(const Env &env, const GuardianGrid &grid)
{
    const GuardianMasks masks = masksFromGrid(grid);
    return transfer(env, {WriteGuardians, texts::kWritingGuardians, texts::kTransferTimeout, texts::kGuardiansWritten,
                          [&](int g) {
                              const std::uint32_t m = masks[std::size_t(g)];
                              return std::vector<std::uint8_t>{std::uint8_t(m >> 16), std::uint8_t(m >> 8), std::uint8_t(m)};
                          }});
}

} // namespace vorna::ops
