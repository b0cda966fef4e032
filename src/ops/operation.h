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
    BadAddress,    // Edit57 is not an address 0-255: nothing more was sent
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
    // nullopt when the field does not hold 0 to 255.
    std::optional<std::uint8_t> address() const;
};

// The checks every controller operation starts with, after its own fields:
// the address, then the port, then nobody else waiting. Shows the failure.
Outcome startChecks(const Env &env);

// The frames 0..frames-1 of a table command, one exchange each, in order: the
// address read afresh, the frame built with `payload(i)` (empty for reads), the
// gauge set to i once it is sent, and `onReply(i)` given each accepted reply. Stops
// at the first time-out with `timeoutText` in the status line.
Outcome runFrames(const Env &env, const link::Command &command, int frames,
                  const std::function<std::vector<std::uint8_t>(int)> &payload,
                  const std::function<void(int)> &onReply, const QString &timeoutText);

} // namespace vorna::ops
