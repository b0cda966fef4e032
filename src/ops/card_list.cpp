// SPDX-License-Identifier: GPL-3.0-or-later
#include "ops/card_list.h"

#include "ops/texts.h"

namespace vorna::ops {

using link::commands::ReadCards;
using link::commands::WriteCards;
using link::memory::kCardSlots;

CardListRead readCardList(const Env &env)
{
    CardListRead result{Outcome::Done};
    result.outcome = transfer(env, {ReadCards, texts::kReadingCards, texts::kReadTimeout, texts::kCardsRead, {},
                                    [&](int slot) {
                                        const auto data = env.x.replyData(ReadCards.count);
                                        std::copy(data.begin(), data.end(), result.records[std::size_t(slot)].begin());
                                    }});
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
    return {writeCardRecords(env, records)};
}

Outcome writeCardRecords(const Env &env, const std::array<CardRecord, kCardSlots> &records)
{
    return transfer(env, {WriteCards, texts::kWritingCards, texts::kTransferTimeout, texts::kCardsWritten,
                          [&](int slot) {
                              const auto &r = records[std::size_t(slot)];
                              return std::vector<std::uint8_t>(r.begin(), r.end());
                          }});
}

} // namespace vorna::ops
