// SPDX-License-Identifier: GPL-3.0-or-later
#include "cli/verify.h"

#include <QByteArray>
#include <algorithm>

#include "cli/card_records.h"
#include "cli/project_fields.h"
#include "ops/fields.h"
#include "ops/locker_numbers.h"

namespace vorna::cli {

using link::memory::kCardSlots;
using link::memory::kLockers;
using link::memory::kOpeningTimes;
using project::SettingsField;

namespace {

QString tickText(bool ticked) { return ticked ? QStringLiteral("1") : QStringLiteral("0"); }

QString digitsText(const ops::LockerDigits &d)
{
    QString text;
    for (std::uint8_t digit : d)
        text += QChar(u'0' + (digit < 10 ? digit : 0));
    return text;
}

// A byte the window shows as 0 is named as a byte: "000 (bajty FF FF FF)".
QString digitBytesText(const ops::LockerDigits &d)
{
    if (std::all_of(d.begin(), d.end(), [](std::uint8_t digit) { return digit < 10; }))
        return digitsText(d);
    const QByteArray bytes(reinterpret_cast<const char *>(d.data()), qsizetype(d.size()));
    return digitsText(d) + QStringLiteral(" (bajty %1)").arg(QString::fromLatin1(bytes.toHex(' ').toUpper()));
}

Difference cardDifference(int slot, const ops::CardRecord &expected, const ops::CardRecord &actual, int cardType)
{
    QString want = ops::CardRecordToText(expected, cardType);
    QString have = ops::CardRecordToText(actual, cardType);
    if (want == have) {
        // Same text, other bytes: show the records, never two equal texts.
        want += QStringLiteral(" (rekord %1)").arg(ops::bytesToHex(expected));
        have += QStringLiteral(" (rekord %1)").arg(ops::bytesToHex(actual));
    }
    return {fieldKey(SettingsField::card(slot)), want, have};
}

void compareTicks(const ops::GuardianGrid &expected, const ops::GuardianGrid &actual, std::vector<Difference> &out)
{
    for (std::size_t g = 0; g < expected.size(); ++g) {
        for (std::size_t k = 0; k < expected[g].size(); ++k) {
            if (expected[g][k] != actual[g][k])
                out.push_back({fieldKey(SettingsField::guardian(int(g), int(k))), tickText(expected[g][k]),
                               tickText(actual[g][k])});
        }
    }
}

} // namespace

std::vector<Difference> compareWithController(const project::Settings &file, const ControllerState &controller,
                                              int cardType)
{
    std::vector<Difference> differences;
    for (int s = 0; s < kCardSlots; ++s) {
        const QString &text = file.cards[std::size_t(s)];
        const auto &actual = controller.tables.records[std::size_t(s)];
        const auto expected = cardFileRecord(text, cardType);
        if (expected && sameCard(*expected, actual, cardType))
            continue;
        differences.push_back(expected ? cardDifference(s, *expected, actual, cardType)
                                       : Difference{fieldKey(SettingsField::card(s)), text,
                                                    ops::CardRecordToText(actual, cardType)});
    }
    for (int p = 0; p < kLockers; ++p) {
        const QString &want = file.lockerNumbers[std::size_t(p)];
        const QString &have = controller.values.lockerNumbers[std::size_t(p)];
        ops::LockerDigits expected{}, actual{};
        const bool fileOk = ops::LockerTextToDigits(want, expected);
        const bool readOk = ops::LockerTextToDigits(have, actual);
        if (fileOk && readOk && expected == actual)
            continue;
        differences.push_back({fieldKey(SettingsField::lockerNumber(p)), fileOk ? digitsText(expected) : want, have});
    }
    for (int t = 0; t < kOpeningTimes; ++t) {
        const QString &want = file.openingTimes[std::size_t(t)];
        const QString &have = controller.values.openingTimes[std::size_t(t)];
        const auto expected = ops::byteField(want);
        const auto actual = ops::byteField(have);
        if (expected && expected == actual)
            continue;
        differences.push_back({fieldKey(SettingsField::openingTime(t)), expected ? QString::number(*expected) : want,
                               have});
    }
    compareTicks(file.guardians, controller.values.guardians, differences);
    return differences;
}

std::vector<Difference> compareWithWritten(const ControllerTables &written, const ControllerTables &read, int cardType)
{
    std::vector<Difference> differences;
    for (int s = 0; s < kCardSlots; ++s) {
        const auto &expected = written.records[std::size_t(s)];
        const auto &actual = read.records[std::size_t(s)];
        if (expected != actual)
            differences.push_back(cardDifference(s, expected, actual, cardType));
    }
    for (int p = 0; p < kLockers; ++p) {
        const auto &expected = written.lockers[std::size_t(p)];
        const auto &actual = read.lockers[std::size_t(p)];
        if (expected != actual)
            differences.push_back({fieldKey(SettingsField::lockerNumber(p)), digitBytesText(expected), digitBytesText(actual)});
    }
    for (int t = 0; t < kOpeningTimes; ++t) {
        const std::uint8_t expected = written.times[std::size_t(t)], actual = read.times[std::size_t(t)];
        if (expected != actual)
            differences.push_back({fieldKey(SettingsField::openingTime(t)), QString::number(expected), QString::number(actual)});
    }
    compareTicks(ops::gridFromMasks(written.masks), ops::gridFromMasks(read.masks), differences);
    return differences;
}

std::vector<Difference> compareProjects(const project::Settings &a, const project::Settings &b, int cardType)
{
    // What a write of each file would send, so that texts the controller cannot tell
    // apart ("1000" and "100", "0x10" and "16") are no difference.
    const auto sentA = tablesToWrite(a, cardType);
    const auto sentB = tablesToWrite(b, cardType);
    if (!sentA || !sentB)
        return {};
    std::vector<Difference> differences;
    for (int s = 0; s < kCardSlots; ++s) {
        if (!sameCard(sentA->records[std::size_t(s)], sentB->records[std::size_t(s)], cardType))
            differences.push_back({fieldKey(SettingsField::card(s)), a.cards[std::size_t(s)], b.cards[std::size_t(s)]});
    }
    for (int p = 0; p < kLockers; ++p) {
        const auto &da = sentA->lockers[std::size_t(p)], &db = sentB->lockers[std::size_t(p)];
        if (da != db)
            differences.push_back({fieldKey(SettingsField::lockerNumber(p)), digitsText(da), digitsText(db)});
    }
    for (int t = 0; t < kOpeningTimes; ++t) {
        const std::uint8_t ta = sentA->times[std::size_t(t)], tb = sentB->times[std::size_t(t)];
        if (ta != tb)
            differences.push_back({fieldKey(SettingsField::openingTime(t)), QString::number(ta), QString::number(tb)});
    }
    compareTicks(a.guardians, b.guardians, differences);
    return differences;
}

namespace {
QString shown(const QString &text) { return text.isEmpty() ? QStringLiteral("(puste)") : text; }
} // namespace

QString describe(const Difference &d)
{
    return QStringLiteral("%1: oczekiwano %2, sterownik ma %3").arg(d.key, shown(d.expected), shown(d.actual));
}

QString describeProjects(const Difference &d)
{
    return QStringLiteral("%1: A ma %2, B ma %3").arg(d.key, shown(d.expected), shown(d.actual));
}

} // namespace vorna::cli
