#include "ops/reader_capture.h"

#include "ops/card_numbers.h"
#include "ops/texts.h"

namespace vorna::ops {

namespace {
constexpr int kDeadlineMs = 5000;
constexpr int kMaxNumberBytes = 7;
} // namespace

ReaderCapture ReadCardFromReader(const Env &env)
{
    using link::commands::Arming;
    using link::commands::ReaderQuery;
    if (const Outcome o = startChecks(env); o != Outcome::Done)
        return {o};
    link::Exchange::Busy busy(env.x);

    // Arming clears the card-present flag; its answer is not waited for beyond the
    // poll limit and is thrown away unread.
    env.x.purge();
    const auto armingDevice = env.address();
    if (!armingDevice)
        return {Outcome::BadAddress};
    const std::uint8_t clearFlag[] = {0};
    env.x.send(link::buildFrame(*armingDevice, Arming, 0, clearFlag));
    if (env.x.await(Arming) == link::WaitResult::Cancelled)
        return {Outcome::Cancelled};
    env.x.purge();

    link::Clock &clock = env.x.clock();
    const std::int64_t t0 = clock.nowMs();
    while (clock.nowMs() < t0 + kDeadlineMs) {
        env.x.blockPause();
        const auto device = env.address();
        if (!device)
            return {Outcome::BadAddress};
        env.x.send(link::buildFrame(*device, ReaderQuery, 0));
        env.status(texts::kHoldCard);
        const auto wait = env.x.await(ReaderQuery);
        if (wait == link::WaitResult::Cancelled)
            return {Outcome::Cancelled};
        if (wait == link::WaitResult::BadReply)
            return {Outcome::BadReply};
        if (wait == link::WaitResult::TimedOut) {
            env.status(texts::kReaderTimeout);
            return {Outcome::TimedOut};
        }
        const auto area = env.x.replyData(ReaderQuery.count);
        if (area[0] == 0)
            continue;
        const int length = area[8];
        // Past seven bytes the length would take in the length byte and the checksum.
        if (length > kMaxNumberBytes) {
            env.status(texts::kBadCardText);
            return {Outcome::BadReply};
        }
        env.status(texts::kCardCaptured);
        return {Outcome::Done, bytesToHex(area.subspan(1, std::size_t(length)))};
    }
    env.status(texts::kNoCard);
    return {Outcome::TimedOut};
}

} // namespace vorna::ops
