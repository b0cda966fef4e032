// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <vector>

#include "results.h"

namespace vorna::bench {

// Every block transfer and the single exchanges, clicked in a real window against
// the paced simulator, each beside the ideal client on the same simulator. One
// warm-up round, then `runs` measured rounds. Needs a QApplication.
std::vector<TransferRow> measureTransfers(int runs);

} // namespace vorna::bench
