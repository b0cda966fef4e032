#include "link/driver_wait.h"

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

// Without the fine timer a 1 ms sleep lasts a whole 15.6 ms tick, and the pause would
// stretch every poll limit fifteenfold.
FineTimer::FineTimer() { ::timeBeginPeriod(1); }
FineTimer::~FineTimer() { ::timeEndPeriod(1); }

} // namespace vorna::link
