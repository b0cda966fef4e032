// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <string>
#include <sys/types.h>
#include <vector>

namespace vorna::bench {

// This program started again with other arguments, its stdin and stdout on pipes.
// The bench measures in children what must not share its own process: start-up,
// peak memory, and a simulator whose CPU time is not the tool's.
class Child {
public:
    Child() = default;
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
    pid_t pid_ = -1;
    int in_ = -1;
    int out_ = -1;
    std::string buffer_;
};

// The running program's own file, for starting it again.
std::string selfPath();

} // namespace vorna::bench
