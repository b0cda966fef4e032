// SPDX-License-Identifier: GPL-3.0-or-later
#include "sim/pty_line.h"

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstdlib>
#include <fcntl.h>
#include <poll.h>
#include <sys/eventfd.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

#include "sim/hex_log.h"
#include "sim/link_path.h"
#include "sim/memory_file.h"
#include "sim/sim_state.h"

namespace vorna::sim {

namespace {

// One byte at 19200 baud with a start bit, 8 data bits and a stop bit.
constexpr std::chrono::nanoseconds kByteTime{520833};
// A partial frame that waits longer than this for its next byte is given up.
constexpr std::chrono::milliseconds kIdleLimit{100};

void closeFd(int &fd)
{
    if (fd >= 0)
        ::close(fd);
    fd = -1;
}

} // namespace

PtyLine::PtyLine(SimState &state) : state_(state) {}

PtyLine::~PtyLine()
{
    close();
}

bool PtyLine::open()
{
    if (thread_.joinable())
        return true;
    master_ = ::posix_openpt(O_RDWR | O_NOCTTY);
    std::array<char, 128> name{};
    bool ok = master_ >= 0 && ::grantpt(master_) == 0 && ::unlockpt(master_) == 0 &&
              ::ptsname_r(master_, name.data(), name.size()) == 0;
    if (ok) {
        ::fcntl(master_, F_SETFL, ::fcntl(master_, F_GETFL) | O_NONBLOCK);
        ::fcntl(master_, F_SETFD, FD_CLOEXEC);
        slavePath_ = name.data();
        slave_ = ::open(name.data(), O_RDWR | O_NOCTTY | O_CLOEXEC);
        ok = slave_ >= 0;
    }
    termios mode{};
    if (ok && ::tcgetattr(slave_, &mode) == 0) {
        ::cfmakeraw(&mode);
        ::cfsetispeed(&mode, B19200);
        ::cfsetospeed(&mode, B19200);
        mode.c_cflag |= CLOCAL | CREAD;
        ::tcsetattr(slave_, TCSANOW, &mode);
    }
    if (ok) {
        wake_ = ::eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC);
        ok = wake_ >= 0;
    }
    const std::string &link = state_.options.linkPath;
    if (ok && !link.empty()) {
        ok = placeLink(link, slavePath_);
        linked_ = ok;
    }
    if (!ok) {
        releaseFds();
        closeFd(wake_);
        return false;
    }
    stopping_ = false;
    {
        std::lock_guard lock(quietMutex_);
        lineUp_ = true;
        serving_ = true;
    }
    thread_ = std::thread(&PtyLine::run, this);
    return true;
}

void PtyLine::close()
{
    if (thread_.joinable()) {
        stopping_ = true;
        wake();
        thread_.join();
    }
    {
        std::lock_guard lock(quietMutex_);
        lineUp_ = false;
    }
    quietChanged_.notify_all();
    releaseFds();
    closeFd(wake_);
    removeLink();
}

void PtyLine::releaseFds()
{
    closeFd(master_);
    closeFd(slave_);
}

void PtyLine::removeLink()
{
    if (!linked_)
        return;
    linked_ = false;
    sim::removeLink(state_.options.linkPath, slavePath_);
}

void PtyLine::log(const std::string &text) const
{
    if (state_.options.logHex)
        logLine(state_.started, text);
}

void PtyLine::wake()
{
    const std::uint64_t one = 1;
    [[maybe_unused]] const auto written = ::write(wake_, &one, sizeof one);
}

void PtyLine::publishQuiet(bool timed, Clock::time_point deadline)
{
    {
        std::lock_guard lock(quietMutex_);
        serving_ = false;
        nextDue_ = timed ? deadline : Clock::time_point::max();
        ++passes_;
    }
    quietChanged_.notify_all();
}

void PtyLine::takeRelease(Clock::time_point now)
{
    {
        std::lock_guard lock(quietMutex_);
        if (!releaseAsked_)
            return;
        releaseAsked_ = false;
    }
    for (const auto &[reply, byteGapMs] : held_)
        queueReply(reply, now, byteGapMs);
    held_.clear();
}

void PtyLine::releaseHeld()
{
    {
        std::lock_guard lock(quietMutex_);
        releaseAsked_ = true;
    }
    wake();
}

bool PtyLine::settle(std::chrono::milliseconds limit)
{
    const auto end = Clock::now() + limit;
    std::unique_lock lock(quietMutex_);
    for (;;) {
        if (!lineUp_ || stopping_)
            return true;
        if (!serving_ && !releaseAsked_) {
            // Bytes written to the slave reach the master only when the kernel's tty
            // worker has pushed them on; a poll of the master waits for that.
            pollfd p{master_, POLLIN, 0};
            ::poll(&p, 1, 0);
            int unread = 0;
            ::ioctl(master_, FIONREAD, &unread);
            if (unread == 0 && nextDue_ > Clock::now())
                return true;
        }
        const std::uint64_t seen = passes_;
        wake();
        if (!quietChanged_.wait_until(lock, end, [&] { return passes_ != seen || !lineUp_; }))
            return false;
    }
}

void PtyLine::run()
{
    while (!stopping_) {
        auto now = Clock::now();
        takeRelease(now);
        executeDue(now);
        if (!vanished_)
            writeDue(now);
        if (parser_.pending() > 0 && now - lastByte_ > kIdleLimit) {
            accept(parser_.flush(), now);
            logDiscarded("rx partial frame dropped ");
            executeDue(now);
        }

        bool timed = false;
        const auto deadline = nextDeadline(timed);
        timespec wait{};
        if (timed) {
            const auto left = std::max(deadline - Clock::now(), Clock::duration::zero());
            const auto ns = std::chrono::duration_cast<std::chrono::nanoseconds>(left).count();
            wait.tv_sec = time_t(ns / 1000000000);
            wait.tv_nsec = long(ns % 1000000000);
        }
        std::array<pollfd, 2> fds{};
        fds[0] = {wake_, POLLIN, 0};
        fds[1] = {master_, short(POLLIN | (outputBlocked_ ? POLLOUT : 0)), 0};
        const nfds_t count = vanished_ ? 1 : 2;
        publishQuiet(timed, deadline);
        const int polled = ::ppoll(fds.data(), count, timed ? &wait : nullptr, nullptr);
        {
            std::lock_guard lock(quietMutex_);
            serving_ = true;
        }
        if (polled < 0 && errno != EINTR)
            break;
        if (fds[0].revents & POLLIN) {
            std::uint64_t value = 0;
            [[maybe_unused]] const auto got = ::read(wake_, &value, sizeof value);
        }
        if (vanished_)
            continue;
        if (fds[1].revents & POLLOUT)
            outputBlocked_ = false;
        if (fds[1].revents & POLLIN)
            readInput(Clock::now());
    }
    {
        std::lock_guard lock(quietMutex_);
        lineUp_ = false;
    }
    quietChanged_.notify_all();
}

PtyLine::Clock::time_point PtyLine::nextDeadline(bool &any) const
{
    Clock::time_point next = Clock::time_point::max();
    if (!incoming_.empty())
        next = std::min(next, incoming_.front().first);
    if (!outgoing_.empty() && !outputBlocked_ && !vanished_)
        next = std::min(next, outgoing_.front().first);
    if (parser_.pending() > 0)
        next = std::min(next, lastByte_ + kIdleLimit + std::chrono::milliseconds(1));
    any = next != Clock::time_point::max();
    return next;
}

void PtyLine::readInput(Clock::time_point now)
{
    std::array<std::uint8_t, 512> chunk{};
    for (;;) {
        const ssize_t n = ::read(master_, chunk.data(), chunk.size());
        if (n <= 0)
            return;
        lastByte_ = now;
        const auto bytes = std::span<const std::uint8_t>(chunk.data(), std::size_t(n));
        if (!state_.options.pace) {
            accept(parser_.feed(bytes), now);
        } else {
            // A frame is in only when its last byte has crossed the line.
            for (std::uint8_t b : bytes) {
                lineIn_ = std::max(lineIn_, now) + kByteTime;
                accept(parser_.feed(std::span<const std::uint8_t>(&b, 1)), lineIn_);
            }
        }
        logDiscarded("rx garbage ");
        executeDue(Clock::now());
    }
}

void PtyLine::logDiscarded(const std::string &what)
{
    const auto dropped = parser_.takeDiscarded();
    if (!dropped.empty())
        log(what + hexBytes(dropped));
}

void PtyLine::accept(std::vector<Frame> frames, Clock::time_point due)
{
    for (Frame &f : frames)
        incoming_.emplace_back(due, std::move(f));
}

void PtyLine::executeDue(Clock::time_point now)
{
    while (!incoming_.empty() && incoming_.front().first <= now && !vanished_) {
        const Frame frame = std::move(incoming_.front().second);
        incoming_.pop_front();
        execute(frame, now);
    }
}

void PtyLine::execute(const Frame &frame, Clock::time_point now)
{
    Response response;
    std::vector<std::uint8_t> block;
    {
        std::lock_guard lock(state_.mutex);
        response = state_.controller.handle(frame, now);
        if (response.blockWritten && !state_.options.memoryFile.empty())
            block = state_.controller.block();
    }
    log("rx " + hexBytes(frame.bytes) + (response.note.empty() ? "" : "  (" + response.note + ")"));
    if (response.vanish)
        vanish();
    if (!response.line.empty() && !vanished_) {
        log("tx " + hexBytes(response.line) + "  (echo, noise)");
        queueReply(response.line, now);
    }
    if (!block.empty() && !saveBlockFile(state_.options.memoryFile, block))
        logLine(state_.started, "cannot save " + state_.options.memoryFile);
    if (response.answered()) {
        log("tx " + hexBytes(response.reply) +
            (response.held ? "  (held)"
             : response.delayMs > 0 ? "  (after " + std::to_string(response.delayMs) + " ms)"
                                    : ""));
        // Replies leave in the order they were made: after a held one, all wait.
        if (response.held || !held_.empty())
            held_.push_back({response.reply, response.byteGapMs});
        else
            queueReply(response.reply, now + std::chrono::milliseconds(response.delayMs), response.byteGapMs);
    }
    // Logged last: whoever waits for the frame finds all it did already done.
    {
        std::lock_guard lock(state_.mutex);
        state_.log.push_back(LoggedFrame{frame.bytes, response.answered()});
    }
    state_.framesChanged.notify_all();
}

void PtyLine::queueReply(const std::vector<std::uint8_t> &reply, Clock::time_point due, int byteGapMs)
{
    // Replies leave in the order they were made, however late each one is.
    if (!outgoing_.empty())
        due = std::max(due, outgoing_.back().first);
    if (byteGapMs > 0) {
        for (std::uint8_t b : reply) {
            outgoing_.emplace_back(due, std::vector<std::uint8_t>{b});
            due += std::chrono::milliseconds(byteGapMs);
        }
        return;
    }
    if (!state_.options.pace) {
        outgoing_.emplace_back(due, reply);
        return;
    }
    // Each byte is written when it has crossed the line, on absolute times so
    // that late wake-ups do not add up.
    lineOut_ = std::max(lineOut_, due);
    for (std::uint8_t b : reply) {
        lineOut_ += kByteTime;
        outgoing_.emplace_back(lineOut_, std::vector<std::uint8_t>{b});
    }
}

void PtyLine::writeDue(Clock::time_point now)
{
    while (!outgoing_.empty() && !outputBlocked_ && outgoing_.front().first <= now) {
        // What is due goes out in one write: the tool then finds it whole, not part
        // now and part after the kernel's next push.
        std::vector<std::uint8_t> bytes = std::move(outgoing_.front().second);
        outgoing_.pop_front();
        while (!outgoing_.empty() && outgoing_.front().first <= now) {
            bytes.insert(bytes.end(), outgoing_.front().second.begin(), outgoing_.front().second.end());
            outgoing_.pop_front();
        }
        const ssize_t n = ::write(master_, bytes.data(), bytes.size());
        if (n == ssize_t(bytes.size()))
            continue;
        if (n >= 0 || errno == EAGAIN || errno == EINTR) {
            bytes.erase(bytes.begin(), bytes.begin() + std::max<ssize_t>(n, 0));
            outgoing_.emplace_front(now, std::move(bytes));
            outputBlocked_ = true;
        } else {
            log("tx failed, reply dropped");
        }
    }
}

void PtyLine::vanish()
{
    log("line vanished");
    vanished_ = true;
    {
        std::lock_guard lock(quietMutex_);
        lineUp_ = false;
        releaseFds();
    }
    quietChanged_.notify_all();
    removeLink();
    incoming_.clear();
    outgoing_.clear();
    held_.clear();
}

} // namespace vorna::sim
