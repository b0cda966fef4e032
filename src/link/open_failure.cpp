// SPDX-License-Identifier: GPL-3.0-or-later
#include "link/open_failure.h"

namespace vorna::link {

QString openFailureReason(const QString &typedName, const QString &devicePath,
                          QSerialPort::SerialPortError error, const QString &systemText,
                          const DeviceAccess &access)
{
    if (typedName.isEmpty())
        return QStringLiteral("Nie podano nazwy portu.");
    switch (error) {
    case QSerialPort::DeviceNotFoundError:
        return QStringLiteral("Port %1 nie istnieje.").arg(typedName);
    case QSerialPort::PermissionError:
        // The port reports a lock held by another program, a busy device and a
        // refused file alike; only the file's permissions tell them apart.
        if (access.readWrite)
            return QStringLiteral("Port %1 jest używany przez inny program.").arg(typedName);
        // Advice to join root's group would be wrong: such a device is not meant for users.
        if (access.group.isEmpty() || access.group == QLatin1String("root"))
            return QStringLiteral("Brak uprawnień do portu %1.").arg(devicePath);
        return QStringLiteral("Brak uprawnień do portu %1: użytkownik nie należy do grupy %2, "
                              "która jest jego właścicielem. Dodaj go poleceniem: "
                              "sudo usermod -aG %2 %3 i zaloguj się ponownie.")
            .arg(devicePath, access.group, access.user);
    default:
        return systemText;
    }
}

QString openFailureReason(const QString &typedName, const QString &devicePath,
                          QSerialPort::SerialPortError error, const QString &systemText)
{
    const DeviceAccess access = error == QSerialPort::PermissionError && !typedName.isEmpty()
        ? deviceAccess(devicePath)
        : DeviceAccess{};
    return openFailureReason(typedName, devicePath, error, systemText, access);
}

} // namespace vorna::link
