// SPDX-License-Identifier: GPL-3.0-or-later
#include "cli/project_fields.h"

#include "cli/card_records.h"
#include "ops/fields.h"
#include "link/memory_map.h"
#include "ops/card_numbers.h"
#include "ops/locker_numbers.h"
#include "project/key_table.h"

namespace vorna::cli {

QString fieldKey(const project::SettingsField &field) { return project::projectKey(field).path(); }

QString cardTypeName(int cardType)
{
    switch (cardType) {
    case ops::Unique:
        return QStringLiteral("Unique");
    case ops::Mifare4B:
        return QStringLiteral("MiFare 4B");
    default:
        return QStringLiteral("MiFare 7B");
    }
}

QStringList checkProject(const project::Settings &values, int cardType)
{
    using project::SettingsField;
    namespace memory = link::memory;
    QStringList problems;
    for (int s = 0; s < memory::kCardSlots; ++s) {
        const QString &text = values.cards[std::size_t(s)];
        if (!cardFileRecord(text, cardType))
            problems << QStringLiteral("%1: niewłaściwy kod karty '%2' (%3: %4 cyfr 0-9, A-F lub parzyście mniej)")
                            .arg(fieldKey(SettingsField::card(s)), text, cardTypeName(cardType),
                                 QString::number(ops::cardDigits(cardType)));
    }
    for (int p = 0; p < memory::kLockers; ++p) {
        const QString &text = values.lockerNumbers[std::size_t(p)];
        ops::LockerDigits digits{};
        if (!ops::LockerTextToDigits(text, digits))
            problems << QStringLiteral("%1: niewłaściwy numer szafki '%2'").arg(fieldKey(SettingsField::lockerNumber(p)), text);
    }
    for (int t = 0; t < memory::kOpeningTimes; ++t) {
        const QString &text = values.openingTimes[std::size_t(t)];
        if (!ops::byteField(text))
            problems << QStringLiteral("%1: niewłaściwy czas otwarcia '%2' (0-255)").arg(fieldKey(SettingsField::openingTime(t)), text);
    }
    return problems;
}

} // namespace vorna::cli
