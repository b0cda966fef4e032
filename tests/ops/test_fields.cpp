// SPDX-License-Identifier: GPL-3.0-or-later
#include <QString>
#include <gtest/gtest.h>

#include "ops/fields.h"

using namespace vorna::ops;

TEST(IntegerField, ReadsTheFieldSyntax)
{
    struct Case {
        const char16_t *text;
        std::optional<std::int32_t> value;
    };
    const Case cases[] = {
        {u"1", 1}, {u"  42", 42}, {u"-1", -1}, {u"+7", 7}, {u"300", 300},
        {u"$10", 16}, {u"x1f", 31}, {u"X1F", 31}, {u"0x10", 16}, {u"0X10", 16}, {u"-$10", -16},
        {u"2147483647", 2147483647}, {u"-2147483648", INT32_MIN}, {u"$FFFFFFFF", -1},
        {u"007", 7},
        {u"", std::nullopt}, {u"abc", std::nullopt}, {u"1 ", std::nullopt}, {u"12a", std::nullopt},
        {u"2147483648", std::nullopt}, {u"-2147483649", std::nullopt}, {u"$100000000", std::nullopt},
        {u"-", std::nullopt}, {u"$", std::nullopt}, {u"0x", std::nullopt}, {u"1.5", std::nullopt},
        {u"\t1", std::nullopt}, {u"$1g", std::nullopt}, {u"99999999999999999999", std::nullopt},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(QString::fromUtf16(c.text).toStdString());
        EXPECT_EQ(parseIntegerField(QStringView(c.text)), c.value);
    }
    EXPECT_EQ(integerField(u"abc", 100), 100);
    EXPECT_EQ(integerField(u"", 1), 1);
}

TEST(IntegerField, ByteFieldTakesOnlyZeroTo255)
{
    EXPECT_EQ(byteField(u"0"), 0);
    EXPECT_EQ(byteField(u"255"), 255);
    EXPECT_EQ(byteField(u"$FF"), 255);
    EXPECT_EQ(byteField(u"256"), std::nullopt);
    EXPECT_EQ(byteField(u"300"), std::nullopt);
    EXPECT_EQ(byteField(u"-1"), std::nullopt);
    EXPECT_EQ(byteField(u"abc"), std::nullopt);
    EXPECT_EQ(byteField(u""), std::nullopt);
}
