// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <array>
#include <cstdint>
#include <functional>
#include <span>

#include "link/clock.h"
#include "link/commands.h"
#include "link/frame.h"
#include "link/serial_port.h"

namespace vorna::link {

enum class WaitResult {
    Accepted,   // the reply came within the acceptance limit and was read
    TimedOut,   // it did not, or the port went away
    Cancelled,  // the user asked to stop while we waited
    BadReply,   // with the reply check on: the bytes read are not the reply to this frame
};

// What the line brought after a reply was read (see Exchange::watchAfterReply).
enum class AfterReply { Quiet, MoreBytes, Cancelled, PortLost };

// Why a checked reply was refused.
enum class ReplyProblem { None, Header, Checksum, ExtraBytes };

// The refused reply's frame: its number in the operation and what it asked for.
struct RefusedReply {
    ReplyProblem problem = ReplyProblem::None;
    int frame = 0;
    Code code = Code::ReadBlock;
    std::uint32_t address = 0;
};

// Bytes of the whole reply to a command: the 8 header bytes, the data of a read, the
// checksum. The table may await and read fewer (the guardian read, the locker opening).
constexpr int fullReplyLength(const Command &command) { return command.isWrite() ? 10 : command.count + 10; }

// Whether `reply` repeats the header of `frame` and ends in its own checksum.
ReplyProblem checkReply(std::span<const std::uint8_t> frame, std::span<const std::uint8_t> reply);

// The request/reply exchange over the one open port, with its command and reply
// areas. One operation at a time holds it (see Busy).
class Exchange {
public:
    explicit Exchange(Clock &clock = steadyClock());

    // The port in use; null while no port is open. Not owned.
    void setPort(SerialPort *port) { port_ = port; }
    SerialPort *port() const { return port_; }
    bool portOpen() const { return port_ && port_->isOpen(); }

    // Off by default: the window takes any reply of the awaited length. On, a reply is
    // awaited and read whole, and taken only when it repeats the request's header, ends
    // in its own checksum and no byte past it is already waiting.
    void setReplyCheck(bool on) { checkReplies_ = on; }
    bool replyCheck() const { return checkReplies_; }
    // The last reply refused by the check.
    const RefusedReply &refused() const { return refused_; }

    // Called between polls so the window can repaint and take clicks.
    void setMessagePump(std::function<void()> pump) { pump_ = std::move(pump); }

    // Marks the exchange as taken by an operation for the guard's lifetime.
    class Busy {
    public:
        explicit Busy(Exchange &x) : x_(x) { x_.busy_ = true; x_.cancel_ = false; x_.lost_ = false; x_.refused_ = {}; }
        ~Busy() { x_.busy_ = false; }
        Busy(const Busy &) = delete;
        Busy &operator=(const Busy &) = delete;
    private:
        Exchange &x_;
    };
    bool busy() const { return busy_; }

    // Ends the current wait at once; the operation then stops without results.
    void requestCancel() { cancel_ = true; }
    bool cancelled() const { return cancel_; }
    // The port went away during this operation.
    bool portLost() const { return lost_; }

    void blockPause() { clock_.sleepMs(5); }
    void purge();
    // Copies the frame into the command area and sends it.
    void send(std::span<const std::uint8_t> frame);
    // Polls for the command's reply and reads it into the reply area when accepted.
    WaitResult await(const Command &command);
    // One exchange: optional block pause, purge, send, `afterSend`, await.
    WaitResult run(const Command &command, std::span<const std::uint8_t> frame,
                   const std::function<void()> &afterSend = {});

    // Bytes that were waiting at the poll that ended the last wait: more than the
    // awaited count means something besides the reply came in.
    int lastWaiting() const { return lastWaiting_; }
    // After a reply has been read: polls `polls` more times, `pauseMs` apart, for any
    // byte beyond it. A USB adapter hands on what it received in bursts, so a reply
    // that looked whole may be followed by more.
    AfterReply watchAfterReply(int polls, int pauseMs);

    // Reply data: the bytes after the 8 header bytes.
    std::span<const std::uint8_t> replyData(int count) const
    {
        return std::span(reply_).subspan(kReplyDataOffset, std::size_t(count));
    }
    const std::array<std::uint8_t, kAreaSize> &replyArea() const { return reply_; }
    // Number of the poll that ended the last wait (the poll limit when none saw the reply).
    int lastPoll() const { return lastPoll_; }
    Clock &clock() { return clock_; }

private:
    Clock &clock_;
    SerialPort *port_ = nullptr;
    std::function<void()> pump_;
    std::array<std::uint8_t, kAreaSize> command_{};
    std::array<std::uint8_t, kAreaSize> reply_{};
    int lastPoll_ = 0;
    int lastWaiting_ = 0;
    std::size_t sent_ = 0;
    RefusedReply refused_;
    bool checkReplies_ = false;
    bool busy_ = false;
    bool cancel_ = false;
    bool lost_ = false;
};

} // namespace vorna::link
