// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <vector>

#include "sim/controller.h"
#include "sim/pty_simulator.h"

namespace vorna::sim {

// What the serving thread and the callers share; `mutex` guards the controller
// and the log.
struct SimState {
    explicit SimState(PtySimulator::Options opt) : options(std::move(opt)), controller(options.address) {}

    const PtySimulator::Options options;
    const std::chrono::steady_clock::time_point started = std::chrono::steady_clock::now();
    mutable std::mutex mutex;
    mutable std::condition_variable framesChanged;
    Controller controller;
    std::vector<LoggedFrame> log;
};

} // namespace vorna::sim
