// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <QString>

namespace vorna::app {

// Without a display Qt ends the program with abort() and advice to reinstall it.
// These let start-up say instead, in one line on stderr, what is missing, and exit 1.

// The line to print when no platform is chosen (-platform, QT_QPA_PLATFORM) and none
// of the displays that Qt would choose from is named; empty when one may be had.
// Always empty on Windows and macOS, which always have their own.
QString missingDisplay(int argc, char **argv);

// While it lives, a fatal message (Qt's platform failing after all: DISPLAY naming
// no server, a platform plugin that cannot start) prints one line of ours and ends
// the program with exit code 1; other messages are held and shown when it goes.
class PlatformStartGuard {
public:
    PlatformStartGuard(int argc, char **argv);
    ~PlatformStartGuard();
    PlatformStartGuard(const PlatformStartGuard &) = delete;
    PlatformStartGuard &operator=(const PlatformStartGuard &) = delete;
};

} // namespace vorna::app
