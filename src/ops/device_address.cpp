// SPDX-License-Identifier: GPL-3.0-or-later
#include "ops/device_address.h"

#include "ops/fields.h"
#include "ops/texts.h"

namespace vorna::ops {

Outcome writeDeviceAddress(const Env &env, QStringView newAddressText)
{
    using link::commands::WriteAddress;
    if (env.x.busy())
        return Outcome::Busy;
    if (!env.x.portOpen())
        return Outcome::NoPort;
    // An address the user did not type would cut the controller off the bus.
    const auto address = byteField(newAddressText);
    if (!address) {
        env.status(texts::kBadAddress);
        return Outcome::InvalidInput;
    }
    link::Exchange::Busy busy(env.x);
    env.x.blockPause();
    env.x.purge();
    const std::uint8_t data[] = {*address};
    env.x.send(link::buildFrame(link::kBroadcastAddress, WriteAddress, 0, data));
    env.status(texts::kAddressSent);
    return Outcome::Done;
}

} // namespace vorna::ops
