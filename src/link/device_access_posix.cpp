// SPDX-License-Identifier: GPL-3.0-or-later
#include <QFile>
#include <cerrno>
#include <grp.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

#include "link/open_failure.h"

namespace vorna::link {

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

QString deviceGroup(const QString &devicePath)
{
    struct stat info{};
    if (devicePath.isEmpty() || ::stat(QFile::encodeName(devicePath).constData(), &info) != 0)
        return {};
    return groupName(info.st_gid);
}

DeviceAccess deviceAccess(const QString &devicePath)
{
    DeviceAccess access;
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
    return access;
}

} // namespace vorna::link
