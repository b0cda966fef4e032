// SPDX-License-Identifier: GPL-3.0-or-later
#include "link/low_latency.h"

namespace vorna::link {

// Windows keeps an adapter's latency timer in its driver's own settings, out of reach
// of a program that only opens the port.
void requestLowLatency(QSerialPort &) {}

} // namespace vorna::link
