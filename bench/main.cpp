// SPDX-License-Identifier: GPL-3.0-or-later
#include <QApplication>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "capture_cpu.h"
#include "machine.h"
#include "report.h"
#include "startup.h"
#include "transfers.h"

// vorna-bench [--runs N] [--capture-runs N] [--only transfers|capture|startup] [--report FILE]
// Prints the measured figures as Markdown; with --report also puts them into FILE
// between its bench marks. The program starts itself again as its own children
// (--child ...) for the measures that need a process of their own.
using namespace vorna::bench;

namespace {

int usage()
{
    std::fprintf(stderr, "usage: vorna-bench [--runs N] [--capture-runs N] "
                         "[--only transfers|capture|startup] [--report FILE]\n");
    return 2;
}

bool writeReport(const std::string &path, const std::string &section)
{
    std::string document;
    if (std::ifstream in(path); in) {
        std::ostringstream text;
        text << in.rdbuf();
        document = text.str();
    }
    std::ofstream out(path, std::ios::trunc);
    out << spliceReport(document, section);
    return bool(out);
}

} // namespace

int main(int argc, char **argv)
{
    ::setenv("QT_QPA_PLATFORM", "offscreen", 0);
    const std::vector<std::string> args(argv + 1, argv + argc);
    if (!args.empty() && args[0] == "--child") {
        if (args.size() >= 2 && args[1] == "sim")
            return simulatorChild();
        if (args.size() >= 2 && args[1] == "startup") {
            int one = 1;
            return startupChild(one, argv, std::vector<std::string>(args.begin() + 2, args.end()));
        }
        return usage();
    }

    int runs = 7;
    int captureRuns = 3;
    std::string only;
    std::string reportPath;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const bool hasValue = i + 1 < args.size();
        if (args[i] == "--runs" && hasValue)
            runs = std::atoi(args[++i].c_str());
        else if (args[i] == "--capture-runs" && hasValue)
            captureRuns = std::atoi(args[++i].c_str());
        else if (args[i] == "--only" && hasValue)
            only = args[++i];
        else if (args[i] == "--report" && hasValue)
            reportPath = args[++i];
        else
            return usage();
    }
    if (runs < 1 || captureRuns < 1)
        return usage();
    auto wanted = [&](const char *part) { return only.empty() || only == part; };

    const Machine machine = describeMachine();
    StartupResult startup;
    if (wanted("startup")) {
        std::fprintf(stderr, "vorna-bench: start-up, %d runs each\n", runs);
        startup = measureStartup(runs);
    }
    int one = 1;
    QApplication app(one, argv);
    std::vector<TransferRow> transfers;
    if (wanted("transfers"))
        transfers = measureTransfers(runs);
    CaptureResult capture;
    if (wanted("capture"))
        capture = measureCapture(captureRuns);

    const std::string section = renderReport(machine, runs, transfers, capture, startup);
    std::fputs(section.c_str(), stdout);
    if (!reportPath.empty() && !writeReport(reportPath, section)) {
        std::fprintf(stderr, "vorna-bench: cannot write %s\n", reportPath.c_str());
        return 1;
    }
    return 0;
}
