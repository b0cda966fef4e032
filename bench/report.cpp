// SPDX-License-Identifier: GPL-3.0-or-later
#include "report.h"

#include <ostream>
#include <sstream>

#include "stats.h"

namespace vorna::bench {

namespace {
#ifdef VORNA_BUILD_TYPE
constexpr const char *kBuildType = VORNA_BUILD_TYPE[0] ? VORNA_BUILD_TYPE : "default";
#else
constexpr const char *kBuildType = "unknown";
#endif
constexpr double kTransferGoal = 1.02;
constexpr double kCaptureGoal = 5.0;
constexpr double kStartupGoal = 1.3;

std::string verdict(bool met) { return met ? "met" : "**missed**"; }

void transferTable(std::ostream &out, int runs, const std::vector<TransferRow> &transfers)
{
    out << "### Transfers: window against the ideal client (paced simulator, " << runs << " runs, medians)\n\n"
        << "| operation | control | frames | window ms | ideal ms | window / ideal | worst run | goal ≤ "
        << fixed(kTransferGoal, 2) << " |\n"
        << "|---|---|---:|---:|---:|---:|---:|---|\n";
    for (const TransferRow &r : transfers) {
        out << "| " << r.name << " | " << r.control << " | " << r.frames << " | " << fixed(r.toolMs, 1) << " | "
            << fixed(r.idealMs, 1) << " | " << fixed(r.ratio, 3) << " | " << fixed(r.worstRatio, 3) << " | ";
        if (r.failures > 0)
            out << "**" << r.failures << " failed runs**";
        else if (r.block)
            out << verdict(r.ratio <= kTransferGoal);
        else
            out << "(single exchange)";
        out << " |\n";
    }
    out << "\n";
}

void captureTable(std::ostream &out, const CaptureResult &capture)
{
    out << "### CPU while a reader capture waits with no card (Button2, " << capture.runs << " runs)\n\n"
        << "| wall ms | CPU, % of one core (median) | worst run | goal ≤ " << fixed(kCaptureGoal, 0) << " % |\n"
        << "|---:|---:|---:|---|\n"
        << "| " << fixed(capture.wallMs, 0) << " | " << fixed(capture.cpuPercent, 2) << " | "
        << fixed(capture.worstCpuPercent, 2) << " | "
        << (capture.failures > 0 ? "**" + std::to_string(capture.failures) + " failed runs**"
                                 : verdict(capture.cpuPercent <= kCaptureGoal))
        << " |\n\n";
}

void startupTable(std::ostream &out, const StartupResult &s)
{
    auto row = [&out](const char *what, double form, double empty, double label, double scale) {
        const double ratio = empty > 0 ? form / empty : 0;
        out << "| " << what << " | " << fixed(form / scale, 1) << " | " << fixed(empty / scale, 1) << " | "
            << fixed(ratio, 2) << " | " << verdict(ratio <= kStartupGoal) << " | " << fixed(label / scale, 1)
            << " | " << fixed(label > 0 ? form / label : 0, 2) << " |\n";
    };
    out << "### Start-up to the first painted window, peak memory (" << s.runs << " runs each, medians)\n\n"
        << "| measure | Vorna window | empty QWidget " << s.width << "×" << s.height
        << " | Vorna / empty | goal ≤ " << fixed(kStartupGoal, 1)
        << "× | same QWidget with one QLabel | Vorna / QLabel window |\n"
        << "|---|---:|---:|---:|---|---:|---:|\n";
    row("process start to first paint, ms", s.formMs, s.emptyMs, s.labelMs, 1);
    row("ru_maxrss at exit, MiB", s.formRssKb, s.emptyRssKb, s.labelRssKb, 1024);
    row("VmHWM at exit, MiB", s.formHwmKb, s.emptyHwmKb, s.labelHwmKb, 1024);
    if (s.failures > 0)
        out << "\n**" << s.failures << " start-up runs failed.**\n";
    out << "\n";
}

} // namespace

std::string renderReport(const Machine &machine, int runs, const std::vector<TransferRow> &transfers,
                         const CaptureResult &capture, const StartupResult &startup)
{
    std::ostringstream out;
    out << "Measured " << machine.date << " on " << machine.cpu << ", " << machine.cores << " cores, "
        << machine.kernel << ", Qt " << machine.qt << "; offscreen platform, " << kBuildType << " build";
    if (machine.load >= 0)
        out << "; load average " << fixed(machine.load, 2) << " when the run began";
    out << ".\n\n";
    // A part left out by --only has nothing to show.
    if (!transfers.empty())
        transferTable(out, runs, transfers);
    if (capture.runs > 0 || capture.failures > 0)
        captureTable(out, capture);
    if (startup.runs > 0 || startup.failures > 0)
        startupTable(out, startup);
    return out.str();
}

std::string spliceReport(const std::string &document, const std::string &section)
{
    const std::string begin = kBeginMark;
    const std::string end = kEndMark;
    const std::string block = begin + "\n" + section + end;
    const auto b = document.find(begin);
    const auto e = b == std::string::npos ? std::string::npos : document.find(end, b);
    if (e == std::string::npos) {
        std::string out = document;
        if (!out.empty() && out.back() != '\n')
            out += '\n';
        return out + block + "\n";
    }
    return document.substr(0, b) + block + document.substr(e + end.size());
}

} // namespace vorna::bench
