// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <QIODevice>
#include <array>

namespace vorna::cli {

// Which of stdin, stdout and stderr were closed when the program started. Those are
// opened on the null device at once, so that no file, lock or port opened later
// takes their numbers and receives the program's output. A broken pipe makes a
// write fail instead of ending the program, so the failure reaches the exit code.
// Call first thing in main(). On Windows it sets the console, if any, to show UTF-8.
std::array<bool, 3> guardStandardFds();

// Stands for a stream that was closed at start: open, and every write fails.
class ClosedStream final : public QIODevice {
public:
    ClosedStream() { open(QIODevice::WriteOnly | QIODevice::Unbuffered); }

protected:
    qint64 readData(char *, qint64) override { return -1; }
    qint64 writeData(const char *, qint64) override { return -1; }
};

} // namespace vorna::cli
