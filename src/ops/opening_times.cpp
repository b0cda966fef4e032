#include "ops/opening_times.h"

#include "link/integer_field.h"
#include "ops/texts.h"

namespace vorna::ops {

using link::commands::ReadTimes;
using link::commands::WriteTimes;

OpeningTimesRead readOpeningTimes(const Env &env)
{
    OpeningTimesRead result{startChecks(env)};
    if (result.outcome != Outcome::Done)
        return result;
    link::Exchange::Busy busy(env.x);
    env.status(texts::kReadingTimes);
    OpeningTimes read;
    result.outcome = runFrames(env, ReadTimes, 1, {}, [&](int) {
        const auto b = env.x.replyData(ReadTimes.count);
        for (std::size_t i = 0; i < read.size(); ++i)
            read[i] = QString::number(b[i]);
    }, texts::kReadTimeout);
    if (result.outcome != Outcome::Done)
        return result;
    result.texts = read;
    env.status(texts::kTimesRead);
    return result;
}

Outcome writeOpeningTimes(const Env &env, const OpeningTimes &texts)
{
    if (env.x.busy())
        return Outcome::Busy;
    // Refused rather than sent as 0 or cut to the low byte: the controller would get
    // times nobody typed.
    std::vector<std::uint8_t> times;
    for (const QString &t : texts) {
        const auto v = link::byteField(t);
        if (!v) {
            env.status(texts::kBadOpeningTime);
            return Outcome::InvalidInput;
        }
        times.push_back(*v);
    }
    if (const Outcome o = startChecks(env); o != Outcome::Done)
        return o;
    link::Exchange::Busy busy(env.x);
    env.status(texts::kWritingTimes);
    const Outcome outcome = runFrames(env, WriteTimes, 1, [&](int) { return times; }, {}, texts::kWriteTimeout);
    if (outcome == Outcome::Done)
        env.status(texts::kTimesWritten);
    return outcome;
}

} // namespace vorna::ops
