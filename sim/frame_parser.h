// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

namespace vorna::sim {

// One complete frame as it came off the line: header, data, checksum.
struct Frame {
    std::vector<std::uint8_t> bytes;
    bool checksumOk = false;

    std::uint8_t device() const { return bytes[0]; }
    std::uint8_t code() const { return bytes[1]; }
    std::uint16_t count() const { return std::uint16_t(bytes[2] << 8 | bytes[3]); }
    std::uint32_t address() const;
    std::span<const std::uint8_t> data() const;
};

inline constexpr std::size_t kHeaderSize = 8;
inline constexpr std::size_t kChecksumSize = 2;

// Cuts the incoming byte stream into frames. It keeps no clock: the owner calls
// flush() once a partial frame has sat idle too long. Bytes that cannot begin a
// frame are dropped one at a time, so the parser finds the next frame after any
// garbage; it never reads past what it was given.
class FrameParser {
public:
    std::vector<Frame> feed(std::span<const std::uint8_t> bytes);
    // Drops the partial frame at the head and returns any whole frames behind it.
    std::vector<Frame> flush();

    std::size_t pending() const { return buffer_.size(); }
    // Bytes dropped as garbage since the last call.
    std::vector<std::uint8_t> takeDiscarded();

    // Length of the frame whose header starts `head`, or 0 when no frame can
    // start there. Needs at least two bytes to judge, the full header to measure.
    static std::size_t frameLength(std::span<const std::uint8_t> head);
    // Whether a whole header could start here, judged from the bytes present.
    static bool plausibleStart(std::span<const std::uint8_t> head);

private:
    void scan(std::vector<Frame> &out);
    void drop(std::size_t n);
    bool checksumMatches(std::size_t start, std::size_t length) const;

    std::vector<std::uint8_t> buffer_;
    std::vector<std::uint8_t> discarded_;
    // Head bytes that lie inside a frame already reported with a bad checksum:
    // a new start among them is taken only if its own checksum is right.
    std::size_t suspect_ = 0;
};

} // namespace vorna::sim
