// SPDX-License-Identifier: GPL-3.0-or-later
#include "ops/opening_times.h"

#include "ops/fields.h"
#include "ops/texts.h"

namespace vorna::ops {

using link::commands::ReadTimes;
using link::commands::WriteTimes;

OpeningTimesRead readOpeningTimes(const Env &env)
{
    OpeningTimesRead result{Outcome::Done};
    result.outcome = transfer(env, {ReadTimes, texts::kReadingTimes, texts::kReadTimeout, texts::kTimesRead, {},
                                    [&](int) {
                                        const auto b = env.x.replyData(ReadTimes.count);
                                        for (std::size_t i = 0; i < result.texts.size(); ++i)
                                            result.texts[i] = QString::number(b[i]);
                                    }});
    return result;
}

Outcome writeOpeningTimes(const Env &env, const OpeningTimes &texts)
{
    std::vector<std::uint8_t> times;
    // Refused rather than sent as 0 or cut to the low byte: the controller would get
    // times nobody typed.
    const auto check = [&] {
        for (const QString &t : texts) {
            const auto v = byteField(t);
            if (!v) {
                env.status(texts::kBadOpeningTime);
                return Outcome::InvalidInput;
            }
            times.push_back(*v);
        }
        return Outcome::Done;
    };
    return transfer(env, {WriteTimes, texts::kWritingTimes, texts::kWriteTimeout, texts::kTimesWritten,
                          [&](int) { return times; }},
                    check);
}

} // namespace vorna::ops
