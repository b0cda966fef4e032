// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <QStringView>

#include "ops/operation.h"

namespace vorna::ops {

// Sends the address in `newAddressText` (Edit57) to the controller at bus address 0.
// With no port open it does nothing at all; no reply is awaited.
Outcome writeDeviceAddress(const Env &env, QStringView newAddressText);

} // namespace vorna::ops
