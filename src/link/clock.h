// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <cstdint>

namespace vorna::link {

// Sleeps and a monotonic millisecond tick, replaceable in tests.
class Clock {
public:
    virtual ~Clock() = default;
    virtual void sleepMs(int ms) = 0;
    virtual std::int64_t nowMs() = 0;
};

Clock &steadyClock();

} // namespace vorna::link
