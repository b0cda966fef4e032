// SPDX-License-Identifier: GPL-3.0-or-later
#include "ops/locker_opening.h"

#include "ops/texts.h"

namespace vorna::ops {

Outcome OpenLocker(const Env &env, int index, std::optional<std::uint8_t> time)
{
    const link::Command &command = link::commands::OpenLocker;
    const Entry entry(env, Target::Device, [&] {
        if (index < 0 || index >= link::memory::kLockers)
            return Outcome::BadIndex;
        // A time the controller cannot take is refused rather than cut to its low byte.
        if (!time) {
            env.status(texts::kBadOpeningTime);
            return Outcome::InvalidInput;
        }
        return Outcome::Done;
    });
    if (!entry)
        return entry.outcome();
    env.x.purge();
    env.status(texts::openingLocker(index + 1));
    const auto device = frameAddress(env);
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
