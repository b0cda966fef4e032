// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>

#include "ops/card_numbers.h"
#include "ops/guardians.h"
#include "ops/locker_numbers.h"
#include "support/printers.h"

using namespace vorna::ops;
using Record = CardRecord;

TEST(CardNumbers, TextToRecord)
{
    struct Case {
        const char16_t *text;
        int type;
        std::optional<Record> record;
    };
    const Case cases[] = {
        {u"0123456789", Unique, Record{0x01, 0x23, 0x45, 0x67, 0x89, 0, 0, 5}},
        {u"FFFFFFFF", Mifare4B, Record{0xFF, 0xFF, 0xFF, 0xFF, 0, 0, 0, 4}},
        {u"FFFFFFFFFF", Mifare4B, Record{0xFF, 0xFF, 0xFF, 0xFF, 0, 0, 0, 4}},
        {u"FFFFFFFFFF", Mifare7B, std::nullopt},
        {u"0123456789ABCD", Mifare7B, Record{0x01, 0x23, 0x45, 0x67, 0x89, 0xAB, 0xCD, 7}},
        {u"0123456789ABCD", Unique, Record{0x01, 0x23, 0x45, 0x67, 0x89, 0, 0, 5}},
        {u"0123456789zz", Unique, Record{0x01, 0x23, 0x45, 0x67, 0x89, 0, 0, 5}},
        {u"abcdefabcd", Unique, std::nullopt},
        {u"ABCDEFABCd", Unique, std::nullopt},
        {u"12345 7890", Unique, std::nullopt},
        {u"-123456789", Unique, std::nullopt},
        {u"123456789", Unique, std::nullopt},
        {u"", Unique, std::nullopt},
        {u"GFFFFFFFFF", Unique, std::nullopt},
        {u"ĄFFFFFFFFF", Unique, std::nullopt},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(QString::fromUtf16(c.text).toStdString() + " type " + std::to_string(c.type));
        EXPECT_EQ(CardTextToRecord(QStringView(c.text), c.type), c.record);
    }
}

TEST(CardNumbers, RecordToText)
{
    struct Case {
        Record record;
        int type;
        const char *text;
    };
    const Case cases[] = {
        {{0x12, 0x34, 0x56, 0x78, 0x9A, 0, 0, 5}, Mifare7B, "123456789A"},
        {{0x01, 0x02, 0x03, 0x04, 0x05, 0x06, 0x07, 7}, Unique, "01020304050607"},
        {{0xAB, 0, 0, 0, 0, 0, 0, 1}, Unique, "AB"},
        {{1, 2, 3, 4, 5, 6, 7, 0}, Unique, ""},
        {{0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF}, Unique, "FFFFFFFFFF"},
        {{0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF}, Mifare4B, "FFFFFFFF"},
        {{0, 0, 0, 0, 0, 0, 0, 0xFF}, Mifare7B, "FFFFFFFFFFFFFF"},
        {{0, 0, 0, 0, 0, 0, 0, 8}, Unique, "FFFFFFFFFF"},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.text);
        EXPECT_EQ(CardRecordToText(c.record, c.type), QString::fromLatin1(c.text));
    }
    EXPECT_EQ(cardMaxLength(Unique), 10);
    EXPECT_EQ(cardMaxLength(Mifare4B), 8);
    EXPECT_EQ(cardMaxLength(Mifare7B), 14);
}

TEST(LockerNumbers, TextToDigits)
{
    struct Case {
        const char16_t *text;
        bool ok;
        LockerDigits digits;
    };
    const Case cases[] = {
        {u"123", true, {1, 2, 3}}, {u"007", true, {0, 0, 7}}, {u"1000", true, {1, 0, 0}},
        {u"999x", true, {9, 9, 9}}, {u"12", false, {}}, {u"1a3", false, {}}, {u" 12", false, {}},
        {u"", false, {}}, {u"-12", false, {}}, {u"١٢٣", false, {}},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(QString::fromUtf16(c.text).toStdString());
        LockerDigits d{};
        EXPECT_EQ(LockerTextToDigits(QStringView(c.text), d), c.ok);
        if (c.ok) {
            EXPECT_EQ(d, c.digits);
        }
    }
}

TEST(LockerNumbers, AutoNumberingCountsUnsigned32Bit)
{
    struct Case {
        const char16_t *start;
        std::vector<std::pair<int, const char *>> expect;   // (index, text)
    };
    const Case cases[] = {
        {u"995", {{0, "995"}, {4, "999"}, {5, "1000"}, {19, "1014"}}},
        {u"abc", {{0, "000"}, {7, "007"}, {19, "019"}}},
        {u"", {{0, "000"}, {19, "019"}}},
        {u"5", {{0, "005"}, {19, "024"}}},
        {u"-1", {{0, "4294967295"}, {1, "000"}, {19, "018"}}},
        {u"$10", {{0, "016"}}},
        {u"2147483648", {{0, "000"}, {19, "019"}}},
        {u"-6", {{0, "4294967290"}, {5, "4294967295"}, {6, "000"}, {19, "013"}}},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(QString::fromUtf16(c.start).toStdString());
        const LockerTexts texts = autoNumberLockers(QStringView(c.start));
        for (const auto &[i, text] : c.expect)
            EXPECT_EQ(texts[std::size_t(i)], QString::fromLatin1(text)) << "field " << i;
    }
}

TEST(Guardians, MasksFollowTheGridLockerOneInBitZero)
{
    GuardianGrid grid{};
    grid[0][4] = true;    // guardian 1, locker 5
    grid[1][8] = true;    // guardian 2, locker 9
    grid[6][19] = true;   // guardian 7, locker 20
    const GuardianMasks masks = masksFromGrid(grid);
    EXPECT_EQ(masks[0], 0x000010u);
    EXPECT_EQ(masks[1], 0x000100u);
    EXPECT_EQ(masks[6], 0x080000u);
    for (int g : {2, 3, 4, 5})
        EXPECT_EQ(masks[std::size_t(g)], 0u);

    GuardianGrid all{};
    for (auto &guardian : all)
        guardian.fill(true);
    for (std::uint32_t m : masksFromGrid(all))
        EXPECT_EQ(m, 0x0FFFFFu);

    // The top four bits of a mask have no box.
    const GuardianGrid fromFull = gridFromMasks({0xFFFFFF, 0, 0, 0, 0, 0, 0});
    for (std::size_t g = 0; g < fromFull.size(); ++g)
        for (std::size_t k = 0; k < fromFull[g].size(); ++k)
            EXPECT_EQ(fromFull[g][k], g == 0) << "guardian " << g + 1 << " locker " << k + 1;
    EXPECT_EQ(masksFromGrid(gridFromMasks({1, 0x100, 0, 0, 0, 0, 0x80000})),
              (GuardianMasks{1, 0x100, 0, 0, 0, 0, 0x80000}));
}
