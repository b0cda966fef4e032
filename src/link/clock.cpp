// SPDX-License-Identifier: GPL-3.0-or-later
#include "link/clock.h"

#include <chrono>
#include <thread>

#include "link/driver_wait.h"

namespace vorna::link {

namespace {
class SteadyClock final : public Clock {
public:
    void sleepMs(int ms) override
    {
        const FineTimer fine;
        std::this_thread::sleep_for(std::chrono::milliseconds(ms));
    }
    std::int64_t nowMs() override
    {
        using namespace std::chrono;
        return duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
    }
};
} // namespace

Clock &steadyClock()
{
    static SteadyClock clock;
    return clock;
}

} // namespace vorna::link
