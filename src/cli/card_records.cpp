// SPDX-License-Identifier: GPL-3.0-or-later
#include "cli/card_records.h"

#include <algorithm>

#include "cli/project_fields.h"
#include "link/memory_map.h"

namespace vorna::cli {

namespace {

constexpr ops::CardRecord kErased = {0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF};

// The erased record, or the window's record of the type's empty-card text: both read
// as that text.
bool isEmptyCard(const ops::CardRecord &r, int cardType)
{
    return r == kErased || r == ops::CardTextToRecord(ops::emptyCardText(cardType), cardType);
}

bool isHexDigit(QChar c)
{
    const char16_t u = c.unicode();
    return (u >= u'0' && u <= u'9') || (u >= u'A' && u <= u'F');
}

} // namespace

std::optional<ops::CardRecord> cardFileRecord(QStringView text, int cardType)
{
    if (text == ops::emptyCardText(cardType))
        return kErased;
    if (text.size() >= ops::cardDigits(cardType))
        return ops::CardTextToRecord(text, cardType);
    if (text.size() % 2 != 0 || !std::all_of(text.begin(), text.end(), isHexDigit))
        return std::nullopt;
    ops::CardRecord record{};
    for (qsizetype k = 0; k < text.size() / 2; ++k)
        record[std::size_t(k)] = std::uint8_t(QStringView(text).mid(2 * k, 2).toUInt(nullptr, 16));
    record[7] = std::uint8_t(text.size() / 2);
    return record;
}

bool sameCard(const ops::CardRecord &a, const ops::CardRecord &b, int cardType)
{
    return a == b || (isEmptyCard(a, cardType) && isEmptyCard(b, cardType));
}

QString cardTextLoss(const ops::CardRecord &record, int cardType)
{
    const QString text = ops::CardRecordToText(record, cardType);
    const auto back = cardFileRecord(text, cardType);
    if (back && sameCard(*back, record, cardType))
        return {};
    const int length = record[7];
    const int room = ops::cardDigits(cardType) / 2;
    if (length > link::memory::kCardNumberBytes)
        return QStringLiteral("rekord %1 ma długość %2 (powyżej 7): plik pokazałby go jako pustą kartę %3")
            .arg(ops::bytesToHex(record), QString::number(length), text);
    if (length > room)
        return QStringLiteral("karta %1-bajtowa %2 nie mieści się w typie %3 (%4 bajtów): zapis pliku by ją skrócił; "
                              "użyj --card-type mifare7b")
            .arg(QString::number(length), text, cardTypeName(cardType), QString::number(room));
    return QStringLiteral("rekord %1 ma za numerem karty bajty różne od zera, których plik nie przechowa")
        .arg(ops::bytesToHex(record));
}

} // namespace vorna::cli
