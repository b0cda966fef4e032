#pragma once
#include <QStringList>
#include <array>

#include "cli/session.h"
#include "ops/card_list.h"
#include "project/project_file.h"

namespace vorna::cli {

// What the controller holds, read as the window's read buttons would read it.
struct ControllerState {
    // Edit2..Edit56 and CheckBox1..CheckBox140 as the window holds them after the
    // reads: card texts by the selected card type.
    project::ProjectValues values;
    // The card records themselves: a text shows a record only by the card type.
    std::array<ops::CardRecord, ops::kCardSlots> records{};
};

// Cards, LED numbers, opening times, guardian grid, in that order. Stops at the first
// operation that fails; `state` is complete only when the result is Done.
ops::Outcome readController(Session &session, int cardType, ControllerState &state);

// Every card slot whose record the file's text could not carry back unchanged, as
// "KEY: why", in slot order.
QStringList cardsTheFileLoses(const ControllerState &state, int cardType);

// Cards, LED numbers, opening times, guardian grid, in that order, by the window's
// write operations; card texts as cardFileRecord converts them. The caller has
// checked every field (checkProject).
ops::Outcome writeController(Session &session, const project::ProjectValues &values, int cardType);

} // namespace vorna::cli
