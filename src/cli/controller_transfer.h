// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <QStringList>
#include <array>
#include <cstdint>
#include <optional>

#include "cli/session.h"
#include "link/memory_map.h"
#include "ops/card_list.h"
#include "ops/guardians.h"
#include "ops/locker_numbers.h"
#include "project/settings.h"

namespace vorna::cli {

// The controller's tables as bytes on the line: what a write sends, or what a read
// got back. Guardian masks without bits 20-23, which no locker has and no read keeps.
struct ControllerTables {
    std::array<ops::CardRecord, link::memory::kCardSlots> records{};
    std::array<ops::LockerDigits, link::memory::kLockers> lockers{};   // as read: a byte of 10 or more stays
    std::array<std::uint8_t, link::memory::kOpeningTimes> times{};     // block order
    ops::GuardianMasks masks{};

    bool operator==(const ControllerTables &) const = default;
};

// What the controller holds, read as the window's read buttons would read it.
struct ControllerState {
    // The settings as the window shows them after the reads: card texts by the
    // selected card type.
    project::Settings values;
    // The bytes themselves: a text shows a record only by the card type, and an LED
    // digit of 10 or more only as 0.
    ControllerTables tables;
};

// Cards, LED numbers, opening times, guardian grid, in that order. Stops at the first
// operation that fails; `state` is complete only when the result is Done.
ops::Outcome readController(Session &session, int cardType, ControllerState &state);

// Every card slot whose record the file's text could not carry back unchanged, as
// "KEY: why", in slot order.
QStringList cardsTheFileLoses(const ControllerState &state, int cardType);

// The bytes a write of these fields sends, card texts as cardFileRecord converts
// them; nullopt when a field cannot be sent (checkProject names it).
std::optional<ControllerTables> tablesToWrite(const project::Settings &values, int cardType);

// Cards, LED numbers, opening times, guardian grid, in that order, by the window's
// write operations; card texts as cardFileRecord converts them. The caller has
// checked every field (checkProject).
ops::Outcome writeController(Session &session, const project::Settings &values, int cardType);

} // namespace vorna::cli
