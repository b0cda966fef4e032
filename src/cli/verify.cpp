// SPDX-License-Identifier: GPL-3.0-or-later
#include "cli/verify.h"

#include <QByteArray>
#include <algorithm>

#include "cli/card_records.h"
#include "cli/project_fields.h"
#include "link/integer_field.h"
#include "ops/locker_numbers.h"

namespace vorna::cli {

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
    return {editKey(kFirstCardEdit + slot), want, have};
}

void compareTicks(const ops::GuardianGrid &expected, const ops::GuardianGrid &actual, std::vector<Difference> &out)
{
    for (std::size_t box = 1; box < expected.size(); ++box) {
        if (expected[box] != actual[box])
            out.push_back({tickKey(int(box)), tickText(expected[box]), tickText(actual[box])});
    }
}

} // namespace

std::vector<Difference> compareWithController(const project::ProjectValues &file, const ControllerState &controller,
                                              int cardType)
{
    std::vector<Difference> differences;
    for (int s = 0; s < ops::kCardSlots; ++s) {
        const auto n = std::size_t(kFirstCardEdit + s);
        const auto &actual = controller.tables.records[std::size_t(s)];
        const auto expected = cardFileRecord(file.edits[n], cardType);
        if (expected && sameCard(*expected, actual, cardType))
            continue;
        differences.push_back(expected ? cardDifference(s, *expected, actual, cardType)
                                       : Difference{editKey(int(n)), file.edits[n], ops::CardRecordToText(actual, cardType)});
    }
    for (int p = 0; p < ops::kLockers; ++p) {
        const auto n = std::size_t(kFirstLockerEdit + p);
        ops::LockerDigits expected{}, actual{};
        const bool fileOk = ops::LockerTextToDigits(file.edits[n], expected);
        const bool readOk = ops::LockerTextToDigits(controller.values.edits[n], actual);
        if (fileOk && readOk && expected == actual)
            continue;
        differences.push_back({editKey(int(n)), fileOk ? digitsText(expected) : file.edits[n],
                               controller.values.edits[n]});
    }
    for (int t = 0; t < kTimeEdits; ++t) {
        const auto n = std::size_t(kFirstTimeEdit + t);
        const auto expected = link::byteField(file.edits[n]);
        const auto actual = link::byteField(controller.values.edits[n]);
        if (expected && expected == actual)
            continue;
        differences.push_back({editKey(int(n)), expected ? QString::number(*expected) : file.edits[n],
                               controller.values.edits[n]});
    }
    compareTicks(file.ticks, controller.values.ticks, differences);
    return differences;
}

std::vector<Difference> compareWithWritten(const ControllerTables &written, const ControllerTables &read, int cardType)
{
    std::vector<Difference> differences;
    for (int s = 0; s < ops::kCardSlots; ++s) {
        const auto &expected = written.records[std::size_t(s)];
        const auto &actual = read.records[std::size_t(s)];
        if (expected != actual)
            differences.push_back(cardDifference(s, expected, actual, cardType));
    }
    for (int p = 0; p < ops::kLockers; ++p) {
        const auto &expected = written.lockers[std::size_t(p)];
        const auto &actual = read.lockers[std::size_t(p)];
        if (expected != actual)
            differences.push_back({editKey(kFirstLockerEdit + p), digitBytesText(expected), digitBytesText(actual)});
    }
    for (int t = 0; t < kTimeEdits; ++t) {
        const std::uint8_t expected = written.times[std::size_t(t)], actual = read.times[std::size_t(t)];
        if (expected != actual)
            differences.push_back({editKey(kFirstTimeEdit + t), QString::number(expected), QString::number(actual)});
    }
    compareTicks(ops::gridFromMasks(written.masks), ops::gridFromMasks(read.masks), differences);
    return differences;
}

QString describe(const Difference &d)
{
    const auto shown = [](const QString &text) { return text.isEmpty() ? QStringLiteral("(puste)") : text; };
    return QStringLiteral("%1: oczekiwano %2, sterownik ma %3").arg(d.key, shown(d.expected), shown(d.actual));
}

} // namespace vorna::cli
