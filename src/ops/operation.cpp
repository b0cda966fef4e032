#include "ops/operation.h"

#include "link/integer_field.h"
#include "ops/texts.h"

namespace vorna::ops {

std::optional<std::uint8_t> Env::address() const
{
    const auto a = link::byteField(addressText());
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

Outcome runFrames(const Env &env, const link::Command &command, int frames,
                  const std::function<std::vector<std::uint8_t>(int)> &payload,
                  const std::function<void(int)> &onReply, const QString &timeoutText)
{
    for (int i = 0; i < frames; ++i) {
        const auto device = env.address();
        if (!device)
            return Outcome::BadAddress;
        const std::vector<std::uint8_t> data = payload ? payload(i) : std::vector<std::uint8_t>{};
        const auto frame = link::buildFrame(*device, command, i, data);
        switch (env.x.run(command, frame, [&] { env.progress(i); })) {
        case link::WaitResult::Cancelled:
            return Outcome::Cancelled;
        case link::WaitResult::TimedOut:
            env.status(timeoutText);
            return Outcome::TimedOut;
        case link::WaitResult::Accepted:
            if (onReply)
                onReply(i);
            break;
        }
    }
    return Outcome::Done;
}

} // namespace vorna::ops
