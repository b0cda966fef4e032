// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>

#include "link/port_name.h"
#include "support/printers.h"

using namespace vorna::link;

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
