// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>

#include "cli/project_fields.h"
#include "cli/verify.h"
#include "cli_rig.h"
#include "ops/card_numbers.h"
#include "support/printers.h"

using namespace vorna;
using namespace vorna::cli;

namespace vorna::cli {
void PrintTo(const Difference &d, std::ostream *os) { *os << describe(d).toStdString(); }
} // namespace vorna::cli

TEST(CliProjectFields, KeysNameTheFileSectionAndKey)
{
    const struct {
        int edit;
        const char *key;
    } edits[] = {
        {2, "KARTY_SERWIS/Serwis1"},   {3, "KARTY_SERWIS/Serwis2"},    {4, "KARTY_KLUCZ/Klucz1"},
        {7, "KARTY_OPIEKUN/Opiekun1"}, {13, "KARTY_OPIEKUN/Opiekun7"}, {14, "KARTY_SZAFEK/Szafka1"},
        {20, "KARTY_SZAFEK/Szafka7"},  {33, "KARTY_SZAFEK/Szafka20"},  {34, "NUMERY_SZAFEK/Szafka1"},
        {36, "NUMERY_SZAFEK/Szafka3"}, {53, "NUMERY_SZAFEK/Szafka20"}, {54, "CZASY/Uzytkownik"},
        {55, "CZASY/Serwis"},          {56, "CZASY/Opiekun"},
    };
    for (const auto &e : edits)
        EXPECT_EQ(editKey(e.edit), QString::fromLatin1(e.key)) << e.edit;
    EXPECT_EQ(tickKey(1), QStringLiteral("OPIEKUN/Opiekun1_01"));
    EXPECT_EQ(tickKey(45), QStringLiteral("OPIEKUN/Opiekun3_05"));
    EXPECT_EQ(tickKey(140), QStringLiteral("OPIEKUN/Opiekun7_20"));
}

TEST(CliProjectFields, StartValuesPassForUniqueAndMifare4B)
{
    EXPECT_TRUE(checkProject(test::startValues(), ops::Unique).isEmpty());
    EXPECT_TRUE(checkProject(test::startValues(), ops::Mifare4B).isEmpty());   // first 8 of the 10 digits
}

TEST(CliProjectFields, EachFieldTheControllerCannotTakeIsNamed)
{
    const struct {
        int edit;
        const char *text;
        int cardType;
        const char *problem;
    } cases[] = {
        {36, "12", ops::Unique, "NUMERY_SZAFEK/Szafka3: niewłaściwy numer szafki '12'"},
        {40, "1a3", ops::Unique, "NUMERY_SZAFEK/Szafka7: niewłaściwy numer szafki '1a3'"},
        {53, " 12", ops::Unique, "NUMERY_SZAFEK/Szafka20: niewłaściwy numer szafki ' 12'"},
        {20, "012345678", ops::Unique, "KARTY_SZAFEK/Szafka7: niewłaściwy kod karty '012345678' (Unique: 10 cyfr 0-9, A-F lub parzyście mniej)"},
        {2, "abcdef0123", ops::Unique, "KARTY_SERWIS/Serwis1: niewłaściwy kod karty 'abcdef0123' (Unique: 10 cyfr 0-9, A-F lub parzyście mniej)"},
        {5, "0123456", ops::Mifare4B, "KARTY_KLUCZ/Klucz2: niewłaściwy kod karty '0123456' (MiFare 4B: 8 cyfr 0-9, A-F lub parzyście mniej)"},
        {55, "300", ops::Unique, "CZASY/Serwis: niewłaściwy czas otwarcia '300' (0-255)"},
        {54, "", ops::Unique, "CZASY/Uzytkownik: niewłaściwy czas otwarcia '' (0-255)"},
        {56, "-1", ops::Unique, "CZASY/Opiekun: niewłaściwy czas otwarcia '-1' (0-255)"},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.problem);
        project::ProjectValues v = test::startValues();
        v.edits[std::size_t(c.edit)] = QString::fromUtf8(c.text);
        EXPECT_EQ(checkProject(v, c.cardType), QStringList({QString::fromUtf8(c.problem)}));
    }
}

TEST(CliProjectFields, EveryBadFieldIsListedInFileOrder)
{
    // Nine digits are no whole card of any length.
    project::ProjectValues v = test::startValues();
    for (int n = 2; n <= 33; ++n)
        v.edits[std::size_t(n)] = QStringLiteral("FFFFFFFFF");
    v.edits[55] = QStringLiteral("x");
    const QStringList problems = checkProject(v, ops::Mifare7B);
    ASSERT_EQ(problems.size(), 33);
    EXPECT_TRUE(problems.front().startsWith(QStringLiteral("KARTY_SERWIS/Serwis1: ")));
    EXPECT_TRUE(problems[31].startsWith(QStringLiteral("KARTY_SZAFEK/Szafka20: ")));
    EXPECT_TRUE(problems.back().startsWith(QStringLiteral("CZASY/Serwis: ")));
}

namespace {
// The controller state that a write of `file` leaves, read back by the card type.
ControllerState stateOf(const project::ProjectValues &file, int cardType)
{
    ControllerState s;
    s.values = file;
    for (int slot = 0; slot < 32; ++slot)
        s.tables.records[std::size_t(slot)] = *ops::CardTextToRecord(file.edits[std::size_t(2 + slot)], cardType);
    return s;
}
} // namespace

TEST(CliCompare, EqualWhenTheLineCarriesTheSameBytes)
{
    project::ProjectValues file = test::startValues();
    ControllerState controller = stateOf(file, ops::Unique);
    file.edits[14] = QStringLiteral("FFFFFFFFFF0123");   // only the first ten digits are sent
    file.edits[34] = QStringLiteral("0001");              // "000" goes out
    file.edits[54] = QStringLiteral("0x64");              // 100
    EXPECT_TRUE(compareWithController(file, controller, ops::Unique).empty());
}

TEST(CliCompare, ListsEveryDifferingFieldByItsKey)
{
    const project::ProjectValues file = test::startValues();
    ControllerState controller = stateOf(file, ops::Unique);
    controller.tables.records[18] = {0x01, 0x23, 0x45, 0x67, 0x89, 0, 0, 5};
    controller.tables.records[0] = {0x12, 0x34, 0x56, 0x78, 0, 0, 0, 4};   // other length, same leading bytes
    controller.values.edits[36] = QStringLiteral("120");
    controller.values.edits[56] = QStringLiteral("99");
    controller.values.ticks[45] = true;

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
