// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <QString>
#include <QStringView>
#include <array>
#include <cstdint>
#include <optional>
#include <span>

#include "link/memory_map.h"

namespace vorna::ops {

// Index of the card type selector: 0 "Unique", 1 "MiFare 4B", 2 "MiFare 7B".
enum CardType : int { Unique = 0, Mifare4B = 1, Mifare7B = 2 };

// Seven number bytes, then the number's length in bytes (above 7: an empty record).
using CardRecord = std::array<std::uint8_t, link::memory::kCardRecordSize>;

// Hex digits a card text of this type must have: 8 for index 1, 10 for 0, 14 otherwise.
int cardDigits(int typeIndex);
// What the user may type into a card field.
inline int cardMaxLength(int typeIndex) { return cardDigits(typeIndex); }
QString emptyCardText(int typeIndex);

// Upper-case hex, two digits a byte, no separator.
QString bytesToHex(std::span<const std::uint8_t> bytes);

// The first N characters of the text as a record; nullopt when any of them is not
// 0-9 or A-F, or the text is shorter.
std::optional<CardRecord> CardTextToRecord(QStringView text, int typeIndex);
QString CardRecordToText(const CardRecord &record, int typeIndex);

} // namespace vorna::ops
