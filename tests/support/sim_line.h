// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "sim/fault.h"

namespace vorna::test {

struct LineFrame {
    std::vector<std::uint8_t> bytes;
};

// The simulated controller as the window's tests drive it, wherever it runs: in
// this process on a pty (Linux), or a vorna-sim in another process (Windows under
// Wine, where the port is a COM port mapped onto that simulator's terminal). Each
// one starts fresh: erased memory, no faults, no frames.
class SimLine {
public:
    virtual ~SimLine() = default;
    // The port name to type into the window.
    virtual std::string path() const = 0;
    virtual void setBlock(std::uint32_t addr, std::span<const std::uint8_t> bytes) = 0;
    // delayMs after the call the card is on the reader.
    virtual void presentCard(std::vector<std::uint8_t> number, int delayMs) = 0;
    virtual void addFault(sim::Fault f) = 0;
    // Every complete frame received, in order.
    virtual std::vector<LineFrame> frames() const = 0;
    // Until at least n frames were received or timeoutMs passed; the count.
    virtual int waitForFrames(int n, int timeoutMs) const = 0;
    // Lets the replies of Fault::Hold go.
    virtual void releaseHeld() = 0;
    // Until every byte the window wrote has been handled and every reply due is
    // written; false when that did not come about within the simulator's limit.
    virtual bool settle() = 0;
};

} // namespace vorna::test
