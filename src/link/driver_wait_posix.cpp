// SPDX-License-Identifier: GPL-3.0-or-later
#include "link/driver_wait.h"

#include <QDeadlineTimer>
#include <poll.h>
#include <sys/ioctl.h>
#include <termios.h>

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

void drainOutput(QSerialPort &port)
{
    const int fd = static_cast<int>(port.handle());
    int queued = 0;
    if (fd < 0 || ::ioctl(fd, TIOCOUTQ, &queued) != 0)
        return; // nothing to drain on a device that has gone
    const QDeadlineTimer deadline(drainLimitMs(port.bytesToWrite() + queued));
    if (port.bytesToWrite() > 0) {
        port.flush();
        if (port.bytesToWrite() > 0)
            port.waitForBytesWritten(int(deadline.remainingTime()));
    }
    for (;;) {
        if (::ioctl(fd, TIOCOUTQ, &queued) != 0)
            return;
        if (queued == 0)
            break;
        if (deadline.hasExpired())
            return; // stuck: tcdrain would wait for ever
        ::poll(nullptr, 0, 1);
    }
    if (port.bytesToWrite() > 0)
        return;
    // The driver's queue is empty, but the last bytes may still sit in the UART's or the
    // adapter's transmitter FIFO; only its driver knows when that is idle.
    ::tcdrain(fd);
}

// Linux timers already have millisecond resolution.
FineTimer::FineTimer() = default;
FineTimer::~FineTimer() = default;

} // namespace vorna::link
