// SPDX-License-Identifier: GPL-3.0-or-later
#include "cli/project_fields.h"

#include <QHash>

#include "cli/card_records.h"
#include "ops/card_list.h"
#include "ops/card_numbers.h"
#include "ops/fields.h"
#include "ops/locker_numbers.h"
#include "project/key_table.h"

namespace vorna::cli {

namespace {

// Control number to "SECTION/Key", one table for the edits and one for the boxes.
struct KeyNames {
    QHash<int, QString> edits, ticks;
    KeyNames()
    {
        for (const project::ProjectKey &k : project::projectKeys()) {
            auto &names = k.kind == project::ProjectKey::Kind::Text ? edits : ticks;
            names.insert(k.control, k.section + u'/' + k.key);
        }
    }
};

const KeyNames &keyNames()
{
    static const KeyNames names;
    return names;
}

} // namespace

QString editKey(int editNumber) { return keyNames().edits.value(editNumber, QStringLiteral("Edit%1").arg(editNumber)); }

QString tickKey(int boxNumber) { return keyNames().ticks.value(boxNumber, QStringLiteral("CheckBox%1").arg(boxNumber)); }

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

QStringList checkProject(const project::ProjectValues &values, int cardType)
{
    QStringList problems;
    for (int s = 0; s < ops::kCardSlots; ++s) {
        const int n = kFirstCardEdit + s;
        const QString &text = values.edits[std::size_t(n)];
        if (!cardFileRecord(text, cardType))
            problems << QStringLiteral("%1: niewłaściwy kod karty '%2' (%3: %4 cyfr 0-9, A-F lub parzyście mniej)")
                            .arg(editKey(n), text, cardTypeName(cardType),
                                 QString::number(ops::cardDigits(cardType)));
    }
    for (int p = 0; p < ops::kLockers; ++p) {
        const int n = kFirstLockerEdit + p;
        const QString &text = values.edits[std::size_t(n)];
        ops::LockerDigits digits{};
        if (!ops::LockerTextToDigits(text, digits))
            problems << QStringLiteral("%1: niewłaściwy numer szafki '%2'").arg(editKey(n), text);
    }
    for (int t = 0; t < kTimeEdits; ++t) {
        const int n = kFirstTimeEdit + t;
        const QString &text = values.edits[std::size_t(n)];
        if (!ops::byteField(text))
            problems << QStringLiteral("%1: niewłaściwy czas otwarcia '%2' (0-255)").arg(editKey(n), text);
    }
    return problems;
}

} // namespace vorna::cli
