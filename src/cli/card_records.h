// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <QString>
#include <QStringView>
#include <optional>

#include "ops/card_numbers.h"

namespace vorna::cli {

// Card texts of a project file as vorna-cli sends them, so that what `read` saves a
// later `write` puts back unchanged:
// - the card type's empty-card text is the erased record (eight 0xFF bytes), the
//   state a controller ships in and the one that reads as that text;
// - a text of at least the type's digits converts as the window converts it (its
//   first 8, 10 or 14 digits);
// - a shorter text of pairs of digits 0-9, A-F is a card of that many bytes, as a
//   shorter card reads ("" is a card of length 0).
std::optional<ops::CardRecord> cardFileRecord(QStringView text, int cardType);

// Both records hold the same card as a file shows it under the card type: equal, or
// both the empty card (erased, or the window's record of the empty-card text).
bool sameCard(const ops::CardRecord &a, const ops::CardRecord &b, int cardType);

// Why the card type's text cannot carry this record back to the controller
// unchanged; empty when it can.
QString cardTextLoss(const ops::CardRecord &record, int cardType);

} // namespace vorna::cli
