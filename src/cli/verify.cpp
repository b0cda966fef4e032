#include "cli/verify.h"

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
        text += QChar(u'0' + digit);
    return text;
}

} // namespace

std::vector<Difference> compareWithController(const project::ProjectValues &file, const ControllerState &controller,
                                              int cardType)
{
    std::vector<Difference> differences;
    for (int s = 0; s < ops::kCardSlots; ++s) {
        const auto n = std::size_t(kFirstCardEdit + s);
        const auto &actual = controller.records[std::size_t(s)];
        const auto expected = cardFileRecord(file.edits[n], cardType);
        if (expected && sameCard(*expected, actual, cardType))
            continue;
        QString want = expected ? ops::CardRecordToText(*expected, cardType) : file.edits[n];
        QString have = ops::CardRecordToText(actual, cardType);
        if (want == have && expected) {
            // Same text, other bytes: show the records, never two equal texts.
            want += QStringLiteral(" (rekord %1)").arg(ops::bytesToHex(*expected));
            have += QStringLiteral(" (rekord %1)").arg(ops::bytesToHex(actual));
        }
        differences.push_back({editKey(int(n)), want, have});
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
    for (std::size_t box = 1; box < file.ticks.size(); ++box) {
        if (file.ticks[box] != controller.values.ticks[box])
            differences.push_back({tickKey(int(box)), tickText(file.ticks[box]), tickText(controller.values.ticks[box])});
    }
    return differences;
}

QString describe(const Difference &d)
{
    const auto shown = [](const QString &text) { return text.isEmpty() ? QStringLiteral("(puste)") : text; };
    return QStringLiteral("%1: oczekiwano %2, sterownik ma %3").arg(d.key, shown(d.expected), shown(d.actual));
}

} // namespace vorna::cli
