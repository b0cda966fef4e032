// SPDX-License-Identifier: GPL-3.0-or-later
#include "sim/hex_log.h"

#include <QByteArray>
#include <array>
#include <cstdio>
#include <poll.h>
#include <unistd.h>

namespace vorna::sim {

std::string hexBytes(std::span<const std::uint8_t> bytes)
{
    return QByteArray::fromRawData(reinterpret_cast<const char *>(bytes.data()), qsizetype(bytes.size()))
        .toHex(' ')
        .toUpper()
        .toStdString();
}

void logLine(std::chrono::steady_clock::time_point since, const std::string &text)
{
    const auto elapsed = std::chrono::steady_clock::now() - since;
    const long long ms = std::chrono::duration_cast<std::chrono::milliseconds>(elapsed).count();
    std::array<char, 24> stamp{};
    std::snprintf(stamp.data(), stamp.size(), "[%6lld.%03lld] ", ms / 1000, ms % 1000);
    const std::string line = stamp.data() + text + '\n';
    // The log must never stop the line: a reader that has gone (EPIPE, with SIGPIPE
    // ignored) or stopped reading loses the line instead. One write per line keeps
    // lines whole when threads log at once.
    pollfd out{STDERR_FILENO, POLLOUT, 0};
    if (::poll(&out, 1, 0) != 1 || !(out.revents & POLLOUT))
        return;
    [[maybe_unused]] const auto written = ::write(STDERR_FILENO, line.data(), line.size());
}

} // namespace vorna::sim
