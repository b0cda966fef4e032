// SPDX-License-Identifier: GPL-3.0-or-later
#include "ops/locker_opening.h"

#include "ops/fields.h"
#include "ops/texts.h"

namespace vorna::ops {

Outcome OpenLocker(const Env &env, int index, QStringView timeText)
{
    const link::Command &command = link::commands::OpenLocker;
    if (env.x.busy() || index < 0 || index >= link::memory::kLockers)
        return Outcome::Busy;
    // A time the controller cannot take is refused rather than cut to its low byte.
    const auto time = byteField(timeText);
    if (!time) {
        env.status(texts::kBadOpeningTime);
        return Outcome::InvalidInput;
    }
    if (const Outcome o = startChecks(env); o != Outcome::Done)
        return o;
    link::Exchange::Busy busy(env.x);
    env.x.purge();
    env.status(texts::openingLocker(index + 1));
    const auto device = env.address();
    if (!device)
        return Outcome::BadAddress;
    const std::uint8_t data[] = {*time};
    env.x.send(link::buildFrame(*device, command, index, data));
    switch (env.x.await(command)) {
    case link::WaitResult::Accepted:
        return Outcome::Done;
    case link::WaitResult::Cancelled:
        return Outcome::Cancelled;
    case link::WaitResult::BadReply:
        return Outcome::BadReply;
    case link::WaitResult::TimedOut:
        break;
    }
    env.status(texts::kWriteTimeout);
    return Outcome::TimedOut;
}

} // namespace vorna::ops
