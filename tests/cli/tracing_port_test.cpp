// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>

#include <QStringList>

#include "cli/tracing_port.h"
#include "support/printers.h"
#include "support/scripted_port.h"

using namespace vorna;
using Bytes = std::vector<std::uint8_t>;

namespace {
struct Traced {
    test::ScriptedPort inner;
    QStringList lines;
    cli::TracingPort port{inner, [this](const QString &l) { lines << l; }, [] { return QStringLiteral("T"); }};
};
} // namespace

TEST(CliTracingPort, WritesGoThroughAndAreTraced)
{
    Traced t;
    const Bytes frame = {0x01, 0x05, 0x00, 0x03, 0x00, 0x00, 0x01, 0xFD, 0x01, 0x08};
    t.port.write(frame);
    ASSERT_EQ(t.inner.written.size(), 1u);
    EXPECT_EQ(t.inner.written[0], frame);
    EXPECT_EQ(t.lines, QStringList({"T TX 01 05 00 03 00 00 01 FD 01 08"}));
}

TEST(CliTracingPort, ReadsTraceOnlyTheBytesReallyRead)
{
    Traced t;
    t.inner.respond = [](const Bytes &, int) { return test::ScriptedPort::Reply{{0xAB, 0x0C, 0x7F}, 0}; };
    t.port.write(Bytes{0x01});
    EXPECT_EQ(t.port.bytesWaiting(), 3);
    std::array<std::uint8_t, 8> buffer{};
    EXPECT_EQ(t.port.read(buffer), 3);   // asked for 8, 3 were there
    EXPECT_EQ(buffer[0], 0xAB);
    EXPECT_EQ(t.port.read(buffer), 0);   // nothing left: no line
    EXPECT_EQ(t.lines, QStringList({"T TX 01", "T RX AB 0C 7F"}));
}

TEST(CliTracingPort, ForwardsTheRestUntraced)
{
    Traced t;
    t.port.purge();
    t.port.pause(2);
    t.inner.open = false;
    EXPECT_FALSE(t.port.isOpen());
    t.inner.gone = true;
    EXPECT_EQ(t.port.bytesWaiting(), -1);
    EXPECT_EQ(t.inner.purges, 1);
    EXPECT_EQ(t.inner.pauses, std::vector<int>{2});
    EXPECT_TRUE(t.lines.isEmpty());
}
