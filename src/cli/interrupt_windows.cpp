// SPDX-License-Identifier: GPL-3.0-or-later
#include "cli/interrupt.h"

#include <windows.h>

#include <atomic>

namespace vorna::cli {

namespace {
// The system calls the handler on a thread of its own.
std::atomic<bool> pressed{false};

BOOL WINAPI onControl(DWORD event)
{
    if (event != CTRL_C_EVENT && event != CTRL_BREAK_EVENT)
        return FALSE;   // closing the console or logging off still ends the program
    pressed = true;
    return TRUE;
}
} // namespace

InterruptWatch::InterruptWatch()
{
    pressed = false;
    SetConsoleCtrlHandler(onControl, TRUE);
}

InterruptWatch::~InterruptWatch() { SetConsoleCtrlHandler(onControl, FALSE); }

bool InterruptWatch::interrupted() const { return pressed; }

} // namespace vorna::cli
