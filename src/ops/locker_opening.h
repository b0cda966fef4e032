// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <QStringView>

#include "ops/operation.h"

namespace vorna::ops {

// Opens locker index 0..19 (position index + 1) for the time in `timeText`
// (Edit54, tenths of a second, 0-255). A successful opening keeps its announcing text.
Outcome OpenLocker(const Env &env, int index, QStringView timeText);

} // namespace vorna::ops
