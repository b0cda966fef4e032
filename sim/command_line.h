// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "sim/fault.h"
#include "sim/pty_simulator.h"

namespace vorna::sim {

// What the vorna-sim program was asked to do.
struct CommandLine {
    PtySimulator::Options options;
    bool addressGiven = false;   // otherwise a kept memory file's address stands
    std::vector<Fault> faults;
    std::optional<std::vector<std::uint8_t>> card;
    int cardDelayMs = 3000;
    // Held after every arming; with several, the next at each arming, none after the last.
    std::vector<std::vector<std::uint8_t>> armingCards;
    int armingCardDelayMs = 1500;
    bool sampleSite = false;
    std::string controlFolder;   // driven through files there (sim/control_folder.h)
    bool help = false;
    bool version = false;
};

struct ParsedCommandLine {
    CommandLine line;
    std::string error;  // empty when the arguments were understood
};

// args without the program name. Options take their value as the next argument
// or after '='.
ParsedCommandLine parseCommandLine(std::span<const std::string> args);
std::string usageText();

} // namespace vorna::sim
