// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include "results.h"

namespace vorna::bench {

// CPU time of the whole program while the window's reader capture (Button2) waits
// its five seconds for a card that never comes. The simulator runs in a child
// process so that its own work is not counted. Needs a QApplication.
CaptureResult measureCapture(int runs);

// The child's side: a paced simulator on a pty, its path on stdout, until stdin closes.
int simulatorChild();

} // namespace vorna::bench
