// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <optional>

namespace vorna::app {

// `--help` and `--version` print their text and end the program before Qt starts,
// so they work without a display. Anything else (Qt's own options included) is
// left to QApplication: the result is empty and the window starts.
std::optional<int> answerCommandLine(int argc, char **argv);

} // namespace vorna::app
