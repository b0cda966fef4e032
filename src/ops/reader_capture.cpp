// SPDX-License-Identifier: GPL-3.0-or-later
#include "ops/reader_capture.h"

#include "link/memory_map.h"
#include "ops/card_numbers.h"
#include "ops/texts.h"

namespace vorna::ops {

namespace {
// Quiet polls of 1 ms that a card reply must be followed by: a USB adapter hands on
// what it received every 16 ms, so later bytes of the same burst show up by then.
constexpr int kSettlePolls = 20;
} // namespace

// The reply headers are not ours to interpret, so a reply is judged by its length
// alone: it is taken only when exactly its 19 bytes came and nothing after them. An
// echo, a stray byte or a late arming answer then costs one query, never a card.
ReaderCapture ReadCardFromReader(const Env &env, int deadlineMs)
{
    using link::commands::Arming;
    using link::commands::ReaderQuery;
    const Entry entry(env, Target::Device);
    if (!entry)
        return {entry.outcome()};

    // Arming clears the card-present flag; its answer is not waited for beyond the
    // poll limit and is thrown away unread by the first query's purge.
    env.x.purge();
    const auto armingDevice = frameAddress(env);
    if (!armingDevice)
        return {Outcome::BadAddress};
    const std::uint8_t clearFlag[] = {0};
    env.x.send(link::buildFrame(*armingDevice, Arming, 0, clearFlag));
    if (env.x.await(Arming) == link::WaitResult::Cancelled)
        return {Outcome::Cancelled};

    link::Clock &clock = env.x.clock();
    const std::int64_t t0 = clock.nowMs();
    while (clock.nowMs() < t0 + deadlineMs) {
        // A stop asked for outside a wait (a front end's signal) ends it between
        // queries, as one asked for during a wait ends that wait.
        if (env.x.cancelled())
            return {Outcome::Cancelled};
        const auto device = frameAddress(env);
        if (!device)
            return {Outcome::BadAddress};
        // Each query starts on an empty queue, so whatever came in beside a reply
        // shifts none of the replies after it.
        const auto wait = env.x.run(ReaderQuery, link::buildFrame(*device, ReaderQuery, 0),
                                    [&] { env.status(texts::kHoldCard); });
        if (wait == link::WaitResult::Cancelled)
            return {Outcome::Cancelled};
        if (wait == link::WaitResult::BadReply)
            return {Outcome::BadReply};
        if (wait == link::WaitResult::TimedOut) {
            env.status(texts::kReaderTimeout);
            return {Outcome::TimedOut};
        }
        if (env.x.lastWaiting() > ReaderQuery.replyAwaited)
            continue;
        const auto area = env.x.replyData(ReaderQuery.count);
        if (area[0] == 0)
            continue;
        switch (env.x.watchAfterReply(kSettlePolls, ReaderQuery.pollPauseMs)) {
        case link::AfterReply::Quiet: break;
        case link::AfterReply::MoreBytes: continue;
        case link::AfterReply::Cancelled: return {Outcome::Cancelled};
        case link::AfterReply::PortLost:
            env.status(texts::kReaderTimeout);
            return {Outcome::TimedOut};
        }
        const int length = area[8];
        // A flag with no number bytes is no card.
        if (length == 0)
            continue;
        // Past seven bytes the length would take in the length byte and the checksum.
        if (length > link::memory::kCardNumberBytes) {
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
