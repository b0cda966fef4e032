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

namespace {

Outcome writeRecords(const Env &env, const std::array<CardRecord, kCardSlots> &records, const FieldCheck &fields)
{
    return transfer(env, {WriteCards, texts::kWritingCards, texts::kTransferTimeout, texts::kCardsWritten,
                          [&](int slot) {
                              const auto &r = records[std::size_t(slot)];
                              return std::vector<std::uint8_t>(r.begin(), r.end());
                          }},
                    fields);
}

} // namespace

CardListWrite writeCardList(const Env &env, const std::array<QString, kCardSlots> &texts, int typeIndex)
{
    CardListWrite result{Outcome::Done};
    std::array<CardRecord, kCardSlots> records{};
    result.outcome = writeRecords(env, records, [&] {
        for (int s = 0; s < kCardSlots; ++s) {
            const auto record = CardTextToRecord(texts[std::size_t(s)], typeIndex);
            if (record)
                records[std::size_t(s)] = *record;
            else if (result.firstBadSlot < 0)
                result.firstBadSlot = s;
        }
        if (result.firstBadSlot < 0)
            return Outcome::Done;
        env.status(texts::kBadCardText);
        return Outcome::InvalidInput;
    });
    return result;
}

Outcome writeCardRecords(const Env &env, const std::array<CardRecord, kCardSlots> &records)
{
    return writeRecords(env, records, {});
}

} // namespace vorna::ops
