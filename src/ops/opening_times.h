// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <QString>
#include <array>

#include "link/memory_map.h"
#include "ops/operation.h"

namespace vorna::ops {

// In block order: the guardian's ("Opiekun:"), the service's ("Obsługa:"), the user's
// ("Użytkownik:") time.
using OpeningTimes = std::array<QString, link::memory::kOpeningTimes>;

struct OpeningTimesRead {
    Outcome outcome;
    OpeningTimes texts{};   // plain decimal, only when Done
};

OpeningTimesRead readOpeningTimes(const Env &env);
// Each text must hold 0 to 255 tenths of a second; otherwise nothing is sent.
Outcome writeOpeningTimes(const Env &env, const OpeningTimes &texts);

} // namespace vorna::ops
