// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QSerialPort>

namespace vorna::link {

// Asks the serial driver behind `port` to hand received bytes on at once instead of
// after its latency timer (16 ms on FTDI adapters). Where the driver has no such
// setting (a pseudo-terminal) nothing is changed and nothing is said: the port works
// either way, only slower. On Windows the timer is a setting of the adapter's driver.
void requestLowLatency(QSerialPort &port);

} // namespace vorna::link
