// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <QCoreApplication>
#include <gtest/gtest.h>

#include "link/exchange.h"
#include "link/qt_serial_port.h"
#include "ops/fields.h"
#include "ops/operation.h"
#include "sim/pty_simulator.h"
#include "support/lockstep.h"

namespace vorna::test {

// The operations' surroundings without a window: the simulator on a pty, the real
// port opened on it, and a record of every status text and gauge value.
struct SimRig {
    sim::PtySimulator sim;
    Lockstep lockstep{sim};
    link::QtSerialPort port;
    link::Exchange x;
    QString addressText = QStringLiteral("1");
    QStringList statuses;
    std::vector<int> progress;
    std::function<void()> onPump;

    // `clock` gives the reader capture's deadline and the block pauses (a test clock
    // makes the deadline a count of queries).
    explicit SimRig(sim::PtySimulator::Options options = {}, link::Clock &clock = link::steadyClock())
        : sim(options), x(clock)
    {
        EXPECT_TRUE(sim.start());
        EXPECT_TRUE(port.open(QString::fromStdString(sim.path())));
        x.setPort(&port);
        x.setMessagePump([this] {
            QCoreApplication::processEvents();
            if (onPump)
                onPump();
        });
    }

    ops::Env env()
    {
        // The window's way: the address field parsed for every frame.
        ops::Env e{x, [this] { return ops::deviceAddressField(addressText); }, [this](const QString &s) { statuses << s; }};
        e.progress = [this](int p) { progress.push_back(p); };
        return e;
    }

    QString lastStatus() const { return statuses.isEmpty() ? QString() : statuses.back(); }
    int lastProgress() const { return progress.empty() ? -1 : progress.back(); }
    std::vector<std::vector<std::uint8_t>> sent() const
    {
        std::vector<std::vector<std::uint8_t>> out;
        for (const auto &f : sim.frames())
            out.push_back(f.bytes);
        return out;
    }
};

} // namespace vorna::test
