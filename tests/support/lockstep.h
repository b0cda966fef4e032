// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <QAbstractEventDispatcher>
#include <QObject>
#include <QtGlobal>
#include <functional>

#include "sim/pty_simulator.h"

namespace vorna::test {

// The tool lets its event loop run once between two polls of the port. Each such
// pass first waits for the simulator to catch up (PtySimulator::settle): a pty hands
// bytes on through a kernel worker that a busy machine may run hundreds of ms late,
// and the tool's limits count polls, so without this a loaded machine turns a prompt
// controller into a silent one. With it, a poll the tool counts is one the simulator
// kept pace with.
class Lockstep {
public:
    // `sim` gives the simulator to wait for (null: none at the moment).
    explicit Lockstep(std::function<sim::PtySimulator *()> sim)
    {
        auto *dispatcher = QAbstractEventDispatcher::instance();
        Q_ASSERT(dispatcher);
        connection_ = QObject::connect(dispatcher, &QAbstractEventDispatcher::awake, [sim = std::move(sim)] {
            if (sim::PtySimulator *s = sim(); s && !s->settle())
                qWarning("the simulator did not settle within its limit");
        });
    }
    explicit Lockstep(sim::PtySimulator &sim) : Lockstep([&sim] { return &sim; }) {}
    ~Lockstep() { QObject::disconnect(connection_); }
    Lockstep(const Lockstep &) = delete;
    Lockstep &operator=(const Lockstep &) = delete;

private:
    QMetaObject::Connection connection_;
};

} // namespace vorna::test
