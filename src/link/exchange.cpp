// SPDX-License-Identifier: GPL-3.0-or-later
#include "link/exchange.h"

#include <algorithm>

#include "link/checksum.h"

namespace vorna::link {

ReplyProblem checkReply(std::span<const std::uint8_t> frame, std::span<const std::uint8_t> reply)
{
    if (frame.size() < std::size_t(kReplyDataOffset) || reply.size() < std::size_t(kReplyDataOffset) + 2 ||
        !std::equal(frame.begin(), frame.begin() + kReplyDataOffset, reply.begin()))
        return ReplyProblem::Header;
    const std::uint16_t sum = frameChecksum(reply.first(reply.size() - 2));
    if (reply[reply.size() - 2] != std::uint8_t(sum >> 8) || reply.back() != std::uint8_t(sum))
        return ReplyProblem::Checksum;
    return ReplyProblem::None;
}

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
    sent_ = n;
    if (portOpen())
        port_->write(std::span(command_).first(n));
}

WaitResult Exchange::await(const Command &command)
{
    // The arming frame's answer is never read, so there is nothing to check.
    const bool checked = checkReplies_ && command.bytesRead > 0;
    const int awaited = checked ? fullReplyLength(command) : command.replyAwaited;
    int waiting = 0;
    int p = 0;
    for (; p < command.pollLimit; ++p) {
        waiting = portOpen() ? port_->bytesWaiting() : -1;
        if (waiting < 0) {
            // The device is gone: nothing more will come, so stop polling now.
            lost_ = true;
            lastPoll_ = p;
            return WaitResult::TimedOut;
        }
        if (waiting >= awaited)
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
    lastWaiting_ = waiting;
    // The arming frame has no acceptance limit: the caller goes on either way.
    const int acceptLimit = command.acceptLimit > 0 ? command.acceptLimit : command.pollLimit;
    if (p >= acceptLimit)
        return WaitResult::TimedOut;
    if (!checked) {
        if (command.bytesRead > 0)
            port_->read(std::span(reply_).first(std::size_t(command.bytesRead)));
        return WaitResult::Accepted;
    }
    const auto reply = std::span(reply_).first(std::size_t(awaited));
    port_->read(reply);
    const auto frame = std::span(command_).first(sent_);
    const ReplyProblem problem = waiting > awaited ? ReplyProblem::ExtraBytes : checkReply(frame, reply);
    if (problem == ReplyProblem::None)
        return WaitResult::Accepted;
    const std::uint32_t address = std::uint32_t(command_[4]) << 24 | std::uint32_t(command_[5]) << 16 |
                                  std::uint32_t(command_[6]) << 8 | command_[7];
    const int index = command.stride > 0 && address >= command.address
                          ? int((address - command.address) / command.stride)
                          : 0;
    refused_ = {problem, index, Code(command_[1]), address};
    return WaitResult::BadReply;
}

AfterReply Exchange::watchAfterReply(int polls, int pauseMs)
{
    for (int p = 0;; ++p) {
        const int waiting = portOpen() ? port_->bytesWaiting() : -1;
        if (waiting < 0) {
            lost_ = true;
            return AfterReply::PortLost;
        }
        if (waiting > 0)
            return AfterReply::MoreBytes;
        if (p == polls)
            return AfterReply::Quiet;
        if (pump_)
            pump_();
        if (cancel_)
            return AfterReply::Cancelled;
        if (!portOpen()) {
            lost_ = true;
            return AfterReply::PortLost;
        }
        port_->pause(pauseMs);
    }
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
