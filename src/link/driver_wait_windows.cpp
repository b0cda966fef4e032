#include "link/driver_wait.h"

#include <windows.h>
#include <timeapi.h>

namespace vorna::link {

// The port's overlapped read already runs in the background; waiting for it with no
// time left hands over what it has read. A vanished device shows as an error signal.
bool pullFromDriver(QSerialPort &port)
{
    port.waitForReadyRead(0);
    return true;
}

bool waitForDriver(QSerialPort &port, int ms)
{
    // Without the fine timer a 1 ms wait lasts a whole 15.6 ms tick, and the pause would
    // stretch every poll limit fifteenfold.
    const FineTimer fine;
    port.waitForReadyRead(ms);
    return true;
}

FineTimer::FineTimer() { ::timeBeginPeriod(1); }
FineTimer::~FineTimer() { ::timeEndPeriod(1); }

} // namespace vorna::link
