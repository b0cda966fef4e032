// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <QString>
#include <QStringView>
#include <array>
#include <cstdint>

#include "link/memory_map.h"
#include "ops/operation.h"

namespace vorna::ops {

using LockerDigits = std::array<std::uint8_t, link::memory::kLockerDigits>;
using LockerTexts = std::array<QString, link::memory::kLockers>;   // lockers 1..20

// The first three characters as hundreds, tens and units; false unless all three
// are decimal digits. Characters after the third are ignored ("1000" gives 1, 0, 0).
bool LockerTextToDigits(QStringView text, LockerDigits &digits);

struct LockerNumbersRead {
    Outcome outcome;
    LockerTexts texts{};   // only when Done
};

// Reads the twenty LED numbers with CGauge2 as progress.
LockerNumbersRead readLockerNumbers(const Env &env);

struct LockerNumbersWrite {
    Outcome outcome;
    int firstBadLocker = -1;   // index 0..19 of the first field that failed
};

LockerNumbersWrite writeLockerNumbers(const Env &env, const LockerTexts &texts);

// Auto-numbering from locker 1's text: unsigned 32-bit count from its integer value
// (0 for anything else), at least three digits each.
LockerTexts autoNumberLockers(QStringView firstText);

} // namespace vorna::ops
