// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>

#include "cli/project_fields.h"
#include "cli/verify.h"
#include "cli_rig.h"
#include "ops/card_numbers.h"
#include "support/printers.h"

using namespace vorna;
using namespace vorna::cli;
using Field = vorna::project::SettingsField;

namespace vorna::cli {
void PrintTo(const Difference &d, std::ostream *os) { *os << describe(d).toStdString(); }
} // namespace vorna::cli

TEST(CliProjectFields, KeysNameTheFileSectionAndKey)
{
    const struct {
        Field field;
        const char *key;
    } fields[] = {
        {Field::card(0), "KARTY_SERWIS/Serwis1"},
        {Field::card(1), "KARTY_SERWIS/Serwis2"},
        {Field::card(2), "KARTY_KLUCZ/Klucz1"},
        {Field::card(5), "KARTY_OPIEKUN/Opiekun1"},
        {Field::card(11), "KARTY_OPIEKUN/Opiekun7"},
        {Field::card(12), "KARTY_SZAFEK/Szafka1"},
        {Field::card(18), "KARTY_SZAFEK/Szafka7"},
        {Field::card(31), "KARTY_SZAFEK/Szafka20"},
        {Field::lockerNumber(0), "NUMERY_SZAFEK/Szafka1"},
        {Field::lockerNumber(2), "NUMERY_SZAFEK/Szafka3"},
        {Field::lockerNumber(19), "NUMERY_SZAFEK/Szafka20"},
        {Field::openingTime(0), "CZASY/Uzytkownik"},
        {Field::openingTime(1), "CZASY/Serwis"},
        {Field::openingTime(2), "CZASY/Opiekun"},
        {Field::guardian(0, 0), "OPIEKUN/Opiekun1_01"},
        {Field::guardian(2, 4), "OPIEKUN/Opiekun3_05"},
        {Field::guardian(6, 19), "OPIEKUN/Opiekun7_20"},
    };
    for (const auto &f : fields)
        EXPECT_EQ(fieldKey(f.field), QString::fromLatin1(f.key)) << f.key;
}

TEST(CliProjectFields, StartValuesPassForUniqueAndMifare4B)
{
    EXPECT_TRUE(checkProject(project::defaultSettings(), ops::Unique).isEmpty());
    EXPECT_TRUE(checkProject(project::defaultSettings(), ops::Mifare4B).isEmpty());   // first 8 of the 10 digits
}

TEST(CliProjectFields, EachFieldTheControllerCannotTakeIsNamed)
{
    const struct {
        Field field;
        const char *text;
        int cardType;
        const char *problem;
    } cases[] = {
        {Field::lockerNumber(2), "12", ops::Unique, "NUMERY_SZAFEK/Szafka3: niewłaściwy numer szafki '12'"},
        {Field::lockerNumber(6), "1a3", ops::Unique, "NUMERY_SZAFEK/Szafka7: niewłaściwy numer szafki '1a3'"},
        {Field::lockerNumber(19), " 12", ops::Unique, "NUMERY_SZAFEK/Szafka20: niewłaściwy numer szafki ' 12'"},
        {Field::card(18), "012345678", ops::Unique, "KARTY_SZAFEK/Szafka7: niewłaściwy kod karty '012345678' (Unique: 10 cyfr 0-9, A-F lub parzyście mniej)"},
        {Field::card(0), "abcdef0123", ops::Unique, "KARTY_SERWIS/Serwis1: niewłaściwy kod karty 'abcdef0123' (Unique: 10 cyfr 0-9, A-F lub parzyście mniej)"},
        {Field::card(3), "0123456", ops::Mifare4B, "KARTY_KLUCZ/Klucz2: niewłaściwy kod karty '0123456' (MiFare 4B: 8 cyfr 0-9, A-F lub parzyście mniej)"},
        {Field::openingTime(1), "300", ops::Unique, "CZASY/Serwis: niewłaściwy czas otwarcia '300' (0-255)"},
        {Field::openingTime(0), "", ops::Unique, "CZASY/Uzytkownik: niewłaściwy czas otwarcia '' (0-255)"},
        {Field::openingTime(2), "-1", ops::Unique, "CZASY/Opiekun: niewłaściwy czas otwarcia '-1' (0-255)"},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.problem);
        project::Settings v = project::defaultSettings();
        fieldText(v, c.field) = QString::fromUtf8(c.text);
        EXPECT_EQ(checkProject(v, c.cardType), QStringList({QString::fromUtf8(c.problem)}));
    }
}

TEST(CliProjectFields, EveryBadFieldIsListedInFileOrder)
{
    // Nine digits are no whole card of any length.
    project::Settings v = project::defaultSettings();
    v.cards.fill(QStringLiteral("FFFFFFFFF"));
    v.openingTimes[1] = QStringLiteral("x");
    const QStringList problems = checkProject(v, ops::Mifare7B);
    ASSERT_EQ(problems.size(), 33);
    EXPECT_TRUE(problems.front().startsWith(QStringLiteral("KARTY_SERWIS/Serwis1: ")));
    EXPECT_TRUE(problems[31].startsWith(QStringLiteral("KARTY_SZAFEK/Szafka20: ")));
    EXPECT_TRUE(problems.back().startsWith(QStringLiteral("CZASY/Serwis: ")));
}

namespace {
// The controller state that a write of `file` leaves, read back by the card type.
ControllerState stateOf(const project::Settings &file, int cardType)
{
    ControllerState s;
    s.values = file;
    for (int slot = 0; slot < 32; ++slot)
        s.tables.records[std::size_t(slot)] = *ops::CardTextToRecord(file.cards[std::size_t(slot)], cardType);
    return s;
}
} // namespace

TEST(CliCompare, EqualWhenTheLineCarriesTheSameBytes)
{
    project::Settings file = project::defaultSettings();
    ControllerState controller = stateOf(file, ops::Unique);
    file.cards[12] = QStringLiteral("FFFFFFFFFF0123");   // only the first ten digits are sent
    file.lockerNumbers[0] = QStringLiteral("0001");      // "000" goes out
    file.openingTimes[0] = QStringLiteral("0x64");       // 100
    EXPECT_TRUE(compareWithController(file, controller, ops::Unique).empty());
}

TEST(CliCompare, ListsEveryDifferingFieldByItsKey)
{
    const project::Settings file = project::defaultSettings();
    ControllerState controller = stateOf(file, ops::Unique);
    controller.tables.records[18] = {0x01, 0x23, 0x45, 0x67, 0x89, 0, 0, 5};
    controller.tables.records[0] = {0x12, 0x34, 0x56, 0x78, 0, 0, 0, 4};   // other length, same leading bytes
    controller.values.lockerNumbers[2] = QStringLiteral("120");
    controller.values.openingTimes[2] = QStringLiteral("99");
    controller.values.guardians[2][4] = true;

    const std::vector<Difference> expected = {
        {"KARTY_SERWIS/Serwis1", "FFFFFFFFFF", "12345678"},
        {"KARTY_SZAFEK/Szafka7", "FFFFFFFFFF", "0123456789"},
        {"NUMERY_SZAFEK/Szafka3", "000", "120"},
        {"CZASY/Opiekun", "100", "99"},
        {"OPIEKUN/Opiekun3_05", "0", "1"},
    };
    EXPECT_EQ(compareWithController(file, controller, ops::Unique), expected);
}

TEST(CliCompare, DescribesADifferenceInOneLine)
{
    EXPECT_EQ(describe({"KARTY_SZAFEK/Szafka7", "0123456789", "FFFFFFFFFF"}),
              QStringLiteral("KARTY_SZAFEK/Szafka7: oczekiwano 0123456789, sterownik ma FFFFFFFFFF"));
    EXPECT_EQ(describe({"KARTY_SERWIS/Serwis2", "", "FFFFFFFF"}),
              QStringLiteral("KARTY_SERWIS/Serwis2: oczekiwano (puste), sterownik ma FFFFFFFF"));
}
