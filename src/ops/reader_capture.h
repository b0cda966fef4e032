// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <QString>

#include "ops/operation.h"

namespace vorna::ops {

struct ReaderCapture {
    Outcome outcome;
    QString text{};   // the card number, when Done
};

// Arms the reader, then asks it for a card for up to five seconds. The caller puts
// `text` into the card field only when the outcome is Done.
ReaderCapture ReadCardFromReader(const Env &env);

} // namespace vorna::ops
