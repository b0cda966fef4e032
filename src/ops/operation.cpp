// SPDX-License-Identifier: GPL-3.0-or-later
#include "ops/operation.h"

#include "ops/fields.h"
#include "ops/texts.h"

namespace vorna::ops {

std::optional<std::uint8_t> Env::address() const
{
    const auto a = deviceAddressField(addressText());
    if (!a)
        status(texts::kBadAddress);
    return a;
}

Outcome startChecks(const Env &env)
{
    if (env.x.busy())
        return Outcome::Busy;
    if (!env.address())
        return Outcome::BadAddress;
    if (!env.x.portOpen()) {
        env.status(texts::kPortNotOpen);
        return Outcome::NoPort;
    }
    return Outcome::Done;
}

Outcome transfer(const Env &env, const Transfer &t)
{
    if (const Outcome o = startChecks(env); o != Outcome::Done)
        return o;
    link::Exchange::Busy busy(env.x);
    env.status(t.announce);
    for (int i = 0; i < t.command.frames; ++i) {
        const auto device = env.address();
        if (!device)
            return Outcome::BadAddress;
        const std::vector<std::uint8_t> data = t.payload ? t.payload(i) : std::vector<std::uint8_t>{};
        const auto frame = link::buildFrame(*device, t.command, i, data);
        switch (env.x.run(t.command, frame, [&] { env.progress(i); })) {
        case link::WaitResult::Cancelled:
            return Outcome::Cancelled;
        case link::WaitResult::BadReply:
            return Outcome::BadReply;
        case link::WaitResult::TimedOut:
            env.status(t.timeoutText);
            return Outcome::TimedOut;
        case link::WaitResult::Accepted:
            if (t.onReply)
                t.onReply(i);
            break;
        }
    }
    env.progress(t.command.frames);
    env.status(t.doneText);
    return Outcome::Done;
}

} // namespace vorna::ops
