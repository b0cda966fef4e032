// SPDX-License-Identifier: GPL-3.0-or-later
#include "link/driver_wait.h"

#include <QDeadlineTimer>
#include <windows.h>
#include <timeapi.h>

namespace vorna::link {

// Qt Serial Port 6.4 on Windows must not be asked to wait synchronously (waitForReadyRead,
// waitForBytesWritten) while the event loop also runs: its overlapped-I/O notifier then
// takes a completion from an empty queue and crashes. Here its reads and writes move
// only through the event loop, which the exchange runs between polls.

bool pullFromDriver(QSerialPort &)
{
    return true; // a vanished device shows as an error signal from the event loop
}

void pushToDriver(QSerialPort &port)
{
    port.flush(); // starts the overlapped write; it completes on the event loop
}

bool waitForDriver(QSerialPort &, int)
{
    return false; // the caller sleeps, with the timer at 1 ms
}

void drainOutput(QSerialPort &port)
{
    // Qt's overlapped write completes only on the event loop, and FlushFileBuffers
    // under Wine throws unsent output away rather than sending it: watch the driver's
    // output queue instead.
    port.flush();
    const HANDLE handle = port.handle();
    COMSTAT status{};
    DWORD errors = 0;
    if (handle == INVALID_HANDLE_VALUE || !::ClearCommError(handle, &errors, &status))
        return;
    const QDeadlineTimer deadline(drainLimitMs(port.bytesToWrite() + qint64(status.cbOutQue)));
    while (status.cbOutQue > 0 && !deadline.hasExpired()) {
        ::Sleep(1);
        if (!::ClearCommError(handle, &errors, &status))
            return;
    }
}

// Without the fine timer a 1 ms sleep lasts a whole 15.6 ms tick, and the pause would
// stretch every poll limit fifteenfold.
FineTimer::FineTimer() { ::timeBeginPeriod(1); }
FineTimer::~FineTimer() { ::timeEndPeriod(1); }

} // namespace vorna::link
