// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdint>
#include <fcntl.h>
#include <poll.h>
#include <sstream>
#include <string>
#include <unistd.h>
#include <vector>

#include "sim/hex_log.h"

namespace simtest {

using Bytes = std::vector<std::uint8_t>;

inline Bytes hex(const std::string &text)
{
    Bytes out;
    std::istringstream in(text);
    std::string word;
    while (in >> word)
        out.push_back(std::uint8_t(std::stoul(word, nullptr, 16)));
    return out;
}

inline std::string show(const Bytes &bytes)
{
    return vorna::sim::hexBytes(bytes);
}

// The tool's side of the line, with nothing but system calls.
class RawClient {
public:
    explicit RawClient(const std::string &path) : fd_(::open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK)) {}
    ~RawClient()
    {
        if (fd_ >= 0)
            ::close(fd_);
    }
    RawClient(const RawClient &) = delete;
    RawClient &operator=(const RawClient &) = delete;

    bool isOpen() const { return fd_ >= 0; }

    bool send(const Bytes &bytes) { return ::write(fd_, bytes.data(), bytes.size()) == ssize_t(bytes.size()); }

    // Reads until `want` bytes came or timeoutMs passed; returns what came.
    Bytes receive(std::size_t want, int timeoutMs)
    {
        Bytes got;
        const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
        while (got.size() < want) {
            const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(end - std::chrono::steady_clock::now());
            if (left.count() <= 0)
                break;
            pollfd p{fd_, POLLIN, 0};
            if (::poll(&p, 1, int(left.count())) <= 0)
                break;
            if (!(p.revents & POLLIN)) {
                hungUp_ = true;
                break;
            }
            std::uint8_t chunk[256];
            const ssize_t n = ::read(fd_, chunk, std::min(sizeof chunk, want - got.size()));
            if (n <= 0) {
                hungUp_ = n < 0 && errno != EAGAIN;
                if (hungUp_)
                    break;
                continue;
            }
            got.insert(got.end(), chunk, chunk + n);
        }
        return got;
    }

    // Whatever arrives within ms, for checking that nothing (more) comes.
    Bytes drain(int ms) { return receive(4096, ms); }

    // The line has gone: poll reports a hang-up or an error, or a read fails.
    bool sawHangUp(int timeoutMs)
    {
        pollfd p{fd_, POLLIN, 0};
        if (::poll(&p, 1, timeoutMs) > 0 && (p.revents & (POLLHUP | POLLERR)))
            return true;
        std::uint8_t b;
        return ::read(fd_, &b, 1) < 0 && errno != EAGAIN;
    }
    bool hungUp() const { return hungUp_; }

private:
    int fd_;
    bool hungUp_ = false;
};

} // namespace simtest
