// SPDX-License-Identifier: GPL-3.0-or-later
#include "link/low_latency.h"

#include <QtGlobal>

#ifdef Q_OS_LINUX
#include <linux/serial.h>
#include <sys/ioctl.h>
#endif

namespace vorna::link {

#ifdef Q_OS_LINUX
void requestLowLatency(QSerialPort &port)
{
    const int fd = static_cast<int>(port.handle());
    serial_struct info{};
    if (fd < 0 || ::ioctl(fd, TIOCGSERIAL, &info) != 0)
        return;
    if (info.flags & ASYNC_LOW_LATENCY)
        return;
    info.flags |= ASYNC_LOW_LATENCY;
    ::ioctl(fd, TIOCSSERIAL, &info);
}
#else
void requestLowLatency(QSerialPort &) {}
#endif

} // namespace vorna::link
