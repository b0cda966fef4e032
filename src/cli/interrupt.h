// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

namespace vorna::cli {

// While one is alive, Ctrl-C (SIGINT; on Windows the console's Ctrl-C and Ctrl-Break)
// no longer ends the process at once but is noted, so that a command waiting on the
// controller stops at its next poll and leaves its file whole. One at a time.
class InterruptWatch {
public:
    InterruptWatch();
    ~InterruptWatch();
    InterruptWatch(const InterruptWatch &) = delete;
    InterruptWatch &operator=(const InterruptWatch &) = delete;

    // Ctrl-C was pressed since the watch began.
    bool interrupted() const;
};

} // namespace vorna::cli
