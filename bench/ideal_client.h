// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <cstdint>
#include <functional>
#include <span>
#include <string>
#include <vector>

#include "link/commands.h"

namespace vorna::bench {

// The fastest client the protocol allows: the tool's frames over a raw descriptor,
// each reply taken with blocking reads of exactly its length. It keeps only what
// the protocol itself asks for: the 5 ms block pause where the command table has
// one, and the purge before each frame (a flush, no sleep).
class IdealClient {
public:
    IdealClient() = default;
    ~IdealClient();
    IdealClient(const IdealClient &) = delete;
    IdealClient &operator=(const IdealClient &) = delete;

    bool open(const std::string &path);
    void close();
    bool isOpen() const { return fd_ >= 0; }

    // Payload of frame i; empty for reads.
    using Payload = std::function<std::vector<std::uint8_t>(int)>;

    // Frames 0..frames-1 of the command to `device`, one exchange each. False as
    // soon as a reply does not come whole within timeoutMs.
    bool run(std::uint8_t device, const link::Command &command, int frames,
             const Payload &payload = {}, int timeoutMs = 1000);

    // The last reply, as read (command.replyAwaited bytes).
    const std::vector<std::uint8_t> &lastReply() const { return reply_; }

private:
    bool writeAll(std::span<const std::uint8_t> bytes);
    bool readExact(std::size_t count, int timeoutMs);

    int fd_ = -1;
    std::vector<std::uint8_t> reply_;
};

} // namespace vorna::bench
