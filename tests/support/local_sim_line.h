// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include "sim/pty_simulator.h"
#include "support/lockstep.h"
#include "support/sim_line.h"

namespace vorna::test {

// The simulator on a pty, served from a thread of this process, in step with the
// window's polls (support/lockstep.h).
class LocalSimLine final : public SimLine {
public:
    LocalSimLine() { sim_.start(); }
    std::string path() const override { return sim_.path(); }
    void setBlock(std::uint32_t addr, std::span<const std::uint8_t> bytes) override { sim_.setBlock(addr, bytes); }
    void presentCard(std::vector<std::uint8_t> number, int delayMs) override { sim_.presentCard(number, delayMs); }
    void addFault(sim::Fault f) override { sim_.addFault(f); }
    std::vector<LineFrame> frames() const override
    {
        std::vector<LineFrame> out;
        for (const auto &f : sim_.frames())
            out.push_back({f.bytes});
        return out;
    }
    int waitForFrames(int n, int timeoutMs) const override { return sim_.waitForFrames(n, timeoutMs); }
    void releaseHeld() override { sim_.releaseHeld(); }
    bool settle() override { return sim_.settle(); }

private:
    sim::PtySimulator sim_;
    Lockstep lockstep_{sim_};
};

} // namespace vorna::test
