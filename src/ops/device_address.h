// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <cstdint>
#include <optional>

#include "ops/operation.h"

namespace vorna::ops {

// Sends `newAddress` (nullopt: what was typed is no address 0-255) to every controller
// on the bus at link::kBroadcastAddress. With no port open it does nothing at all, not
// even check the address; no reply is awaited.
Outcome writeDeviceAddress(const Env &env, std::optional<std::uint8_t> newAddress);

} // namespace vorna::ops
