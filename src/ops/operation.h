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
    Busy,          // another operation is waiting on the exchange: nothing was sent or shown
    BadIndex,      // no such locker: nothing was sent or shown
    InvalidInput,  // a field failed its check: nothing was sent
    BadAddress,    // no device address 1-255: nothing more was sent
    NoPort,        // no port open: nothing was sent
    TimedOut,      // a reply did not come (or the port went away)
    BadReply,      // a reply that cannot be used
    Cancelled,     // the user closed the port or the window during a wait
};

// What an operation needs from its front end: the exchange, the device address,
// the status line and the operation's gauge.
struct Env {
    link::Exchange &x;
    // Asked afresh for every frame, so an address typed during a wait takes the next
    // one; nullopt when the source holds no address 1-255 (0 would reach every
    // controller on the bus, and only the address write sends there).
    std::function<std::optional<std::uint8_t>()> deviceAddress;
    std::function<void(const QString &)> status;
    std::function<void(int)> progress = [](int) {};
};

// An operation's own field checks: Done when they pass; otherwise they have shown
// their text and give their outcome.
using FieldCheck = std::function<Outcome()>;

// Whom the operation's frames go to.
enum class Target {
    Device,      // the controller at the device address
    Broadcast,   // every controller on the bus: the address write
};

// The one entry every operation goes through. For a Device operation, in order:
// nobody else waiting (Busy, nothing shown), `fields`, the device address
// (texts::kBadAddress), the port (texts::kPortNotOpen). For a Broadcast one the port
// comes before the fields and a missing one shows nothing: busy, port, `fields`.
// When all pass the operation holds the exchange until the entry is destroyed.
class Entry {
public:
    Entry(const Env &env, Target target, const FieldCheck &fields = {});
    Outcome outcome() const { return outcome_; }
    explicit operator bool() const { return outcome_ == Outcome::Done; }

private:
    Outcome outcome_ = Outcome::Done;
    std::optional<link::Exchange::Busy> hold_;
};

// The device address for the next frame; shows texts::kBadAddress when there is none.
std::optional<std::uint8_t> frameAddress(const Env &env);

// One transfer of a table command: the entry with `fields`, the announcing text, then
// the command's frames in order, each with the address read afresh, `payload(i)` as
// its data (none for reads), the gauge set to i once it is sent and `onReply(i)`
// given each accepted reply. The first time-out ends it with `timeoutText`; after the
// last frame the gauge shows the frame count and the status line `doneText`.
struct Transfer {
    const link::Command &command;
    QString announce;
    QString timeoutText;
    QString doneText;
    std::function<std::vector<std::uint8_t>(int)> payload = {};
    std::function<void(int)> onReply = {};
};
Outcome transfer(const Env &env, const Transfer &t, const FieldCheck &fields = {});

} // namespace vorna::ops
