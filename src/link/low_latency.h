#pragma once

namespace vorna::link {

// Asks the serial driver behind `fd` to hand received bytes on at once instead of
// after its latency timer (16 ms on FTDI adapters). Drivers without the setting (a
// pseudo-terminal) and other systems are left as they are, without a word: the port
// works either way, only slower.
void requestLowLatency(int fd);

} // namespace vorna::link
