// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <QSerialPort>
#include <QString>

namespace vorna::link {

// What the system says about a device file and the user who tried to open it: enough
// to tell a port held by another program from one the user may not open.
struct DeviceAccess {
    bool readWrite = false; // this process may open the file for reading and writing
    QString group;          // the file's owner group if it may read and write; else empty
    QString user;           // the user's login name
};

DeviceAccess deviceAccess(const QString &devicePath);

// The owner group of the device file (links followed); empty when it cannot be read.
QString deviceGroup(const QString &devicePath);

// Why a port did not open, in Polish, for the status line's tooltip. typedName is the
// trimmed text of the port field, devicePath what it was mapped to, error and
// systemText what the port reported. Reads nothing from the system.
QString openFailureReason(const QString &typedName, const QString &devicePath,
                          QSerialPort::SerialPortError error, const QString &systemText,
                          const DeviceAccess &access);

// The same, with the device's access looked up when the error calls for it.
QString openFailureReason(const QString &typedName, const QString &devicePath,
                          QSerialPort::SerialPortError error, const QString &systemText);

} // namespace vorna::link
