// SPDX-License-Identifier: GPL-3.0-or-later
#include "ops/fields.h"

#include "link/frame.h"

namespace vorna::ops {

std::optional<std::int32_t> parseIntegerField(QStringView text)
{
    qsizetype i = 0;
    const qsizetype n = text.size();
    while (i < n && text[i] == u' ')
        ++i;
    bool negative = false;
    if (i < n && (text[i] == u'-' || text[i] == u'+')) {
        negative = text[i] == u'-';
        ++i;
    }
    int base = 10;
    if (i < n && text[i] == u'$') {
        base = 16;
        ++i;
    } else if (i < n && (text[i] == u'x' || text[i] == u'X')) {
        base = 16;
        ++i;
    } else if (i + 1 < n && text[i] == u'0' && (text[i + 1] == u'x' || text[i + 1] == u'X')) {
        base = 16;
        i += 2;
    }
    if (i >= n)
        return std::nullopt;

    // Hexadecimal takes the full 32 bits ("$FFFFFFFF" is -1); decimal must fit the signed range.
    const std::uint64_t limit = base == 16 ? 0xFFFFFFFFull : (negative ? 0x80000000ull : 0x7FFFFFFFull);
    std::uint64_t value = 0;
    for (; i < n; ++i) {
        const char16_t c = text[i].unicode();
        int digit;
        if (c >= u'0' && c <= u'9')
            digit = c - u'0';
        else if (base == 16 && c >= u'a' && c <= u'f')
            digit = c - u'a' + 10;
        else if (base == 16 && c >= u'A' && c <= u'F')
            digit = c - u'A' + 10;
        else
            return std::nullopt;
        value = value * std::uint64_t(base) + std::uint64_t(digit);
        if (value > limit)
            return std::nullopt;
    }
    const auto bits = static_cast<std::uint32_t>(value);
    return static_cast<std::int32_t>(negative ? 0u - bits : bits);
}

std::int32_t integerField(QStringView text, std::int32_t fallback)
{
    return parseIntegerField(text).value_or(fallback);
}

std::optional<std::uint8_t> byteField(QStringView text)
{
    const auto v = parseIntegerField(text);
    if (!v || *v < 0 || *v > 255)
        return std::nullopt;
    return static_cast<std::uint8_t>(*v);
}

std::optional<std::uint8_t> deviceAddressField(QStringView text)
{
    const auto a = byteField(text);
    if (a == link::kBroadcastAddress)
        return std::nullopt;
    return a;
}

} // namespace vorna::ops
