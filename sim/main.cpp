// SPDX-License-Identifier: GPL-3.0-or-later
#include <csignal>
#include <cstdio>
#include <ctime>
#include <memory>
#include <string>
#include <sys/stat.h>
#include <vector>

#include "link/memory_map.h"
#include "sim/command_line.h"
#include "sim/control_folder.h"
#include "sim/link_path.h"
#include "sim/memory_file.h"
#include "sim/pty_simulator.h"
#include "sim/sample_site.h"

using namespace vorna::sim;

namespace {

// Blocked at once, before anything can take time, and before the serving thread
// exists: a stop request pends until the loop below takes it. A hang-up (the
// terminal it was started from closed) is a stop request like the others, so the
// link goes with it. A log reader that went away must not end it either: SIGPIPE is
// ignored and the log line dropped.
sigset_t blockStopSignals()
{
    std::signal(SIGPIPE, SIG_IGN);
    sigset_t stopSignals;
    sigemptyset(&stopSignals);
    sigaddset(&stopSignals, SIGINT);
    sigaddset(&stopSignals, SIGTERM);
    sigaddset(&stopSignals, SIGHUP);
    pthread_sigmask(SIG_BLOCK, &stopSignals, nullptr);
    return stopSignals;
}

// The simulator as the command line asks for it; null if no terminal can be had.
std::unique_ptr<PtySimulator> startSimulator(const CommandLine &line)
{
    auto sim = std::make_unique<PtySimulator>(line.options);
    if (line.sampleSite)
        loadSampleSite(*sim);
    if (line.addressGiven) {
        const std::uint8_t address = line.options.address;
        sim->setBlock(vorna::link::memory::kBlockDeviceAddress, std::span(&address, 1));
    }
    for (const Fault &f : line.faults)
        sim->addFault(f);
    if (!sim->start())
        return nullptr;
    if (line.card)
        sim->presentCard(*line.card, line.cardDelayMs);
    if (!line.armingCards.empty())
        sim->presentCardsOnArming(line.armingCards, line.armingCardDelayMs);
    return sim;
}

} // namespace

int main(int argc, char **argv)
{
    const sigset_t stopSignals = blockStopSignals();
    const std::vector<std::string> args(argv + 1, argv + argc);
    const ParsedCommandLine parsed = parseCommandLine(args);
    if (!parsed.error.empty()) {
        std::fprintf(stderr, "vorna-sim: %s\nTry 'vorna-sim --help'.\n", parsed.error.c_str());
        return 2;
    }
    const CommandLine &line = parsed.line;
    if (line.help) {
        std::fputs(usageText().c_str(), stdout);
        return 0;
    }
    if (line.version) {
        std::printf("vorna-sim %s\n", VORNA_VERSION);
        return 0;
    }

    if (const std::string &link = line.options.linkPath; !link.empty()) {
        if (const std::string problem = linkPathProblem(link); !problem.empty()) {
            std::fprintf(stderr, "vorna-sim: --link %s: %s\n", link.c_str(), problem.c_str());
            return 2;
        }
    }
    // Never read from, nor later overwritten: anything but a kept memory or a new path.
    if (const std::string &memory = line.options.memoryFile; !memory.empty()) {
        if (const std::string problem = blockFileProblem(memory); !problem.empty()) {
            std::fprintf(stderr, "vorna-sim: --memory %s: %s\n", memory.c_str(), problem.c_str());
            return 2;
        }
    }

    if (const std::string &folder = line.controlFolder; !folder.empty()) {
        struct stat info {};
        if (::stat(folder.c_str(), &info) != 0 || !S_ISDIR(info.st_mode)) {
            std::fprintf(stderr, "vorna-sim: --control %s: not a folder\n", folder.c_str());
            return 2;
        }
        ControlFolder control(folder, [&line] { return startSimulator(line); });
        if (!control.start()) {
            std::perror("vorna-sim: cannot start the simulator or write its frames file");
            return 1;
        }
        std::printf("%s\n", control.simulator().path().c_str());
        std::fflush(stdout);
        // Commands and frames are taken each millisecond: a test reacts to a frame
        // while the tool still waits for its reply.
        const timespec tick{0, 1000000};
        while (sigtimedwait(&stopSignals, nullptr, &tick) < 0)
            control.poll();
        return 0;
    }

    const auto sim = startSimulator(line);
    if (!sim) {
        std::perror("vorna-sim: cannot open a pseudo-terminal");
        return 1;
    }
    std::printf("%s\n", sim->path().c_str());
    std::fflush(stdout);

    const timespec second{1, 0};
    while (sigtimedwait(&stopSignals, nullptr, &second) < 0) {
        // Nobody reads the frame log here; keep it from growing for hours.
        sim->clearLog();
    }
    sim->stop();
    return 0;
}
