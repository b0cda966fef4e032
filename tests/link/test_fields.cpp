// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>

#include "link/integer_field.h"
#include "link/port_name.h"

using namespace vorna::link;

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

TEST(PortName, TrimsControlCharactersAndBlanksOnly)
{
    EXPECT_EQ(trimPortName(QStringLiteral("  COM2 \t\r\n")), QStringLiteral("COM2"));
    EXPECT_EQ(trimPortName(QString(QChar(0)) + "ttyUSB0" + QChar(31)), QStringLiteral("ttyUSB0"));
    EXPECT_EQ(trimPortName(QStringLiteral(" my port ")), QStringLiteral("my port"));
    EXPECT_EQ(trimPortName(QStringLiteral("   ")), QString());
}

#ifdef Q_OS_WIN
TEST(PortName, PassesWindowsNamesAsTheyAre)
{
    for (const char *name : {"COM2", "com1", "COM10", "COM256", "\\\\.\\COM12", ""}) {
        SCOPED_TRACE(name);
        EXPECT_EQ(portDevicePath(QString::fromUtf8(name)), QString::fromUtf8(name));
    }
}
#else
TEST(PortName, MapsToLinuxDevices)
{
    const std::pair<const char *, const char *> cases[] = {
        {"COM2", "/dev/ttyS1"}, {"com1", "/dev/ttyS0"}, {"Com10", "/dev/ttyS9"},
        {"ttyUSB0", "/dev/ttyUSB0"}, {"/dev/pts/3", "/dev/pts/3"},
        {"/dev/serial/by-id/usb-FTDI-if00", "/dev/serial/by-id/usb-FTDI-if00"},
        {"COM0", "/dev/COM0"}, {"COMx", "/dev/COMx"}, {"COM", "/dev/COM"}, {"", ""},
    };
    for (const auto &[name, path] : cases) {
        SCOPED_TRACE(name);
        EXPECT_EQ(portDevicePath(QString::fromUtf8(name)), QString::fromUtf8(path));
    }
}
#endif
