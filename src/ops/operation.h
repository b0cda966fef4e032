// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <QString>
#include <cstdint>
#include <functional>
#include <optional>
#include <vector>

#include "link/exchange.h"

namespace vorna::ops {

enum class Outcome {
    Done,
    Busy,          // another operation holds the port: nothing was sent
    InvalidInput,  // a field failed its check: nothing was sent
    BadAddress,    // Edit57 is not an address 1-255: nothing more was sent
    NoPort,        // no port open: nothing was sent
    TimedOut,      // a reply did not come (or the port went away)
    BadReply,      // a reply that cannot be used
    Cancelled,     // the user closed the port or the window during a wait
};

// What an operation needs from the window: the exchange, the address field (read
// afresh for every frame), the status line and the operation's gauge.
struct Env {
    link::Exchange &x;
    std::function<QString()> addressText;
    std::function<void(const QString &)> status;
    std::function<void(int)> progress = [](int) {};

    // The device address for the next frame; shows the address text and gives
    // nullopt when the field does not hold 1 to 255 (0 would reach every controller
    // on the bus; only the address write sends there).
    std::optional<std::uint8_t> address() const;
};

// The checks every controller operation starts with, after its own fields:
// the address, then the port, then nobody else waiting. Shows the failure.
Outcome startChecks(const Env &env);

// One transfer of a table command after the operation's own field checks: the
// address, port and busy checks, the announcing text, then the command's frames in
// order, each with the address read afresh, `payload(i)` as its data (none for
// reads), the gauge set to i once it is sent and `onReply(i)` given each accepted
// reply. The first time-out ends it with `timeoutText`; after the last frame the
// gauge shows the frame count and the status line `doneText`.
struct Transfer {
    const link::Command &command;
    QString announce;
    QString timeoutText;
    QString doneText;
    std::function<std::vector<std::uint8_t>(int)> payload = {};
    std::function<void(int)> onReply = {};
};
Outcome transfer(const Env &env, const Transfer &t);

} // namespace vorna::ops
