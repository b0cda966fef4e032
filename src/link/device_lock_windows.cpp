// SPDX-License-Identifier: GPL-3.0-or-later
#include "link/device_lock.h"

namespace vorna::link {

// Windows port names are not paths, and a port opened with share mode 0 (as
// QSerialPort opens it) is already refused to every other opener by its handle.
QString resolvedDevicePath(const QString &path) { return path; }

DeviceLock::~DeviceLock() = default;

DeviceLock::Result DeviceLock::acquire(const QString &) { return Result::Locked; }

void DeviceLock::release() {}

} // namespace vorna::link
