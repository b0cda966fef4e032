// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <QProcess>
#include <string>
#include <vector>

namespace vorna::bench {

// This program started again with other arguments, its stdin and stdout on pipes
// and its stderr shared. The bench measures in children what must not share its
// own process: start-up, peak memory, and a simulator whose CPU time is not the
// tool's. Driven by QProcess's waits alone: the start-up children are launched
// before the bench has a QApplication.
class Child {
public:
    Child();
    ~Child();
    Child(const Child &) = delete;
    Child &operator=(const Child &) = delete;

    bool start(const std::vector<std::string> &args);
    // One line of the child's output without its newline; empty at end or time-out.
    std::string readLine(int timeoutMs);
    // Closes the child's stdin: the simulator child takes that as its cue to end.
    void closeInput();
    // Reads the rest of the output and waits for the exit; the exit status or -1.
    int finish(std::string *rest = nullptr, int timeoutMs = 30000);

private:
    QProcess process_;
};

// The running program's own file, for starting it again.
std::string selfPath();

} // namespace vorna::bench
