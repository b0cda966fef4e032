// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <algorithm>
#include <cstdint>
#include <deque>
#include <functional>
#include <span>
#include <vector>

#include "link/clock.h"
#include "link/serial_port.h"

namespace vorna::test {

// A port that stages what a pty cannot: the exact poll at which a reply is seen.
// Each frame written is answered by `respond`, which returns the reply and the
// number of status queries after which it shows up whole (-1: never).
class ScriptedPort final : public link::SerialPort {
public:
    struct Reply {
        std::vector<std::uint8_t> bytes;
        int visibleAfterQueries = 0;
        // Bytes the line adds after the reply, seen from this status query on (-1: none).
        std::vector<std::uint8_t> trailing = {};
        int trailingAfterQueries = -1;
    };
    std::function<Reply(const std::vector<std::uint8_t> &frame, int frameIndex)> respond;

    std::vector<std::vector<std::uint8_t>> written;
    int purges = 0;
    int queries = 0;          // status queries since the last write
    int totalQueries = 0;
    std::vector<int> pauses;  // every poll pause asked for
    bool open = true;
    bool gone = false;

    bool isOpen() const override { return open; }
    void purge() override
    {
        ++purges;
        input_.clear();
        pending_.clear();
        trailing_.clear();
    }
    void write(std::span<const std::uint8_t> bytes) override
    {
        written.emplace_back(bytes.begin(), bytes.end());
        queries = 0;
        pending_.clear();
        trailing_.clear();
        if (!respond)
            return;
        Reply r = respond(written.back(), int(written.size()) - 1);
        if (r.trailingAfterQueries >= 0) {
            trailing_ = std::move(r.trailing);
            trailingDueAt_ = r.trailingAfterQueries;
        }
        if (r.visibleAfterQueries < 0)
            return;
        pending_ = std::move(r.bytes);
        dueAt_ = r.visibleAfterQueries;
        if (dueAt_ == 0)
            flushPending();
    }
    int bytesWaiting() override
    {
        if (gone)
            return -1;
        if (!pending_.empty() && queries >= dueAt_)
            flushPending();
        if (!trailing_.empty() && queries >= trailingDueAt_) {
            input_.insert(input_.end(), trailing_.begin(), trailing_.end());
            trailing_.clear();
        }
        ++queries;
        ++totalQueries;
        return int(input_.size());
    }
    int read(std::span<std::uint8_t> into) override
    {
        const std::size_t n = std::min(into.size(), input_.size());
        std::copy_n(input_.begin(), n, into.begin());
        input_.erase(input_.begin(), input_.begin() + std::ptrdiff_t(n));
        return int(n);
    }
    void pause(int ms) override { pauses.push_back(ms); }
    std::size_t unread() const { return input_.size(); }

private:
    void flushPending()
    {
        input_.insert(input_.end(), pending_.begin(), pending_.end());
        pending_.clear();
    }
    std::deque<std::uint8_t> input_;
    std::vector<std::uint8_t> pending_;
    int dueAt_ = 0;
    std::vector<std::uint8_t> trailing_;
    int trailingDueAt_ = 0;
};

// Time that moves only when slept through.
class FakeClock final : public link::Clock {
public:
    std::int64_t now = 0;
    std::vector<int> sleeps;
    void sleepMs(int ms) override
    {
        sleeps.push_back(ms);
        now += ms;
    }
    std::int64_t nowMs() override { return now; }
};

} // namespace vorna::test
