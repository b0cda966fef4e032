// SPDX-License-Identifier: GPL-3.0-or-later
#include "machine.h"

#include <QtGlobal>
#include <ctime>
#include <fstream>
#include <sstream>
#include <sys/utsname.h>
#include <unistd.h>

namespace vorna::bench {

std::string cpuModel(const std::string &cpuinfo)
{
    std::istringstream in(cpuinfo);
    for (std::string line; std::getline(in, line);) {
        if (line.rfind("model name", 0) != 0)
            continue;
        const auto colon = line.find(':');
        if (colon == std::string::npos)
            continue;
        const auto first = line.find_first_not_of(" \t", colon + 1);
        if (first != std::string::npos)
            return line.substr(first, line.find_last_not_of(" \t\r") + 1 - first);
    }
    return "unknown";
}

Machine describeMachine()
{
    Machine m;
    std::ifstream file("/proc/cpuinfo");
    std::ostringstream text;
    text << file.rdbuf();
    m.cpu = cpuModel(text.str());
    m.cores = int(::sysconf(_SC_NPROCESSORS_ONLN));
    utsname u{};
    m.kernel = ::uname(&u) == 0 ? std::string(u.sysname) + " " + u.release : "unknown";
    m.qt = qVersion();
    const std::time_t now = std::time(nullptr);
    char date[32];
    std::strftime(date, sizeof date, "%Y-%m-%d", std::localtime(&now));
    m.date = date;
    std::ifstream("/proc/loadavg") >> m.load;
    return m;
}

} // namespace vorna::bench
