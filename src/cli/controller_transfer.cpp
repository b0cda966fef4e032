#include "cli/controller_transfer.h"

#include "cli/card_records.h"
#include "cli/project_fields.h"
#include "ops/guardians.h"
#include "ops/locker_numbers.h"
#include "ops/opening_times.h"

namespace vorna::cli {

namespace {

const QString kCardsLabel = QStringLiteral("Karty");
const QString kLockersLabel = QStringLiteral("Numery szafek");
const QString kGuardiansLabel = QStringLiteral("Karty opiekuna");

} // namespace

ops::Outcome readController(Session &session, int cardType, ControllerState &state)
{
    using ops::Outcome;
    const auto cards = ops::readCardList(session.env(kCardsLabel, ops::kCardSlots));
    if (cards.outcome != Outcome::Done)
        return cards.outcome;
    const auto lockers = ops::readLockerNumbers(session.env(kLockersLabel, ops::kLockers));
    if (lockers.outcome != Outcome::Done)
        return lockers.outcome;
    const auto times = ops::readOpeningTimes(session.env());
    if (times.outcome != Outcome::Done)
        return times.outcome;
    const auto guardians = ops::readGuardians(session.env(kGuardiansLabel, ops::kGuardians));
    if (guardians.outcome != Outcome::Done)
        return guardians.outcome;

    ControllerState read;
    read.records = cards.records;
    for (int s = 0; s < ops::kCardSlots; ++s)
        read.values.edits[std::size_t(kFirstCardEdit + s)] = ops::CardRecordToText(cards.records[std::size_t(s)], cardType);
    for (int p = 0; p < ops::kLockers; ++p)
        read.values.edits[std::size_t(kFirstLockerEdit + p)] = lockers.texts[std::size_t(p)];
    for (std::size_t t = 0; t < times.texts.size(); ++t)
        read.values.edits[std::size_t(kFirstTimeEdit) + t] = times.texts[t];
    read.values.ticks = guardians.grid;
    state = read;
    return Outcome::Done;
}

QStringList cardsTheFileLoses(const ControllerState &state, int cardType)
{
    QStringList problems;
    for (int s = 0; s < ops::kCardSlots; ++s) {
        const QString why = cardTextLoss(state.records[std::size_t(s)], cardType);
        if (!why.isEmpty())
            problems << QStringLiteral("%1 (karta %2): %3").arg(editKey(kFirstCardEdit + s), QString::number(s), why);
    }
    return problems;
}

ops::Outcome writeController(Session &session, const project::ProjectValues &values, int cardType)
{
    using ops::Outcome;
    std::array<ops::CardRecord, ops::kCardSlots> cards{};
    for (int s = 0; s < ops::kCardSlots; ++s) {
        const auto record = cardFileRecord(values.edits[std::size_t(kFirstCardEdit + s)], cardType);
        if (!record)
            return Outcome::InvalidInput;
        cards[std::size_t(s)] = *record;
    }
    ops::LockerTexts lockers;
    for (int p = 0; p < ops::kLockers; ++p)
        lockers[std::size_t(p)] = values.edits[std::size_t(kFirstLockerEdit + p)];
    ops::OpeningTimes times;
    for (std::size_t t = 0; t < times.size(); ++t)
        times[t] = values.edits[std::size_t(kFirstTimeEdit) + t];

    if (const auto o = ops::writeCardRecords(session.env(kCardsLabel, ops::kCardSlots), cards); o != Outcome::Done)
        return o;
    if (const auto o = ops::writeLockerNumbers(session.env(kLockersLabel, ops::kLockers), lockers).outcome;
        o != Outcome::Done)
        return o;
    if (const auto o = ops::writeOpeningTimes(session.env(), times); o != Outcome::Done)
        return o;
    return ops::writeGuardians(session.env(kGuardiansLabel, ops::kGuardians), values.ticks);
}

} // namespace vorna::cli
