// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

namespace vorna::sim {

class PtySimulator;

// A small site in block memory, so that a first read shows something: master,
// service and guardian cards, four wristbands, LED numbers 101 to 120, opening
// times 3, 5 and 8 s, guardian 1 on lockers 1-10 and guardian 2 on lockers 11-20.
void loadSampleSite(PtySimulator &sim);

} // namespace vorna::sim
