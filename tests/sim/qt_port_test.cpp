// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <thread>

#include "link/qt_serial_port.h"
#include "sim/pty_simulator.h"
#include "sim_test_util.h"

using namespace vorna::sim;
using simtest::Bytes;
using simtest::hex;

namespace {

// Polls the way the tool does until `want` bytes wait; -1 once the port is gone.
int waitFor(vorna::link::QtSerialPort &port, int want, int limitMs)
{
    int waiting = 0;
    for (int ms = 0; ms < limitMs; ++ms) {
        QCoreApplication::processEvents();
        waiting = port.bytesWaiting();
        if (waiting < 0 || waiting >= want)
            return waiting;
        port.pause(1);
    }
    return waiting;
}

} // namespace

// The tool's own port class against the simulator: the pair the demo and the
// end-to-end tests rely on.
TEST(QtPortWithSimulator, ExchangesFramesAndNoticesTheLineVanishing)
{
    PtySimulator sim;
    ASSERT_TRUE(sim.start());
    sim.addFault({Fault::Vanish, 2, 1, 0});
    vorna::link::QtSerialPort port;
    ASSERT_TRUE(port.open(QString::fromStdString(sim.path()))) << port.openErrorText().toStdString();

    for (int i = 0; i < 2; ++i) {
        port.purge();
        port.write(hex("01 05 00 03 00 00 01 FD 01 08"));
        ASSERT_EQ(waitFor(port, 13, 3000), 13);
        Bytes reply(13);
        EXPECT_EQ(port.read(reply), 13);
        EXPECT_EQ(reply, hex("01 05 00 03 00 00 01 FD 64 64 64 02 34"));
    }

    port.purge();
    port.write(hex("01 02 00 01 00 00 00 09 64 00 72"));
    EXPECT_LT(waitFor(port, 10, 3000), 0);
    QCoreApplication::processEvents();
    EXPECT_FALSE(port.isOpen());
    EXPECT_TRUE(sim.openings().empty());
}
