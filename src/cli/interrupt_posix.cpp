// SPDX-License-Identifier: GPL-3.0-or-later
#include "cli/interrupt.h"

#include <csignal>

namespace vorna::cli {

namespace {
volatile std::sig_atomic_t pressed = 0;
struct sigaction previous {};

extern "C" void onInterrupt(int) { pressed = 1; }
} // namespace

InterruptWatch::InterruptWatch()
{
    pressed = 0;
    struct sigaction action {};
    action.sa_handler = onInterrupt;
    sigemptyset(&action.sa_mask);
    // No SA_RESTART: a poll's pause may end early, the next poll sees the flag.
    sigaction(SIGINT, &action, &previous);
}

InterruptWatch::~InterruptWatch() { sigaction(SIGINT, &previous, nullptr); }

bool InterruptWatch::interrupted() const { return pressed != 0; }

} // namespace vorna::cli
