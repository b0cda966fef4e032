#include "link/exchange.h"

#include <algorithm>

namespace vorna::link {

Exchange::Exchange(Clock &clock) : clock_(clock) {}

void Exchange::purge()
{
    if (portOpen())
        port_->purge();
}

void Exchange::send(std::span<const std::uint8_t> frame)
{
    const std::size_t n = std::min(frame.size(), command_.size());
    std::copy_n(frame.begin(), n, command_.begin());
    if (portOpen())
        port_->write(std::span(command_).first(n));
}

WaitResult Exchange::await(const Command &command)
{
    int p = 0;
    for (; p < command.pollLimit; ++p) {
        const int waiting = portOpen() ? port_->bytesWaiting() : -1;
        if (waiting < 0) {
            // The device is gone: nothing more will come, so stop polling now.
            lost_ = true;
            lastPoll_ = p;
            return WaitResult::TimedOut;
        }
        if (waiting >= command.replyAwaited)
            break;
        if (pump_)
            pump_();
        if (cancel_) {
            lastPoll_ = p;
            return WaitResult::Cancelled;
        }
        if (!portOpen()) {
            lost_ = true;
            lastPoll_ = p;
            return WaitResult::TimedOut;
        }
        port_->pause(command.pollPauseMs);
    }
    lastPoll_ = p;
    // The arming frame has no acceptance limit: the caller goes on either way.
    const int acceptLimit = command.acceptLimit > 0 ? command.acceptLimit : command.pollLimit;
    if (p >= acceptLimit)
        return WaitResult::TimedOut;
    if (command.bytesRead > 0)
        port_->read(std::span(reply_).first(std::size_t(command.bytesRead)));
    return WaitResult::Accepted;
}

WaitResult Exchange::run(const Command &command, std::span<const std::uint8_t> frame,
                         const std::function<void()> &afterSend)
{
    if (command.blockPause)
        blockPause();
    purge();
    send(frame);
    if (afterSend)
        afterSend();
    return await(command);
}

} // namespace vorna::link
