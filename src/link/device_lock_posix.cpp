// SPDX-License-Identifier: GPL-3.0-or-later
#include "link/device_lock.h"

#include <QFile>
#include <QFileInfo>
#include <cerrno>
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

namespace vorna::link {

QString resolvedDevicePath(const QString &path)
{
    const QString canonical = path.isEmpty() ? QString() : QFileInfo(path).canonicalFilePath();
    return canonical.isEmpty() ? path : canonical;
}

DeviceLock::~DeviceLock() { release(); }

DeviceLock::Result DeviceLock::acquire(const QString &devicePath)
{
    release();
    // As QSerialPort opens it; non-blocking, so a line without carrier does not hold us.
    const int fd = ::open(QFile::encodeName(devicePath).constData(),
                          O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        return Result::NotLocked;
    // The lock belongs to this open file description: a pseudo-terminal's master, which
    // the other side holds, is a different file and does not collide.
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
        const bool held = errno == EWOULDBLOCK;
        ::close(fd);
        return held ? Result::HeldElsewhere : Result::NotLocked;
    }
    fd_ = fd;
    return Result::Locked;
}

void DeviceLock::release()
{
    if (fd_ < 0)
        return;
    ::close(fd_); // closing the descriptor drops the lock
    fd_ = -1;
}

} // namespace vorna::link
