// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <array>
#include <cstdint>

#include "link/memory_map.h"
#include "ops/operation.h"

namespace vorna::ops {

// [g][k]: guardian g+1 may open locker k+1.
using GuardianGrid = std::array<std::array<bool, link::memory::kLockers>, link::memory::kGuardians>;
// Bit k-1 set: the guardian may open locker k. Bits 20-23 are not lockers.
using GuardianMasks = std::array<std::uint32_t, link::memory::kGuardians>;

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
