// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <cstdint>
#include <optional>

#include "ops/operation.h"

namespace vorna::ops {

// Opens locker index 0..19 (position index + 1) for `time` tenths of a second
// (nullopt: what was typed is no time 0-255). An index outside 0..19 gives BadIndex and shows
// nothing. A successful opening keeps its announcing text.
Outcome OpenLocker(const Env &env, int index, std::optional<std::uint8_t> time);

} // namespace vorna::ops
