#include "ops/card_list.h"

#include "ops/texts.h"

namespace vorna::ops {

using link::commands::ReadCards;
using link::commands::WriteCards;

CardListRead readCardList(const Env &env)
{
    CardListRead result{startChecks(env)};
    if (result.outcome != Outcome::Done)
        return result;
    link::Exchange::Busy busy(env.x);
    env.status(texts::kReadingCards);
    std::array<CardRecord, kCardSlots> records{};
    result.outcome = runFrames(env, ReadCards, kCardSlots, {}, [&](int slot) {
        const auto data = env.x.replyData(ReadCards.count);
        std::copy(data.begin(), data.end(), records[std::size_t(slot)].begin());
    }, texts::kReadTimeout);
    if (result.outcome != Outcome::Done)
        return result;
    env.progress(kCardSlots);
    result.records = records;
    env.status(texts::kCardsRead);
    return result;
}

CardListWrite writeCardList(const Env &env, const std::array<QString, kCardSlots> &texts, int typeIndex)
{
    if (env.x.busy())
        return {Outcome::Busy};
    std::array<CardRecord, kCardSlots> records{};
    int firstBad = -1;
    for (int s = 0; s < kCardSlots; ++s) {
        const auto record = CardTextToRecord(texts[std::size_t(s)], typeIndex);
        if (record)
            records[std::size_t(s)] = *record;
        else if (firstBad < 0)
            firstBad = s;
    }
    if (firstBad >= 0) {
        env.status(texts::kBadCardText);
        return {Outcome::InvalidInput, firstBad};
    }
    CardListWrite result{startChecks(env)};
    if (result.outcome != Outcome::Done)
        return result;
    link::Exchange::Busy busy(env.x);
    env.status(texts::kWritingCards);
    result.outcome = runFrames(env, WriteCards, kCardSlots, [&](int slot) {
        const auto &r = records[std::size_t(slot)];
        return std::vector<std::uint8_t>(r.begin(), r.end());
    }, {}, texts::kTransferTimeout);
    if (result.outcome != Outcome::Done)
        return result;
    env.progress(kCardSlots);
    env.status(texts::kCardsWritten);
    return result;
}

} // namespace vorna::ops
