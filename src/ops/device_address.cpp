// SPDX-License-Identifier: GPL-3.0-or-later
#include "ops/device_address.h"

#include "ops/texts.h"

namespace vorna::ops {

Outcome writeDeviceAddress(const Env &env, std::optional<std::uint8_t> newAddress)
{
    using link::commands::WriteAddress;
    const Entry entry(env, Target::Broadcast, [&] {
        // An address the user did not type would cut the controller off the bus.
        if (newAddress)
            return Outcome::Done;
        env.status(texts::kBadAddress);
        return Outcome::InvalidInput;
    });
    if (!entry)
        return entry.outcome();
    env.x.blockPause();
    env.x.purge();
    const std::uint8_t data[] = {*newAddress};
    env.x.send(link::buildFrame(link::kBroadcastAddress, WriteAddress, 0, data));
    env.status(texts::kAddressSent);
    return Outcome::Done;
}

} // namespace vorna::ops
