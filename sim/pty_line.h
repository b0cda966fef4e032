#pragma once
#include <atomic>
#include <chrono>
#include <cstdint>
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

private:
    using Clock = std::chrono::steady_clock;

    void run();
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

    // Owned by the serving thread.
    bool vanished_ = false;
    FrameParser parser_;
    std::deque<std::pair<Clock::time_point, Frame>> incoming_;
    std::deque<std::pair<Clock::time_point, std::vector<std::uint8_t>>> outgoing_;
    bool outputBlocked_ = false;
    Clock::time_point lineIn_{};
    Clock::time_point lineOut_{};
    Clock::time_point lastByte_{};
};

} // namespace vorna::sim
