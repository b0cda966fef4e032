#include "cli/standard_streams.h"

#ifndef Q_OS_WIN
#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <unistd.h>
#endif

namespace vorna::cli {

#ifndef Q_OS_WIN
std::array<bool, 3> guardStandardFds()
{
    std::array<bool, 3> closed{};
    for (int fd = 0; fd < 3; ++fd) {
        if (::fcntl(fd, F_GETFD) != -1 || errno != EBADF)
            continue;
        closed[std::size_t(fd)] = true;
        // The lowest free number is this one, as every lower one is open by now.
        const int null = ::open("/dev/null", O_RDWR);
        if (null >= 0 && null != fd) {
            ::dup2(null, fd);
            ::close(null);
        }
    }
    std::signal(SIGPIPE, SIG_IGN);
    return closed;
}
#else
std::array<bool, 3> guardStandardFds() { return {}; }
#endif

} // namespace vorna::cli
