// SPDX-License-Identifier: GPL-3.0-or-later
#include "sim/pty_simulator.h"

#include <algorithm>

#include "sim/memory_file.h"
#include "sim/pty_line.h"
#include "sim/sim_state.h"

namespace vorna::sim {

using Clock = std::chrono::steady_clock;

PtySimulator::PtySimulator(Options opt)
    : state_(std::make_unique<SimState>(std::move(opt))), line_(std::make_unique<PtyLine>(*state_))
{
    // A kept memory is the controller as it was left, its address included.
    if (!state_->options.memoryFile.empty()) {
        if (const auto kept = loadBlockFile(state_->options.memoryFile))
            state_->controller.setBlock(0, *kept);
    }
}

PtySimulator::~PtySimulator()
{
    stop();
}

bool PtySimulator::start()
{
    return line_->open();
}

std::string PtySimulator::path() const
{
    return state_->options.linkPath.empty() ? line_->slavePath() : state_->options.linkPath;
}

void PtySimulator::stop()
{
    line_->close();
}

std::vector<std::uint8_t> PtySimulator::block() const
{
    std::lock_guard lock(state_->mutex);
    return state_->controller.block();
}

void PtySimulator::setBlock(std::uint32_t addr, std::span<const std::uint8_t> bytes)
{
    std::lock_guard lock(state_->mutex);
    state_->controller.setBlock(addr, bytes);
}

std::vector<std::uint8_t> PtySimulator::live() const
{
    std::lock_guard lock(state_->mutex);
    state_->controller.applyDue(Clock::now());
    return state_->controller.live();
}

void PtySimulator::setLive(std::uint32_t addr, std::span<const std::uint8_t> bytes)
{
    std::lock_guard lock(state_->mutex);
    state_->controller.applyDue(Clock::now());
    state_->controller.setLive(addr, bytes);
}

std::uint8_t PtySimulator::address() const
{
    std::lock_guard lock(state_->mutex);
    return state_->controller.address();
}

void PtySimulator::addFault(Fault f)
{
    std::lock_guard lock(state_->mutex);
    state_->controller.addFault(f);
}

void PtySimulator::clearFaults()
{
    std::lock_guard lock(state_->mutex);
    state_->controller.clearFaults();
}

void PtySimulator::releaseHeld()
{
    line_->releaseHeld();
}

bool PtySimulator::settle(int limitMs)
{
    return line_->settle(std::chrono::milliseconds(limitMs));
}

void PtySimulator::presentCard(std::vector<std::uint8_t> number, int delayMs)
{
    setReaderArea(Controller::cardArea(number), delayMs);
}

void PtySimulator::presentCardOnArming(std::vector<std::uint8_t> number, int delayMs)
{
    std::lock_guard lock(state_->mutex);
    state_->controller.presentOnArming({Controller::cardArea(number)}, delayMs);
}

void PtySimulator::presentCardsOnArming(const std::vector<std::vector<std::uint8_t>> &numbers, int delayMs)
{
    std::vector<Controller::ReaderArea> areas;
    for (const auto &number : numbers)
        areas.push_back(Controller::cardArea(number));
    std::lock_guard lock(state_->mutex);
    state_->controller.presentOnArming(std::move(areas), delayMs);
}

void PtySimulator::setReaderArea(std::array<std::uint8_t, 9> area, int delayMs)
{
    const auto due = Clock::now() + std::chrono::milliseconds(delayMs);
    std::lock_guard lock(state_->mutex);
    state_->controller.setReaderArea(area, due);
}

std::vector<LoggedFrame> PtySimulator::frames() const
{
    std::lock_guard lock(state_->mutex);
    return state_->log;
}

void PtySimulator::clearLog()
{
    std::lock_guard lock(state_->mutex);
    state_->log.clear();
}

std::vector<std::pair<int, std::uint8_t>> PtySimulator::openings() const
{
    std::lock_guard lock(state_->mutex);
    return state_->controller.openings();
}

std::uint64_t PtySimulator::openingCount() const
{
    std::lock_guard lock(state_->mutex);
    return state_->controller.openingCount();
}

int PtySimulator::waitForFrames(int n, int timeoutMs) const
{
    std::unique_lock lock(state_->mutex);
    state_->framesChanged.wait_for(lock, std::chrono::milliseconds(timeoutMs),
                                   [&] { return state_->log.size() >= std::size_t(std::max(n, 0)); });
    return int(state_->log.size());
}

} // namespace vorna::sim
