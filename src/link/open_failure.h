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

// Why a port did not open, with the facts the front ends word it from (ops/open_failure_text.h).
struct OpenFailure {
    enum class Reason {
        NoName,        // the port field held nothing but blanks
        NotFound,      // no such device
        InUse,         // refused although the user may open the file: another program holds it
        NoPermission,  // the user may not open the file, and no group the user could join would help
        NotInGroup,    // the user may not open the file; its owner group may read and write it
        Other,         // anything else: only the system's text says what
    };
    Reason reason = Reason::Other;
    QString typedName;    // the port field, trimmed
    QString devicePath;   // what it was mapped to
    QSerialPort::SerialPortError error = QSerialPort::UnknownError;
    QString systemText;   // the port's own error text
    DeviceAccess access;  // looked up for a permission error only
};

// The reason the facts give; reads nothing from the system.
OpenFailure classifyOpenFailure(const QString &typedName, const QString &devicePath,
                                QSerialPort::SerialPortError error, const QString &systemText,
                                const DeviceAccess &access);

// The same, with the device's access looked up when the error calls for it.
OpenFailure diagnoseOpenFailure(const QString &typedName, const QString &devicePath,
                                QSerialPort::SerialPortError error, const QString &systemText);

} // namespace vorna::link
