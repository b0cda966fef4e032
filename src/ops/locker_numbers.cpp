// SPDX-License-Identifier: GPL-3.0-or-later
#include "ops/locker_numbers.h"

#include "ops/fields.h"
#include "ops/texts.h"

namespace vorna::ops {

using link::commands::ReadLockerNums;
using link::commands::WriteLockerNums;
using link::memory::kLockers;

bool LockerTextToDigits(QStringView text, LockerDigits &digits)
{
    if (text.size() < 3)
        return false;
    for (std::size_t i = 0; i < 3; ++i) {
        const char16_t c = text[qsizetype(i)].unicode();
        if (c < u'0' || c > u'9')
            return false;
        digits[i] = static_cast<std::uint8_t>(c - u'0');
    }
    return true;
}

LockerNumbersRead readLockerNumbers(const Env &env)
{
    LockerNumbersRead result{Outcome::Done};
    result.outcome = transfer(env, {ReadLockerNums, texts::kReadingLockerNumbers, texts::kTransferTimeout,
                                    texts::kLockerNumbersRead, {}, [&](int p) {
                                        QString text;
                                        for (std::uint8_t d : env.x.replyData(ReadLockerNums.count))
                                            text.append(QChar(u'0' + (d < 10 ? d : 0)));   // 10 or more shows as 0
                                        result.texts[std::size_t(p)] = text;
                                    }});
    return result;
}

LockerNumbersWrite writeLockerNumbers(const Env &env, const LockerTexts &texts)
{
    LockerNumbersWrite result{Outcome::Done};
    std::array<LockerDigits, kLockers> digits{};
    const auto check = [&] {
        for (std::size_t p = 0; p < texts.size(); ++p)
            if (!LockerTextToDigits(texts[p], digits[p]) && result.firstBadLocker < 0)
                result.firstBadLocker = int(p);
        if (result.firstBadLocker < 0)
            return Outcome::Done;
        env.status(texts::kBadLockerNumber);
        return Outcome::InvalidInput;
    };
    result.outcome = transfer(env, {WriteLockerNums, texts::kWritingLockerNumbers, texts::kTransferTimeout,
                                    texts::kLockerNumbersWritten, [&](int p) {
                                        const auto &d = digits[std::size_t(p)];
                                        return std::vector<std::uint8_t>(d.begin(), d.end());
                                    }},
                              check);
    return result;
}

LockerTexts autoNumberLockers(QStringView firstText)
{
    const auto start = static_cast<std::uint32_t>(integerField(firstText, 0));
    LockerTexts texts;
    for (std::uint32_t k = 0; k < std::uint32_t(kLockers); ++k) {
        const std::uint32_t m = start + k;   // wraps past 4294967295 to 0
        texts[k] = QString::number(m / 100) + QChar(u'0' + (m % 100) / 10) + QChar(u'0' + m % 10);
    }
    return texts;
}

} // namespace vorna::ops
