#pragma once

#include <QSerialPort>

namespace vorna::link {

// Asks the serial driver behind `fd` to hand received bytes on at once instead of
// after its latency timer (16 ms on FTDI adapters). Drivers without the setting (a
// pseudo-terminal) are left as they are, and so is Windows, where the latency timer
// is a setting of the adapter's own driver, without a word: the port
// works either way, only slower.
void requestLowLatency(QSerialPort::Handle fd);

} // namespace vorna::link
