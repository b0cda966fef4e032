// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <QString>
#include <array>

#include "ops/operation.h"

namespace vorna::ops {

// Edit54 ("Opiekun:"), Edit55 ("Obsługa:"), Edit56 ("Użytkownik:"), in block order.
using OpeningTimes = std::array<QString, 3>;

struct OpeningTimesRead {
    Outcome outcome;
    OpeningTimes texts{};   // plain decimal, only when Done
};

OpeningTimesRead readOpeningTimes(const Env &env);
// Each text must hold 0 to 255 tenths of a second; otherwise nothing is sent.
Outcome writeOpeningTimes(const Env &env, const OpeningTimes &texts);

} // namespace vorna::ops
