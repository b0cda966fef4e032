// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <QString>
#include <array>

#include "link/memory_map.h"

namespace vorna::project {

// [g][k]: guardian g+1 may open locker k+1.
using GuardianTicks = std::array<std::array<bool, link::memory::kLockers>, link::memory::kGuardians>;

// The settings a project file holds and a transfer sends or reads, by name. A snapshot
// for one file or one transfer: while the window runs, its controls hold the settings.
// The port name, the device address and the card type are not part of them.
struct Settings {
    // Slot order: master 1-2, service 1-3, guardian 1-7, locker wristbands 1-20.
    std::array<QString, link::memory::kCardSlots> cards;
    std::array<QString, link::memory::kLockers> lockerNumbers;     // LED numbers of lockers 1..20
    std::array<QString, link::memory::kOpeningTimes> openingTimes; // block order: guardian, service, user
    GuardianTicks guardians{};

    bool operator==(const Settings &) const = default;
};

// One field of Settings, for tables that name every field (the project file's keys,
// the window's controls).
struct SettingsField {
    enum class Kind { Card, LockerNumber, OpeningTime, Guardian };
    Kind kind;
    int index = 0;  // card slot, locker, opening time or guardian, from 0
    int locker = 0; // Guardian: the locker, from 0

    static constexpr SettingsField card(int slot) { return {Kind::Card, slot}; }
    static constexpr SettingsField lockerNumber(int locker) { return {Kind::LockerNumber, locker}; }
    static constexpr SettingsField openingTime(int time) { return {Kind::OpeningTime, time}; }
    static constexpr SettingsField guardian(int guardian, int locker) { return {Kind::Guardian, guardian, locker}; }

    bool isText() const { return kind != Kind::Guardian; }
    bool operator==(const SettingsField &) const = default;
};

// The text of a Card, LockerNumber or OpeningTime field.
const QString &fieldText(const Settings &settings, const SettingsField &field);
QString &fieldText(Settings &settings, const SettingsField &field);
// The tick of a Guardian field.
bool fieldTick(const Settings &settings, const SettingsField &field);
bool &fieldTick(Settings &settings, const SettingsField &field);

} // namespace vorna::project
