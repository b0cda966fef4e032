// SPDX-License-Identifier: GPL-3.0-or-later
#include "ops/card_numbers.h"

#include <QByteArray>

namespace vorna::ops {

int cardDigits(int typeIndex)
{
    switch (typeIndex) {
    case Mifare4B: return 8;
    case Unique: return 10;
    default: return 14;
    }
}

QString emptyCardText(int typeIndex) { return QString(cardDigits(typeIndex), u'F'); }

QString bytesToHex(std::span<const std::uint8_t> bytes)
{
    return QString::fromLatin1(
        QByteArray::fromRawData(reinterpret_cast<const char *>(bytes.data()), qsizetype(bytes.size())).toHex().toUpper());
}

static int hexValue(QChar c)
{
    const char16_t u = c.unicode();
    if (u >= u'0' && u <= u'9')
        return u - u'0';
    if (u >= u'A' && u <= u'F')
        return u - u'A' + 10;
    return -1;
}

std::optional<CardRecord> CardTextToRecord(QStringView text, int typeIndex)
{
    const int n = cardDigits(typeIndex);
    if (text.size() < n)
        return std::nullopt;
    CardRecord record{};
    for (int k = 0; k < n / 2; ++k) {
        const int hi = hexValue(text[2 * k]);
        const int lo = hexValue(text[2 * k + 1]);
        if (hi < 0 || lo < 0)
            return std::nullopt;
        record[std::size_t(k)] = static_cast<std::uint8_t>(hi << 4 | lo);
    }
    record[7] = static_cast<std::uint8_t>(n / 2);
    return record;
}

QString CardRecordToText(const CardRecord &record, int typeIndex)
{
    const int length = record[7];
    if (length > 7)
        return emptyCardText(typeIndex);
    return bytesToHex(std::span(record).first(std::size_t(length)));
}

} // namespace vorna::ops
