#include "link/driver_wait.h"

#include <poll.h>

namespace vorna::link {

bool pullFromDriver(QSerialPort &port)
{
    pollfd pfd{static_cast<int>(port.handle()), POLLIN, 0};
    if (::poll(&pfd, 1, 0) < 0)
        return true;
    if (pfd.revents & (POLLHUP | POLLERR | POLLNVAL))
        return false;
    if (pfd.revents & POLLIN)
        port.waitForReadyRead(0);
    return true;
}

void pushToDriver(QSerialPort &port)
{
    // As one synchronous write would.
    port.flush();
    if (port.bytesToWrite() > 0)
        port.waitForBytesWritten(100);
}

bool waitForDriver(QSerialPort &port, int ms)
{
    // Wakes as soon as new bytes reach the driver, so a finished reply is seen at once
    // instead of up to a whole pause later.
    pollfd pfd{static_cast<int>(port.handle()), POLLIN, 0};
    return pfd.fd >= 0 && ::poll(&pfd, 1, ms) >= 0;
}

// Linux timers already have millisecond resolution.
FineTimer::FineTimer() = default;
FineTimer::~FineTimer() = default;

} // namespace vorna::link
