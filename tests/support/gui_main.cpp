// SPDX-License-Identifier: GPL-3.0-or-later
// gui_tests: runs the window test file named by the first argument (gui_suite.h).
#include <cstdio>
#include <map>
#include <string>

#include "support/gui_suite.h"

namespace vorna::test {
namespace {

std::map<std::string, GuiMain> &parts()
{
    static std::map<std::string, GuiMain> all;
    return all;
}

} // namespace

GuiPart::GuiPart(const char *name, GuiMain main)
{
    parts().emplace(name, main);
}

} // namespace vorna::test

int main(int argc, char **argv)
{
    const auto &parts = vorna::test::parts();
    const auto part = argc > 1 ? parts.find(argv[1]) : parts.end();
    if (part == parts.end()) {
        std::fprintf(stderr, "usage: %s <test file> [Qt Test options]\ntest files:\n", argv[0]);
        for (const auto &[name, main] : parts)
            std::fprintf(stderr, "  %s\n", name.c_str());
        return 2;
    }
    // The file sees the program and its own arguments, as when it was a program.
    argv[1] = argv[0];
    return part->second(argc - 1, argv + 1);
}
