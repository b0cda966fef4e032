// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <QString>
#include <QStringView>
#include <optional>
#include <vector>

namespace vorna::cli {

// The card slots of a project as the window labels them, in slot order: master 1-2,
// service 1-3, guardian 1-7, locker wristbands 1-20 (the window's own table is in
// src/app/form_tables.cpp; the command line does not link the window).
struct CardRole {
    const char *name;    // as --slots names it
    const char *label;   // the window's label without the number
    int firstSlot;       // its first slot in Settings::cards
    int count;
};
const std::vector<CardRole> &cardRoles();

// "Karta Master 1" ... "Pasek Szafka 20" for slot 0-31.
QString cardLabel(int slot);
// "master:1" ... "pasek:20".
QString cardSlotName(int slot);

struct SlotList {
    std::optional<std::vector<int>> cardSlots;   // in the order given
    QString error;                           // why not, one line, when empty
};

// `all`, or a comma-separated list of ROLE:N and ROLE:N-M; a slot named twice is
// refused.
SlotList parseSlotList(QStringView list);

} // namespace vorna::cli
