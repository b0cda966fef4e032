// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <QString>

namespace vorna::link {

// The device a port path stands for, with symlinks, "//" and ".." resolved, so that
// every spelling of one adapter (/dev/ttyUSB0 beside /dev/serial/by-id/...) opens it
// under one name. The path as given when it names nothing.
QString resolvedDevicePath(const QString &path);

// The system's advisory lock on a serial device, held while the port is open, so that
// a second opener is refused whatever it calls the device and whoever it runs as: the
// lock file of QSerialPort goes by the spelling, and the kernel's exclusive mode does
// not stop root.
class DeviceLock {
public:
    enum class Result {
        Locked,        // ours until release()
        HeldElsewhere, // another opener holds it: the port is in use
        NotLocked,     // the device could not be opened for it; the port's own open says why
    };

    DeviceLock() = default;
    ~DeviceLock();
    DeviceLock(const DeviceLock &) = delete;
    DeviceLock &operator=(const DeviceLock &) = delete;

    // Takes the lock on a descriptor of its own, before the port touches the device:
    // a refused opener must not change the line settings under the holder.
    Result acquire(const QString &devicePath);
    void release();

private:
    int fd_ = -1;
};

} // namespace vorna::link
