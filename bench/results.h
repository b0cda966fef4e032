// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <string>
#include <vector>

namespace vorna::bench {

// One controller operation: the window's click beside the ideal client.
struct TransferRow {
    std::string name;      // "card list read"
    std::string control;   // the button clicked
    int frames = 0;
    bool block = false;    // a block transfer: the 1.02 goal applies
    double toolMs = 0;     // medians over the runs
    double idealMs = 0;
    double ratio = 0;      // median of the per-run ratios
    double worstRatio = 0;
    int failures = 0;      // runs where either side did not end as it should
};

struct CaptureResult {
    int runs = 0;
    double wallMs = 0;       // median
    double cpuPercent = 0;   // median, of one core
    double worstCpuPercent = 0;
    int failures = 0;
};

struct StartupResult {
    int runs = 0;
    int width = 0;
    int height = 0;
    // Medians. The label window is the empty one with a single line of text: it
    // shows what the font system costs any window that draws text at all.
    double formMs = 0, emptyMs = 0, labelMs = 0;
    double formRssKb = 0, emptyRssKb = 0, labelRssKb = 0;
    double formHwmKb = 0, emptyHwmKb = 0, labelHwmKb = 0;
    int failures = 0;
};

struct Machine {
    std::string cpu;
    int cores = 0;
    std::string kernel;
    std::string qt;
    std::string date;
    double load = -1;   // one-minute load average when the run began
};

} // namespace vorna::bench
