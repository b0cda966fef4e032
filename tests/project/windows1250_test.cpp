// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>

#include <QStringDecoder>

#include "project/windows1250.h"
#include "qstring_printer.h"

namespace vorna::project {
namespace {

using namespace Qt::StringLiterals;

TEST(Windows1250, EveryByteDecodesAndEncodesBack)
{
    QByteArray all;
    for (int b = 0; b < 256; ++b)
        all.append(char(b));
    const QString text = decodeWindows1250(all);
    ASSERT_EQ(text.size(), 256);
    EXPECT_EQ(encodeWindows1250(text), all);
}

// The table is typed in by hand; where the system has a converter of its own, the
// two must agree on every assigned byte.
TEST(Windows1250, AgreesWithTheSystemsConverter)
{
    QStringDecoder system("windows-1250");
    if (!system.isValid())
        GTEST_SKIP() << "this Qt has no windows-1250 converter (no ICU)";
    for (int b = 0x80; b < 0x100; ++b) {
        const QByteArray byte(1, char(b));
        const QString theirs = system.decode(byte);
        if (theirs.size() == 1 && theirs != QString(QChar(0xFFFD)) && theirs.front().unicode() >= 0xA0)
            EXPECT_EQ(decodeWindows1250(byte), theirs) << "byte " << b;
        else
            EXPECT_EQ(decodeWindows1250(byte), QString(QChar(b))) << "byte " << b; // unassigned: the C1 control
    }
}

TEST(Windows1250, PolishLettersAndPunctuation)
{
    EXPECT_EQ(decodeWindows1250("\xA5\xB9\x8C\x9C\x80"), u"ĄąŚś€"_s);
    EXPECT_EQ(encodeWindows1250(u"Łódź „cudzysłów”"_s), QByteArray("\xA3\xF3\x64\x9F \x84\x63udzys\xB3\xF3w\x94"));
}

TEST(Windows1250, RefusesWhatItLacksAndRecovers)
{
    const QString lacking[] = {u"ñ"_s, u"日"_s, u"a\U0001F600"_s, QString(QChar(0xD800)), u"\u001A\u00F1"_s};
    for (const QString &t : lacking) {
        EXPECT_FALSE(encodeWindows1250(t)) << t.toStdString();
        // A failure leaves nothing behind for the next text.
        EXPECT_EQ(encodeWindows1250(u"ok \u001A"_s), QByteArray("ok \x1A"));
    }
}

} // namespace
} // namespace vorna::project
