#include "link/open_failure.h"

#include <QFile>
#include <vector>

#ifdef Q_OS_UNIX
#include <cerrno>
#include <grp.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace vorna::link {

#ifdef Q_OS_UNIX
namespace {

long bufferSize(int name)
{
    const long size = ::sysconf(name);
    return size > 0 ? size : 16384;
}

QString groupName(gid_t gid)
{
    std::vector<char> buffer(std::size_t(bufferSize(_SC_GETGR_R_SIZE_MAX)));
    group entry{};
    group *found = nullptr;
    while (::getgrgid_r(gid, &entry, buffer.data(), buffer.size(), &found) == ERANGE)
        buffer.resize(buffer.size() * 2);
    return found ? QString::fromLocal8Bit(found->gr_name) : QString();
}

QString userName(uid_t uid)
{
    std::vector<char> buffer(std::size_t(bufferSize(_SC_GETPW_R_SIZE_MAX)));
    passwd entry{};
    passwd *found = nullptr;
    while (::getpwuid_r(uid, &entry, buffer.data(), buffer.size(), &found) == ERANGE)
        buffer.resize(buffer.size() * 2);
    return found ? QString::fromLocal8Bit(found->pw_name) : QString::number(uid);
}

} // namespace
#endif

QString deviceGroup(const QString &devicePath)
{
#ifdef Q_OS_UNIX
    struct stat info{};
    if (devicePath.isEmpty() || ::stat(QFile::encodeName(devicePath).constData(), &info) != 0)
        return {};
    return groupName(info.st_gid);
#else
    Q_UNUSED(devicePath);
    return {};
#endif
}

DeviceAccess deviceAccess(const QString &devicePath)
{
    DeviceAccess access;
#ifdef Q_OS_UNIX
    const QByteArray path = QFile::encodeName(devicePath);
    struct stat info{};
    if (!path.isEmpty() && ::stat(path.constData(), &info) == 0) {
        access.readWrite = ::access(path.constData(), R_OK | W_OK) == 0;
        // Joining the group helps only where the group may read and write.
        constexpr mode_t groupReadWrite = S_IRGRP | S_IWGRP;
        if ((info.st_mode & groupReadWrite) == groupReadWrite)
            access.group = groupName(info.st_gid);
    }
    access.user = userName(::getuid());
#else
    // Windows refuses a port in use with "access denied"; permissions play no part.
    access.readWrite = true;
#endif
    return access;
}

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
