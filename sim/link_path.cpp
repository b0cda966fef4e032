// SPDX-License-Identifier: GPL-3.0-or-later
#include "sim/link_path.h"

#include <array>
#include <cerrno>
#include <climits>
#include <cstring>
#include <sys/stat.h>
#include <unistd.h>

namespace vorna::sim {

namespace {

const char *kindOf(mode_t mode)
{
    if (S_ISREG(mode))
        return "a regular file";
    if (S_ISDIR(mode))
        return "a directory";
    if (S_ISFIFO(mode))
        return "a FIFO";
    if (S_ISSOCK(mode))
        return "a socket";
    if (S_ISCHR(mode))
        return "a character device";
    if (S_ISBLK(mode))
        return "a block device";
    return "not a symlink";
}

} // namespace

std::string linkPathProblem(const std::string &path)
{
    struct stat info {};
    if (::lstat(path.c_str(), &info) != 0)
        return errno == ENOENT ? std::string() : std::strerror(errno);
    if (S_ISLNK(info.st_mode))
        return {};
    return std::string("is ") + kindOf(info.st_mode) + "; only a symlink is replaced";
}

bool placeLink(const std::string &path, const std::string &target)
{
    if (!linkPathProblem(path).empty())
        return false;
    ::unlink(path.c_str());
    // symlink() never replaces: whatever took the name meanwhile is left alone.
    return ::symlink(target.c_str(), path.c_str()) == 0;
}

void removeLink(const std::string &path, const std::string &target)
{
    std::array<char, PATH_MAX> pointsTo{};
    const ssize_t n = ::readlink(path.c_str(), pointsTo.data(), pointsTo.size() - 1);
    if (n >= 0 && target == std::string(pointsTo.data(), std::size_t(n)))
        ::unlink(path.c_str());
}

} // namespace vorna::sim
