#include <csignal>
#include <cstdio>
#include <ctime>
#include <string>
#include <vector>

#include "link/memory_map.h"
#include "sim/command_line.h"
#include "sim/pty_simulator.h"

using namespace vorna::sim;

int main(int argc, char **argv)
{
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

    // Blocked before the serving thread exists, so only sigtimedwait below sees them.
    sigset_t stopSignals;
    sigemptyset(&stopSignals);
    sigaddset(&stopSignals, SIGINT);
    sigaddset(&stopSignals, SIGTERM);
    pthread_sigmask(SIG_BLOCK, &stopSignals, nullptr);

    PtySimulator sim(line.options);
    if (line.addressGiven) {
        const std::uint8_t address = line.options.address;
        sim.setBlock(vorna::link::memory::kBlockDeviceAddress, std::span(&address, 1));
    }
    for (const Fault &f : line.faults)
        sim.addFault(f);
    if (!sim.start()) {
        std::perror("vorna-sim: cannot open a pseudo-terminal");
        return 1;
    }
    if (line.card)
        sim.presentCard(*line.card, line.cardDelayMs);
    std::printf("%s\n", sim.path().c_str());
    std::fflush(stdout);

    const timespec second{1, 0};
    while (sigtimedwait(&stopSignals, nullptr, &second) < 0) {
        // Nobody reads the frame log here; keep it from growing for hours.
        sim.clearLog();
    }
    sim.stop();
    return 0;
}
