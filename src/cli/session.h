// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <QString>
#include <cstdint>
#include <functional>
#include <memory>

#include "cli/arguments.h"
#include "cli/console.h"
#include "cli/tracing_port.h"
#include "link/exchange.h"
#include "link/qt_serial_port.h"
#include "ops/operation.h"

namespace vorna::cli {

// One run's link to the controller: the port named by --port (traced with --trace),
// the exchange over it, and the surroundings the operations report through.
class Session {
public:
    // The device address, --trace and the reply check from the command line.
    Session(Console &console, const Arguments &args);
    ~Session();
    Session(const Session &) = delete;
    Session &operator=(const Session &) = delete;

    // Opens the port by the window's name rules; says why on stderr when it cannot.
    bool open(const QString &typedName);

    link::Exchange &exchange() { return x_; }
    const link::Exchange &exchange() const { return x_; }
    bool portOpen() const { return port_.isOpen(); }
    // --address as the user wrote it, for messages.
    const QString &addressText() const { return addressText_; }
    // The operations' last status text: what a failure is told by.
    const QString &lastStatus() const { return lastStatus_; }

    // Status texts go to the console; the progress callback draws the line `label`
    // out of `total` (no line when total is 0).
    ops::Env env(const QString &label = {}, int total = 0);

private:
    Console &console_;
    const std::uint8_t address_;
    const QString addressText_;
    link::QtSerialPort port_;
    std::unique_ptr<TracingPort> tracer_;
    link::Exchange x_;
    QString lastStatus_;
};

// The one place a command's port is opened: `work` runs over the port --port names;
// when it does not open, nothing runs and the result is kExitPortFailed. A command
// checks its own input first, so a mistake costs no port.
int withSession(Console &console, const Arguments &args, const std::function<int(Session &)> &work);

} // namespace vorna::cli
