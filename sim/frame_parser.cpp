// SPDX-License-Identifier: GPL-3.0-or-later
#include "sim/frame_parser.h"

#include "link/checksum.h"
#include "link/commands.h"
#include "link/memory_map.h"

namespace vorna::sim {

using link::Code;
namespace memory = link::memory;

std::uint32_t Frame::address() const
{
    return std::uint32_t(bytes[4]) << 24 | std::uint32_t(bytes[5]) << 16 | std::uint32_t(bytes[6]) << 8 |
           std::uint32_t(bytes[7]);
}

std::span<const std::uint8_t> Frame::data() const
{
    if (bytes.size() < kHeaderSize + kChecksumSize)
        return {};
    return std::span<const std::uint8_t>(bytes).subspan(kHeaderSize, bytes.size() - kHeaderSize - kChecksumSize);
}

namespace {

// Largest count a frame of this code may carry, or -1 for a code the controller lacks.
long countLimit(std::uint8_t code)
{
    switch (Code(code)) {
    case Code::ReadLive:
    case Code::WriteLive:
        return memory::kLiveSize;
    case Code::ReadBlock:
    case Code::WriteBlock:
        return memory::kBlockSize;
    }
    return -1;
}

bool isWrite(std::uint8_t code)
{
    return Code(code) == Code::WriteLive || Code(code) == Code::WriteBlock;
}

} // namespace

bool FrameParser::plausibleStart(std::span<const std::uint8_t> head)
{
    if (head.size() < 2)
        return true;
    const long limit = countLimit(head[1]);
    if (limit < 0)
        return false;
    if (head.size() < 3)
        return true;
    if (head[2] > (limit >> 8))
        return false;
    if (head.size() < 4)
        return true;
    return (long(head[2]) << 8 | head[3]) <= limit;
}

std::size_t FrameParser::frameLength(std::span<const std::uint8_t> head)
{
    if (head.size() < 4 || !plausibleStart(head))
        return 0;
    const std::size_t count = std::size_t(head[2]) << 8 | head[3];
    return kHeaderSize + (isWrite(head[1]) ? count : 0) + kChecksumSize;
}

bool FrameParser::checksumMatches(std::size_t start, std::size_t length) const
{
    const auto body = std::span<const std::uint8_t>(buffer_).subspan(start, length - kChecksumSize);
    const std::uint16_t sum = link::frameChecksum(body);
    return buffer_[start + length - 2] == std::uint8_t(sum >> 8) && buffer_[start + length - 1] == std::uint8_t(sum);
}

void FrameParser::drop(std::size_t n)
{
    for (std::size_t i = 0; i < n; ++i) {
        if (suspect_ > 0)
            --suspect_;
        else
            discarded_.push_back(buffer_[i]);
    }
    buffer_.erase(buffer_.begin(), buffer_.begin() + std::ptrdiff_t(n));
}

void FrameParser::scan(std::vector<Frame> &out)
{
    while (!buffer_.empty()) {
        const auto head = std::span<const std::uint8_t>(buffer_);
        if (!plausibleStart(head)) {
            drop(1);
            continue;
        }
        const std::size_t length = frameLength(head);
        if (length == 0 || buffer_.size() < length) {
            // The head may be garbage that only looks like a frame's start; a
            // whole, correct frame behind it means it was.
            std::size_t next = 0;
            for (std::size_t k = 1; k < buffer_.size() && next == 0; ++k) {
                const std::size_t len = frameLength(head.subspan(k));
                if (len != 0 && k + len <= buffer_.size() && checksumMatches(k, len))
                    next = k;
            }
            if (next == 0)
                return;
            drop(next);
            continue;
        }
        if (checksumMatches(0, length)) {
            out.push_back(Frame{{buffer_.begin(), buffer_.begin() + std::ptrdiff_t(length)}, true});
            suspect_ = suspect_ > length ? suspect_ - length : 0;
            buffer_.erase(buffer_.begin(), buffer_.begin() + std::ptrdiff_t(length));
            continue;
        }
        if (suspect_ == 0) {
            out.push_back(Frame{{buffer_.begin(), buffer_.begin() + std::ptrdiff_t(length)}, false});
            suspect_ = length;
        }
        drop(1);
    }
}

std::vector<Frame> FrameParser::feed(std::span<const std::uint8_t> bytes)
{
    buffer_.insert(buffer_.end(), bytes.begin(), bytes.end());
    std::vector<Frame> out;
    scan(out);
    return out;
}

std::vector<Frame> FrameParser::flush()
{
    std::vector<Frame> out;
    while (!buffer_.empty()) {
        drop(1);
        scan(out);
    }
    return out;
}

std::vector<std::uint8_t> FrameParser::takeDiscarded()
{
    std::vector<std::uint8_t> out;
    out.swap(discarded_);
    return out;
}

} // namespace vorna::sim
