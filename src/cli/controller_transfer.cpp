// SPDX-License-Identifier: GPL-3.0-or-later
#include "cli/controller_transfer.h"

#include <algorithm>

#include "cli/card_records.h"
#include "cli/project_fields.h"
#include "ops/fields.h"
#include "ops/opening_times.h"
#include "ops/texts.h"

namespace vorna::cli {

using link::memory::kCardSlots;
using link::memory::kGuardians;
using link::memory::kLockers;
using project::SettingsField;

namespace {

const QString kCardsLabel = QStringLiteral("Karty");
const QString kLockersLabel = QStringLiteral("Numery szafek");
const QString kGuardiansLabel = QStringLiteral("Karty opiekuna");

// The window's LED read with its frames, texts and time-out, keeping the digit bytes
// that its fields show only as text (a byte of 10 or more as 0).
ops::Outcome readLockerDigits(const ops::Env &env, std::array<ops::LockerDigits, kLockers> &digits)
{
    using link::commands::ReadLockerNums;
    std::array<ops::LockerDigits, kLockers> read{};
    const ops::Outcome outcome =
        ops::transfer(env, {ReadLockerNums, ops::texts::kReadingLockerNumbers, ops::texts::kTransferTimeout,
                            ops::texts::kLockerNumbersRead, {}, [&](int p) {
                                const auto bytes = env.x.replyData(ReadLockerNums.count);
                                std::copy_n(bytes.begin(), read[std::size_t(p)].size(), read[std::size_t(p)].begin());
                            }});
    if (outcome == ops::Outcome::Done)
        digits = read;
    return outcome;
}

QString lockerText(const ops::LockerDigits &digits)
{
    QString text;
    for (std::uint8_t d : digits)
        text += QChar(u'0' + (d < 10 ? d : 0));
    return text;
}

} // namespace

ops::Outcome readController(Session &session, int cardType, ControllerState &state)
{
    using ops::Outcome;
    ControllerState read;
    const auto cards = ops::readCardList(session.env(kCardsLabel, kCardSlots));
    if (cards.outcome != Outcome::Done)
        return cards.outcome;
    if (const auto o = readLockerDigits(session.env(kLockersLabel, kLockers), read.tables.lockers);
        o != Outcome::Done)
        return o;
    const auto times = ops::readOpeningTimes(session.env());
    if (times.outcome != Outcome::Done)
        return times.outcome;
    const auto guardians = ops::readGuardians(session.env(kGuardiansLabel, kGuardians));
    if (guardians.outcome != Outcome::Done)
        return guardians.outcome;

    read.tables.records = cards.records;
    for (int s = 0; s < kCardSlots; ++s)
        read.values.cards[std::size_t(s)] = ops::CardRecordToText(cards.records[std::size_t(s)], cardType);
    for (int p = 0; p < kLockers; ++p)
        read.values.lockerNumbers[std::size_t(p)] = lockerText(read.tables.lockers[std::size_t(p)]);
    read.values.openingTimes = times.texts;
    for (std::size_t t = 0; t < times.texts.size(); ++t)
        read.tables.times[t] = ops::byteField(times.texts[t]).value_or(0);   // the reply byte in decimal
    read.values.guardians = guardians.grid;
    read.tables.masks = ops::masksFromGrid(guardians.grid);
    state = read;
    return Outcome::Done;
}

QStringList cardsTheFileLoses(const ControllerState &state, int cardType)
{
    QStringList problems;
    for (int s = 0; s < kCardSlots; ++s) {
        const QString why = cardTextLoss(state.tables.records[std::size_t(s)], cardType);
        if (!why.isEmpty())
            problems << QStringLiteral("%1 (karta %2): %3").arg(fieldKey(SettingsField::card(s)), QString::number(s), why);
    }
    return problems;
}

std::optional<ControllerTables> tablesToWrite(const project::Settings &values, int cardType)
{
    ControllerTables tables;
    for (int s = 0; s < kCardSlots; ++s) {
        const auto record = cardFileRecord(values.cards[std::size_t(s)], cardType);
        if (!record)
            return std::nullopt;
        tables.records[std::size_t(s)] = *record;
    }
    for (int p = 0; p < kLockers; ++p)
        if (!ops::LockerTextToDigits(values.lockerNumbers[std::size_t(p)], tables.lockers[std::size_t(p)]))
            return std::nullopt;
    for (std::size_t t = 0; t < tables.times.size(); ++t) {
        const auto time = ops::byteField(values.openingTimes[t]);
        if (!time)
            return std::nullopt;
        tables.times[t] = *time;
    }
    tables.masks = ops::masksFromGrid(values.guardians);
    return tables;
}

ops::Outcome writeController(Session &session, const project::Settings &values, int cardType)
{
    using ops::Outcome;
    const auto tables = tablesToWrite(values, cardType);
    if (!tables)
        return Outcome::InvalidInput;
    // The LED numbers and times go as texts, which the window's writes convert by the
    // same rules as tablesToWrite.
    if (const auto o = ops::writeCardRecords(session.env(kCardsLabel, kCardSlots), tables->records);
        o != Outcome::Done)
        return o;
    if (const auto o = ops::writeLockerNumbers(session.env(kLockersLabel, kLockers), values.lockerNumbers).outcome;
        o != Outcome::Done)
        return o;
    if (const auto o = ops::writeOpeningTimes(session.env(), values.openingTimes); o != Outcome::Done)
        return o;
    return ops::writeGuardians(session.env(kGuardiansLabel, kGuardians), values.guardians);
}

} // namespace vorna::cli
