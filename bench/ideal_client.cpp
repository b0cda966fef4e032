// SPDX-License-Identifier: GPL-3.0-or-later
#include "ideal_client.h"

#include <cerrno>
#include <fcntl.h>
#include <poll.h>
#include <termios.h>
#include <unistd.h>

#include "link/clock.h"
#include "link/frame.h"
#include "stats.h"

namespace vorna::bench {

IdealClient::~IdealClient() { close(); }

bool IdealClient::open(const std::string &path)
{
    close();
    fd_ = ::open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (fd_ < 0)
        return false;
    termios mode{};
    if (::tcgetattr(fd_, &mode) == 0) {
        ::cfmakeraw(&mode);
        ::cfsetispeed(&mode, B19200);
        ::cfsetospeed(&mode, B19200);
        mode.c_cflag |= CLOCAL | CREAD;
        ::tcsetattr(fd_, TCSANOW, &mode);
    }
    ::tcflush(fd_, TCIOFLUSH);
    return true;
}

void IdealClient::close()
{
    if (fd_ >= 0)
        ::close(fd_);
    fd_ = -1;
}

bool IdealClient::run(std::uint8_t device, const link::Command &command, int frames,
                      const Payload &payload, int timeoutMs)
{
    for (int i = 0; i < frames; ++i) {
        // The same sleep the tool's exchange takes, so both pay the same pause.
        if (command.blockPause)
            link::steadyClock().sleepMs(5);
        ::tcflush(fd_, TCIOFLUSH);
        const std::vector<std::uint8_t> data = payload ? payload(i) : std::vector<std::uint8_t>{};
        if (!writeAll(link::buildFrame(device, command, i, data)))
            return false;
        if (!readExact(std::size_t(command.replyAwaited), timeoutMs))
            return false;
    }
    return true;
}

bool IdealClient::writeAll(std::span<const std::uint8_t> bytes)
{
    while (!bytes.empty()) {
        const ssize_t n = ::write(fd_, bytes.data(), bytes.size());
        if (n > 0) {
            bytes = bytes.subspan(std::size_t(n));
        } else if (n < 0 && (errno == EAGAIN || errno == EINTR)) {
            pollfd pfd{fd_, POLLOUT, 0};
            ::poll(&pfd, 1, 100);
        } else {
            return false;
        }
    }
    return true;
}

bool IdealClient::readExact(std::size_t count, int timeoutMs)
{
    reply_.assign(count, 0);
    std::size_t got = 0;
    const double deadline = nowMs() + timeoutMs;
    while (got < count) {
        const ssize_t n = ::read(fd_, reply_.data() + got, count - got);
        if (n > 0) {
            got += std::size_t(n);
            continue;
        }
        if (n == 0 || (errno != EAGAIN && errno != EINTR))
            return false;
        const int left = int(deadline - nowMs());
        if (left <= 0)
            return false;
        pollfd pfd{fd_, POLLIN, 0};
        if (::poll(&pfd, 1, left) < 0 && errno != EINTR)
            return false;
    }
    return true;
}

} // namespace vorna::bench
