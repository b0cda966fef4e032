// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <deque>
#include <span>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "sim/frame_parser.h"

namespace vorna::sim {

struct SimState;

// The pseudo-terminal and the thread that serves it: bytes in through the
// parser, frames to the controller, replies out, each at its time on the line.
class PtyLine {
public:
    explicit PtyLine(SimState &state);
    ~PtyLine();
    PtyLine(const PtyLine &) = delete;
    PtyLine &operator=(const PtyLine &) = delete;

    bool open();
    // Stops the thread and gives the line back; safe to call twice.
    void close();
    const std::string &slavePath() const { return slavePath_; }

    // Waits until the line is quiet: every byte written to the slave has reached the
    // master and been handled, and every reply due by now is written. False when that
    // takes longer than `limit`.
    bool settle(std::chrono::milliseconds limit);
    // Lets the replies kept back by a Hold fault go out now.
    void releaseHeld();

private:
    using Clock = std::chrono::steady_clock;

    void run();
    void publishQuiet(bool timed, Clock::time_point deadline);
    void takeRelease(Clock::time_point now);
    void wake();
    Clock::time_point nextDeadline(bool &any) const;
    void readInput(Clock::time_point now);
    void accept(std::vector<Frame> frames, Clock::time_point due);
    void executeDue(Clock::time_point now);
    void execute(const Frame &frame, Clock::time_point now);
    void queueReply(const std::vector<std::uint8_t> &reply, Clock::time_point due, int byteGapMs = 0);
    void writeDue(Clock::time_point now);
    void vanish();
    void releaseFds();
    void removeLink();
    void log(const std::string &text) const;
    void logDiscarded(const std::string &what);

    SimState &state_;
    int master_ = -1;
    int slave_ = -1;  // kept open so the line stays raw and the master never hangs up
    int wake_ = -1;
    std::string slavePath_;
    bool linked_ = false;
    std::thread thread_;
    std::atomic<bool> stopping_{false};

    // What settle() needs to know of the serving thread, guarded by quietMutex_.
    std::mutex quietMutex_;
    std::condition_variable quietChanged_;
    bool serving_ = false;        // between waking and waiting again
    bool lineUp_ = false;         // the master is open and served
    bool releaseAsked_ = false;
    std::uint64_t passes_ = 0;    // waits begun
    Clock::time_point nextDue_ = Clock::time_point::max();

    // Owned by the serving thread.
    bool vanished_ = false;
    FrameParser parser_;
    std::deque<std::pair<Clock::time_point, Frame>> incoming_;
    std::deque<std::pair<Clock::time_point, std::vector<std::uint8_t>>> outgoing_;
    std::vector<std::pair<std::vector<std::uint8_t>, int>> held_;   // reply, byte gap
    bool outputBlocked_ = false;
    Clock::time_point lineIn_{};
    Clock::time_point lineOut_{};
    Clock::time_point lastByte_{};
};

} // namespace vorna::sim
