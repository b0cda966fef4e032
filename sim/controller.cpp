// SPDX-License-Identifier: GPL-3.0-or-later
#include "sim/controller.h"

#include <algorithm>

#include "link/checksum.h"
#include "link/commands.h"
#include "link/memory_map.h"

namespace vorna::sim {

using link::Code;
namespace memory = link::memory;

namespace {

constexpr std::uint8_t kBroadcast = 0;
constexpr std::uint8_t kDefaultOpeningTime = 100;

void appendChecksum(std::vector<std::uint8_t> &bytes)
{
    const std::uint16_t sum = link::frameChecksum(bytes);
    bytes.push_back(std::uint8_t(sum >> 8));
    bytes.push_back(std::uint8_t(sum));
}

void store(std::vector<std::uint8_t> &memory, std::uint32_t address, std::span<const std::uint8_t> bytes)
{
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        const std::uint64_t at = std::uint64_t(address) + i;
        if (at >= memory.size())
            break;
        memory[at] = bytes[i];
    }
}

} // namespace

Controller::Controller(std::uint8_t address)
    : block_(memory::kBlockSize, 0xFF), live_(memory::kLiveSize, 0)
{
    block_[memory::kBlockDeviceAddress] = address;
    std::fill_n(block_.begin() + memory::kBlockOpeningTimes, 3, kDefaultOpeningTime);
}

std::uint8_t Controller::address() const
{
    return block_[memory::kBlockDeviceAddress];
}

void Controller::setBlock(std::uint32_t address, std::span<const std::uint8_t> bytes)
{
    store(block_, address, bytes);
}

void Controller::setLive(std::uint32_t address, std::span<const std::uint8_t> bytes)
{
    store(live_, address, bytes);
}

Controller::ReaderArea Controller::cardArea(std::span<const std::uint8_t> number)
{
    ReaderArea area{};
    const std::size_t n = std::min<std::size_t>(number.size(), 7);
    area[0] = 1;
    std::copy_n(number.begin(), n, area.begin() + 1);
    area[8] = std::uint8_t(n);
    return area;
}

void Controller::setReaderArea(const ReaderArea &area, Clock::time_point due)
{
    cards_.emplace_back(due, area);
    std::stable_sort(cards_.begin(), cards_.end(), [](const auto &a, const auto &b) { return a.first < b.first; });
}

void Controller::presentOnArming(std::vector<ReaderArea> areas, int delayMs)
{
    onArming_ = std::move(areas);
    nextOnArming_ = 0;
    onArmingDelayMs_ = delayMs;
}

void Controller::applyDue(Clock::time_point now)
{
    auto it = cards_.begin();
    for (; it != cards_.end() && it->first <= now; ++it)
        std::copy(it->second.begin(), it->second.end(), live_.begin() + memory::kLiveCardFlag);
    cards_.erase(cards_.begin(), it);
}

void Controller::addLineFaults(const Frame &frame, Response &response)
{
    const int index = received_++;
    for (const Fault &f : faults_) {
        if (!f.covers(index))
            continue;
        if (f.kind == Fault::Echo) {
            response.line.insert(response.line.end(), frame.bytes.begin(), frame.bytes.end());
        } else if (f.kind == Fault::Noise) {
            std::uniform_int_distribution<int> byte(0, 255);
            for (int i = 0; i < f.value; ++i)
                response.line.push_back(std::uint8_t(byte(random_)));
        }
    }
}

Response Controller::handle(const Frame &frame, Clock::time_point now)
{
    Response response;
    addLineFaults(frame, response);
    if (frame.bytes.size() < kHeaderSize + kChecksumSize) {
        response.note = "too short";
        return response;
    }
    if (!frame.checksumOk) {
        response.note = "bad checksum";
        return response;
    }
    const std::uint8_t device = frame.device();
    if (device != address() && device != kBroadcast) {
        response.note = "for device " + std::to_string(device);
        return response;
    }
    const int index = addressed_++;
    applyDue(now);

    const auto active = [&](Fault::Kind kind) {
        return std::any_of(faults_.begin(), faults_.end(),
                           [&](const Fault &f) { return f.kind == kind && f.covers(index); });
    };
    if (active(Fault::Vanish)) {
        response.vanish = true;
        response.note = "line vanished";
        return response;
    }
    const bool deaf = std::any_of(faults_.begin(), faults_.end(), [&](const Fault &f) {
        return f.kind == Fault::NoReply && f.value != 0 && f.covers(index);
    });
    if (deaf) {
        response.note = "not heard (fault)";
        return response;
    }
    if (!execute(frame, response, now, !active(Fault::Forget)))
        return response;
    if (device == kBroadcast) {
        response.reply.clear();
        response.note = "broadcast";
        return response;
    }
    applyFaults(index, response);
    return response;
}

// `store` false: a write is answered but changes nothing.
bool Controller::execute(const Frame &frame, Response &response, Clock::time_point now, bool store)
{
    const std::uint8_t code = frame.code();
    std::vector<std::uint8_t> *memory = nullptr;
    bool write = false;
    switch (Code(code)) {
    case Code::ReadLive: memory = &live_; break;
    case Code::WriteLive: memory = &live_; write = true; break;
    case Code::ReadBlock: memory = &block_; break;
    case Code::WriteBlock: memory = &block_; write = true; break;
    }
    if (!memory) {
        response.note = "unknown code " + std::to_string(code);
        return false;
    }
    const std::uint64_t address = frame.address();
    const std::size_t count = frame.count();
    if (address + count > memory->size()) {
        response.note = "outside memory";
        return false;
    }
    const std::size_t expected = kHeaderSize + (write ? count : 0) + kChecksumSize;
    if (frame.bytes.size() != expected) {
        response.note = "length does not match count";
        return false;
    }

    std::vector<std::uint8_t> &reply = response.reply;
    reply.assign(frame.bytes.begin(), frame.bytes.begin() + kHeaderSize);
    if (write && !store) {
        response.note = "write not stored (fault)";
    } else if (write) {
        const auto data = frame.data();
        std::copy(data.begin(), data.end(), memory->begin() + std::ptrdiff_t(address));
        if (memory == &live_) {
            if (address == memory::kLiveCardFlag && data[0] == 0 && nextOnArming_ < onArming_.size()) {
                setReaderArea(onArming_[nextOnArming_], now + std::chrono::milliseconds(onArmingDelayMs_));
                if (onArming_.size() > 1)
                    ++nextOnArming_;
            }
            for (std::size_t i = 0; i < count; ++i) {
                const std::uint64_t at = address + i;
                if (at < memory::kLiveLockerOpen)
                    continue;
                openings_.emplace_back(int(at - memory::kLiveLockerOpen) + 1, data[i]);
                ++openingCount_;
                if (openings_.size() > kKeptOpenings)
                    openings_.pop_front();
            }
        } else {
            response.blockWritten = true;
        }
    } else {
        const auto from = memory->begin() + std::ptrdiff_t(address);
        reply.insert(reply.end(), from, from + std::ptrdiff_t(count));
    }
    appendChecksum(reply);
    return true;
}

void Controller::applyFaults(int index, Response &response)
{
    std::vector<std::uint8_t> &reply = response.reply;
    const std::vector<std::uint8_t> own = reply;
    for (const Fault &f : faults_) {
        if (!f.covers(index))
            continue;
        switch (f.kind) {
        case Fault::NoReply:
            reply.clear();
            response.note = "no reply (fault)";
            return;
        case Fault::Delay:
            response.delayMs += std::max(0, f.value);
            break;
        case Fault::Hold:
            response.held = true;
            break;
        case Fault::Truncate:
            reply.resize(std::min(reply.size(), std::size_t(std::max(0, f.value))));
            break;
        case Fault::Garbage: {
            std::uniform_int_distribution<int> byte(0, 255);
            reply.resize(std::size_t(std::max(0, f.value)));
            for (auto &b : reply)
                b = std::uint8_t(byte(random_));
            break;
        }
        case Fault::BadChecksum:
            if (reply.size() >= kChecksumSize) {
                reply[reply.size() - 2] ^= 0xFF;
                reply[reply.size() - 1] ^= 0xFF;
            }
            break;
        case Fault::Stale:
            if (!previousReply_.empty())
                reply = previousReply_;
            break;
        case Fault::Trickle:
            response.byteGapMs = std::max(0, f.value);
            break;
        case Fault::Trail:
            reply.insert(reply.end(), std::size_t(std::max(0, f.value)), std::uint8_t(0));
            break;
        case Fault::Vanish:
        case Fault::Forget:
        case Fault::Echo:
        case Fault::Noise:
            break;
        }
    }
    previousReply_ = own;
    if (reply.empty() && response.note.empty())
        response.note = "reply cut to nothing (fault)";
}

} // namespace vorna::sim
