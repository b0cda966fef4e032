// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include "sim/pty_simulator.h"
#include "support/lockstep.h"
#include "support/window_rig.h"

namespace vorna::test {

// The window beside the simulator on a pty in this process, in step with the
// window's polls.
struct FormRig : BasicFormRig<sim::PtySimulator> {
    explicit FormRig(sim::PtySimulator::Options options = {}) : BasicFormRig(started(options)) {}

    Lockstep lockstep{[this] { return sim.get(); }};

private:
    static std::unique_ptr<sim::PtySimulator> started(sim::PtySimulator::Options options)
    {
        auto simulator = std::make_unique<sim::PtySimulator>(options);
        simulator->start();
        return simulator;
    }
};

} // namespace vorna::test
