// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <functional>
#include <memory>
#include <string>

#include "sim/pty_simulator.h"

namespace vorna::sim {

// A test in another process, a Windows program under Wine among them, drives the
// simulator through three files in a folder that the user names:
//   command  written by the test (complete, then renamed into place); the lines
//            are run in order, then the file is removed
//   reply    written here the same way: "ok", or "error: " and why
//   frames   every frame received, one line of hex bytes each, appended as it comes
// Commands touch nothing but the simulator: its memory, its faults, its reader.
// A symlink in the folder's place of a file is never followed.
class ControlFolder {
public:
    // `start` makes and starts a simulator as the command line asks, at a fixed link.
    using Starter = std::function<std::unique_ptr<PtySimulator>()>;

    ControlFolder(std::string folder, Starter start);
    ~ControlFolder();
    ControlFolder(const ControlFolder &) = delete;
    ControlFolder &operator=(const ControlFolder &) = delete;

    // Starts the first simulator and empties the frames file; false when either fails.
    bool start();
    PtySimulator &simulator() { return *sim_; }
    // One pass: new frames to the frames file, then a command file if there is one.
    void poll();

    // Runs one command file's text; the reply's text.
    std::string run(const std::string &commands);

private:
    std::string runLine(const std::string &line);
    bool restart();
    void appendFrames();

    std::string folder_;
    Starter start_;
    std::unique_ptr<PtySimulator> sim_;
    int framesFd_ = -1;
    std::size_t written_ = 0;   // frames of this simulator already in the file
};

} // namespace vorna::sim
