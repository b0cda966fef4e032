// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <QString>
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
    const QString &addressText() const { return address_; }

    // Status texts go to the console; the progress callback draws the line `label`
    // out of `total` (no line when total is 0).
    ops::Env env(const QString &label = {}, int total = 0);

    // Reports an operation that did not end in Done and gives the exit code for it.
    int fail(ops::Outcome outcome);

    // "reply to frame 12 (block 0x0060): header does not match" for the last refused reply.
    QString refusedReplyText() const;

private:
    Console &console_;
    const QString address_;
    link::QtSerialPort port_;
    std::unique_ptr<TracingPort> tracer_;
    link::Exchange x_;
    QString lastStatus_;
};

} // namespace vorna::cli
