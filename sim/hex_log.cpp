#include "sim/hex_log.h"

#include <cstdio>

namespace vorna::sim {

std::string hexBytes(std::span<const std::uint8_t> bytes)
{
    static constexpr char digits[] = "0123456789ABCDEF";
    std::string text;
    text.reserve(bytes.size() * 3);
    for (std::uint8_t b : bytes) {
        if (!text.empty())
            text += ' ';
        text += digits[b >> 4];
        text += digits[b & 0x0F];
    }
    return text;
}

void logLine(std::chrono::steady_clock::time_point since, const std::string &text)
{
    const auto elapsed = std::chrono::steady_clock::now() - since;
    const long long ms = std::chrono::duration_cast<std::chrono::milliseconds>(elapsed).count();
    // One call per line keeps lines whole when threads log at once.
    std::fprintf(stderr, "[%6lld.%03lld] %s\n", ms / 1000, ms % 1000, text.c_str());
}

} // namespace vorna::sim
