// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <QString>

#include "ops/operation.h"

namespace vorna::ops {

struct ReaderCapture {
    Outcome outcome;
    QString text{};   // the card number, when Done
};

// How long the window's "Z czytnika" asks the reader for a card.
inline constexpr int kReaderDeadlineMs = 5000;

// Arms the reader, then asks it for a card for up to `deadlineMs`. The caller puts
// `text` into the card field only when the outcome is Done.
ReaderCapture ReadCardFromReader(const Env &env, int deadlineMs = kReaderDeadlineMs);

} // namespace vorna::ops
