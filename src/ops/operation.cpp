// SPDX-License-Identifier: GPL-3.0-or-later
#include "ops/operation.h"

#include "ops/texts.h"

namespace vorna::ops {

namespace {

Outcome entryChecks(const Env &env, Target target, const FieldCheck &fields)
{
    // A click during another operation's wait: that operation goes on untouched.
    if (env.x.busy())
        return Outcome::Busy;
    if (target == Target::Broadcast) {
        if (!env.x.portOpen())
            return Outcome::NoPort;
        return fields ? fields() : Outcome::Done;
    }
    if (fields)
        if (const Outcome o = fields(); o != Outcome::Done)
            return o;
    if (!frameAddress(env))
        return Outcome::BadAddress;
    if (!env.x.portOpen()) {
        env.status(texts::kPortNotOpen);
        return Outcome::NoPort;
    }
    return Outcome::Done;
}

} // namespace

Entry::Entry(const Env &env, Target target, const FieldCheck &fields)
    : outcome_(entryChecks(env, target, fields))
{
    if (outcome_ == Outcome::Done)
        hold_.emplace(env.x);
}

std::optional<std::uint8_t> frameAddress(const Env &env)
{
    const auto a = env.deviceAddress();
    if (!a)
        env.status(texts::kBadAddress);
    return a;
}

Outcome transfer(const Env &env, const Transfer &t, const FieldCheck &fields)
{
    const Entry entry(env, Target::Device, fields);
    if (!entry)
        return entry.outcome();
    env.status(t.announce);
    for (int i = 0; i < t.command.frames; ++i) {
        const auto device = frameAddress(env);
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
