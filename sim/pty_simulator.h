// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <array>
#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <utility>
#include <vector>

#include "sim/fault.h"

namespace vorna::sim {

struct SimState;
class PtyLine;

// Outside the class so that it is complete where the constructor defaults it.
struct PtySimulatorOptions {
    std::uint8_t address = 1;
    bool pace = false;        // 19200-baud byte timing in both directions
    std::string linkPath{};   // symlink to the slave, replaced if present
    std::string memoryFile{}; // block memory: loaded at start if present, saved after each write
    bool logHex = false;      // frames and replies in hex on stderr
};

struct LoggedFrame {
    std::vector<std::uint8_t> bytes;
    bool answered;
};

// The controller behind a pseudo-terminal. The tool opens path() as its serial
// port; the simulator serves the master side from a thread of its own. Every
// public member may be called from any thread.
class PtySimulator {
public:
    using Options = PtySimulatorOptions;

    explicit PtySimulator(Options opt = {});
    ~PtySimulator();
    PtySimulator(const PtySimulator &) = delete;
    PtySimulator &operator=(const PtySimulator &) = delete;

    // Opens the pseudo-terminal and starts serving; false if the system refused.
    bool start();
    // The slave's path, or the link's path when one was asked for.
    std::string path() const;
    void stop();

    std::vector<std::uint8_t> block() const;
    void setBlock(std::uint32_t addr, std::span<const std::uint8_t> bytes);
    std::vector<std::uint8_t> live() const;
    void setLive(std::uint32_t addr, std::span<const std::uint8_t> bytes);
    std::uint8_t address() const;

    void addFault(Fault f);
    void clearFaults();
    // Lets the replies kept back by a Hold fault go out now.
    void releaseHeld();

    // Blocks until the line is quiet: every byte the tool wrote has reached the
    // simulator and been handled, and every reply due by now is written. A pty hands
    // bytes on through a kernel worker that a busy machine may run late; a test that
    // settles between the tool's polls counts polls that the simulator kept up with.
    // False when that takes longer than limitMs.
    bool settle(int limitMs = 10000);

    // delayMs after the call the card is on the reader: flag 1, up to 7 number bytes.
    void presentCard(std::vector<std::uint8_t> number, int delayMs);
    // The card is on the reader delayMs after every arming of the reader.
    void presentCardOnArming(std::vector<std::uint8_t> number, int delayMs);
    // Several cards: the next of them delayMs after each arming, none after the last.
    void presentCardsOnArming(const std::vector<std::vector<std::uint8_t>> &numbers, int delayMs);
    // The same with the nine raw bytes of the reader area (flag, number, length).
    void setReaderArea(std::array<std::uint8_t, 9> area, int delayMs);

    // Every complete frame received, in order, whoever it was for.
    std::vector<LoggedFrame> frames() const;
    void clearLog();
    // (locker 1 to 20, time byte) of the openings written, the latest
    // Controller::kKeptOpenings of them, oldest first.
    std::vector<std::pair<int, std::uint8_t>> openings() const;
    // Every opening written since the start.
    std::uint64_t openingCount() const;
    // Blocks until at least n frames were received or timeoutMs passed; returns the count.
    int waitForFrames(int n, int timeoutMs) const;

private:
    std::unique_ptr<SimState> state_;
    std::unique_ptr<PtyLine> line_;
};

} // namespace vorna::sim
