// SPDX-License-Identifier: GPL-3.0-or-later
// Loaded (LD_PRELOAD) into a program under test whose controller the test process
// simulates on a pty: each time the program looks at its port without waiting, it
// first waits until the test's simulator has caught up (lockstep.h says why).
// VORNA_SETTLE_FD names the program's end of a socket pair: a byte sent there comes
// back once the simulator is quiet. Test-only; nothing of it ships.
#include <cstdlib>
#include <dlfcn.h>
#include <poll.h>
#include <unistd.h>

extern "C" int poll(pollfd *fds, nfds_t nfds, int timeout)
{
    using Poll = int (*)(pollfd *, nfds_t, int);
    static const Poll realPoll = reinterpret_cast<Poll>(dlsym(RTLD_NEXT, "poll"));
    static int settleFd = [] {
        const char *value = std::getenv("VORNA_SETTLE_FD");
        return value ? std::atoi(value) : -1;
    }();
    if (settleFd >= 0 && nfds == 1 && timeout == 0 && isatty(fds[0].fd)) {
        char byte = 1;
        if (write(settleFd, &byte, 1) != 1 || read(settleFd, &byte, 1) != 1)
            settleFd = -1;
    }
    return realPoll(fds, nfds, timeout);
}
