// SPDX-License-Identifier: GPL-3.0-or-later
#include "link/open_failure.h"

namespace vorna::link {

namespace {

OpenFailure::Reason reasonOf(const QString &typedName, QSerialPort::SerialPortError error,
                             const DeviceAccess &access)
{
    using Reason = OpenFailure::Reason;
    if (typedName.isEmpty())
        return Reason::NoName;
    switch (error) {
    case QSerialPort::DeviceNotFoundError:
        return Reason::NotFound;
    case QSerialPort::PermissionError:
        // The port reports a lock held by another program, a busy device and a
        // refused file alike; only the file's permissions tell them apart.
        if (access.readWrite)
            return Reason::InUse;
        // Joining root's group would be wrong: such a device is not meant for users.
        if (access.group.isEmpty() || access.group == QLatin1String("root"))
            return Reason::NoPermission;
        return Reason::NotInGroup;
    default:
        return Reason::Other;
    }
}

} // namespace

OpenFailure classifyOpenFailure(const QString &typedName, const QString &devicePath,
                                QSerialPort::SerialPortError error, const QString &systemText,
                                const DeviceAccess &access)
{
    return {reasonOf(typedName, error, access), typedName, devicePath, error, systemText, access};
}

OpenFailure diagnoseOpenFailure(const QString &typedName, const QString &devicePath,
                                QSerialPort::SerialPortError error, const QString &systemText)
{
    const DeviceAccess access = error == QSerialPort::PermissionError && !typedName.isEmpty()
        ? deviceAccess(devicePath)
        : DeviceAccess{};
    return classifyOpenFailure(typedName, devicePath, error, systemText, access);
}

} // namespace vorna::link
