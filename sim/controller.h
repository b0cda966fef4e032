// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <array>
#include <chrono>
#include <deque>
#include <optional>
#include <cstdint>
#include <random>
#include <span>
#include <string>
#include <utility>
#include <vector>

#include "sim/fault.h"
#include "sim/frame_parser.h"

namespace vorna::sim {

// What the controller does with one frame.
struct Response {
    std::vector<std::uint8_t> reply;  // what goes on the line, faults applied; empty: nothing
    std::vector<std::uint8_t> line;   // echo and noise, sent at once, before the reply
    int delayMs = 0;                  // the reply leaves this late
    int byteGapMs = 0;                // and its bytes this far apart
    bool held = false;                // the reply waits until released (Hold)
    bool vanish = false;              // the line is gone: nothing is executed or sent
    bool blockWritten = false;        // block memory changed
    std::string note;                 // why the frame was not answered, for the log

    bool answered() const { return !reply.empty() && !vanish; }
};

// The controller's memories and its handling of frames, without a line: a frame
// in, the bytes it answers out. Not thread-safe; its owner serialises calls.
class Controller {
public:
    using Clock = std::chrono::steady_clock;
    using ReaderArea = std::array<std::uint8_t, 9>;

    explicit Controller(std::uint8_t address = 1);

    Response handle(const Frame &frame, Clock::time_point now = Clock::now());

    // The device address lives in block memory, so a write there moves it.
    std::uint8_t address() const;
    const std::vector<std::uint8_t> &block() const { return block_; }
    const std::vector<std::uint8_t> &live() const { return live_; }
    // Bytes outside the memory are let go.
    void setBlock(std::uint32_t address, std::span<const std::uint8_t> bytes);
    void setLive(std::uint32_t address, std::span<const std::uint8_t> bytes);

    // A card held to the reader: from `due` on the reader area reads as given.
    void setReaderArea(const ReaderArea &area, Clock::time_point due);
    // A card held to the reader delayMs after every arming (a live write of 0 to the
    // card-present flag), as a person holds a card after clicking. With several, the
    // next of them at each arming, as cards enrolled one after another, and none
    // after the last.
    void presentOnArming(std::vector<ReaderArea> areas, int delayMs);
    // Reader area of a card number: flag 1, up to 7 number bytes, their count.
    static ReaderArea cardArea(std::span<const std::uint8_t> number);
    // Lets the cards whose time has come reach the reader area.
    void applyDue(Clock::time_point now);

    void addFault(const Fault &fault) { faults_.push_back(fault); }
    void clearFaults() { faults_.clear(); }

    // A simulator left running for days opens lockers without end: only the latest
    // openings are kept, the others only counted.
    static constexpr std::size_t kKeptOpenings = 1024;
    // (locker 1 to 20, time byte) for each of the latest kKeptOpenings locker opening
    // bytes written, oldest first.
    std::vector<std::pair<int, std::uint8_t>> openings() const { return {openings_.begin(), openings_.end()}; }
    // Every locker opening byte written since the start.
    std::uint64_t openingCount() const { return openingCount_; }
    // Frames counted so far for the faults' frame numbers.
    int addressedFrames() const { return addressed_; }

private:
    bool execute(const Frame &frame, Response &response, Clock::time_point now, bool store);
    void applyFaults(int index, Response &response);
    void addLineFaults(const Frame &frame, Response &response);

    std::vector<std::uint8_t> block_;
    std::vector<std::uint8_t> live_;
    std::vector<std::pair<Clock::time_point, ReaderArea>> cards_;
    std::vector<Fault> faults_;
    std::deque<std::pair<int, std::uint8_t>> openings_;
    std::uint64_t openingCount_ = 0;
    std::vector<ReaderArea> onArming_;
    std::size_t nextOnArming_ = 0;
    int onArmingDelayMs_ = 0;
    std::vector<std::uint8_t> previousReply_;
    int addressed_ = 0;
    int received_ = 0;
    std::mt19937 random_{0x5eed};
};

} // namespace vorna::sim
