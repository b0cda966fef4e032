// SPDX-License-Identifier: GPL-3.0-or-later
#include "cli/standard_streams.h"

#ifdef Q_OS_WIN
#include <cstdlib>
#include <windows.h>
#else
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
namespace {
UINT consoleCodePageAtStart = 0;
void restoreConsoleCodePage() { ::SetConsoleOutputCP(consoleCodePageAtStart); }
} // namespace

std::array<bool, 3> guardStandardFds()
{
    // The streams write UTF-8; a console left at its OEM code page would show the Polish
    // letters as other characters. The console's own page comes back at exit.
    consoleCodePageAtStart = ::GetConsoleOutputCP();
    if (consoleCodePageAtStart != 0 && consoleCodePageAtStart != CP_UTF8 && ::SetConsoleOutputCP(CP_UTF8))
        std::atexit(restoreConsoleCodePage);
    return {};
}
#endif

} // namespace vorna::cli
