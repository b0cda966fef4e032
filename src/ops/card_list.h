// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <QString>
#include <array>

#include "link/memory_map.h"
#include "ops/card_numbers.h"
#include "ops/operation.h"

namespace vorna::ops {

struct CardListRead {
    Outcome outcome;
    std::array<CardRecord, link::memory::kCardSlots> records{};   // all 32 only when Done
};

// Reads the controller's card table, slot 0 to 31, with CGauge1 as progress.
// The records are complete only when the outcome is Done.
CardListRead readCardList(const Env &env);

struct CardListWrite {
    Outcome outcome;
    int firstBadSlot = -1;   // the first card text that failed, when InvalidInput
};

// Writes the 32 card texts (slot order) after converting every one of them.
CardListWrite writeCardList(const Env &env, const std::array<QString, link::memory::kCardSlots> &texts, int typeIndex);
// The same with the records already made.
Outcome writeCardRecords(const Env &env, const std::array<CardRecord, link::memory::kCardSlots> &records);

} // namespace vorna::ops
