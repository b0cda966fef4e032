// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <array>
#include <cstdint>

#include "ops/operation.h"

namespace vorna::ops {

inline constexpr int kGuardians = 7;
// Tick n (1..140) of the grid: guardian g = 1..7, locker k = 1..20 at n = 20(g-1) + k.
// Index 0 is unused so that the numbers match CheckBox1..CheckBox140.
using GuardianGrid = std::array<bool, 141>;
// Bit k-1 set: the guardian may open locker k. Bits 20-23 are not lockers.
using GuardianMasks = std::array<std::uint32_t, kGuardians>;

GuardianMasks masksFromGrid(const GuardianGrid &grid);
GuardianGrid gridFromMasks(const GuardianMasks &masks);

struct GuardiansRead {
    Outcome outcome;
    GuardianGrid grid{};   // only when Done
};

// Reads the seven masks with CGauge3 as progress.
GuardiansRead readGuardians(const Env &env);
Outcome writeGuardians(const Env &env, const GuardianGrid &grid);

} // namespace vorna::ops
