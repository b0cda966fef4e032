// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>

#include "sim/command_line.h"
#include "sim_test_util.h"

using namespace vorna::sim;
using simtest::hex;

namespace {

ParsedCommandLine parse(std::vector<std::string> args)
{
    return parseCommandLine(args);
}

bool sameFault(const Fault &a, const Fault &b)
{
    return a.kind == b.kind && a.firstFrame == b.firstFrame && a.count == b.count && a.value == b.value;
}

} // namespace

TEST(CommandLine, NoArgumentsGiveTheDefaults)
{
    const auto p = parse({});
    EXPECT_TRUE(p.error.empty());
    EXPECT_EQ(p.line.options.address, 1);
    EXPECT_FALSE(p.line.addressGiven);
    EXPECT_FALSE(p.line.options.pace);
    EXPECT_FALSE(p.line.options.logHex);
    EXPECT_TRUE(p.line.options.linkPath.empty());
    EXPECT_TRUE(p.line.faults.empty());
    EXPECT_FALSE(p.line.card.has_value());
    EXPECT_FALSE(p.line.help);
}

TEST(CommandLine, OptionsAndTheirValues)
{
    const auto p = parse({"--address", "7", "--link=/tmp/x", "--memory", "m.bin", "--log", "--pace",
                          "--card", "0a1B2c3D4e@250"});
    ASSERT_TRUE(p.error.empty()) << p.error;
    EXPECT_EQ(p.line.options.address, 7);
    EXPECT_TRUE(p.line.addressGiven);
    EXPECT_EQ(p.line.options.linkPath, "/tmp/x");
    EXPECT_EQ(p.line.options.memoryFile, "m.bin");
    EXPECT_TRUE(p.line.options.logHex);
    EXPECT_TRUE(p.line.options.pace);
    EXPECT_EQ(p.line.card, hex("0A 1B 2C 3D 4E"));
    EXPECT_EQ(p.line.cardDelayMs, 250);

    const auto sequence = parse({"--card-on-arming", "0A1B,0c0d0e@40"});
    EXPECT_EQ(sequence.line.armingCards, (std::vector{hex("0A 1B"), hex("0C 0D 0E")}));
    EXPECT_EQ(sequence.line.armingCardDelayMs, 40);
    EXPECT_EQ(parse({"--card-on-arming", "0A"}).line.armingCards, std::vector<std::vector<std::uint8_t>>{hex("0A")});

    const auto noDelay = parse({"--card", "12345678"});
    EXPECT_EQ(noDelay.line.card, hex("12 34 56 78"));
    EXPECT_EQ(noDelay.line.cardDelayMs, 3000);
}

TEST(CommandLine, FaultOptionsBecomeFaults)
{
    struct Row {
        std::vector<std::string> args;
        Fault fault;
    };
    const Row rows[] = {
        {{"--no-reply"}, {Fault::NoReply, 0, -1, 0}},
        {{"--delay", "300"}, {Fault::Delay, 0, -1, 300}},
        {{"--truncate", "4"}, {Fault::Truncate, 0, -1, 4}},
        {{"--garbage=6"}, {Fault::Garbage, 0, -1, 6}},
        {{"--bad-checksum"}, {Fault::BadChecksum, 0, -1, 0}},
        {{"--silent-after", "12"}, {Fault::NoReply, 12, -1, 0}},
        {{"--vanish-after", "3"}, {Fault::Vanish, 3, -1, 0}},
        {{"--stale"}, {Fault::Stale, 0, -1, 0}},
        {{"--trickle", "3"}, {Fault::Trickle, 0, -1, 3}},
        {{"--trail", "2"}, {Fault::Trail, 0, -1, 2}},
        {{"--echo"}, {Fault::Echo, 0, -1, 0}},
        {{"--noise", "64"}, {Fault::Noise, 0, -1, 64}},
    };
    for (const Row &r : rows) {
        SCOPED_TRACE(r.args[0]);
        const auto p = parse(r.args);
        ASSERT_TRUE(p.error.empty()) << p.error;
        ASSERT_EQ(p.line.faults.size(), 1u);
        EXPECT_TRUE(sameFault(p.line.faults[0], r.fault));
    }
}

TEST(CommandLine, BadArgumentsAreRefusedWithAReason)
{
    struct Row {
        std::vector<std::string> args;
        const char *error;
    };
    const Row rows[] = {
        {{"--bogus"}, "unknown option '--bogus'"},
        {{"-x"}, "unknown option '-x'"},
        {{"extra"}, "unknown option 'extra'"},
        {{"--address"}, "option --address needs a value"},
        {{"--address", "0"}, "option --address: '0' is not a number from 1 to 255"},
        {{"--address", "256"}, "option --address: '256' is not a number from 1 to 255"},
        {{"--address", "1x"}, "option --address: '1x' is not a number from 1 to 255"},
        {{"--delay", "-5"}, "option --delay: '-5' is not a number from 0 to 600000"},
        {{"--garbage", "0"}, "option --garbage: '0' is not a number from 1 to 600"},
        {{"--card", "123"}, "option --card: '123' is not 1 to 7 hex bytes with an optional @MS"},
        {{"--card", "0102030405060708"}, "option --card: '0102030405060708' is not 1 to 7 hex bytes with an optional @MS"},
        {{"--card", "GG"}, "option --card: 'GG' is not 1 to 7 hex bytes with an optional @MS"},
        {{"--card", "0A@soon"}, "option --card: '0A@soon' is not 1 to 7 hex bytes with an optional @MS"},
        {{"--log=yes"}, "option --log takes no value"},
        {{"--link", ""}, "option --link needs a file name"},
        {{"--card-on-arming", "0A@x"},
         "option --card-on-arming: '0A@x' is not 1 to 7 hex bytes (or a comma-separated list of them) with an optional @MS"},
        {{"--card-on-arming", "0A,,0B"},
         "option --card-on-arming: '0A,,0B' is not 1 to 7 hex bytes (or a comma-separated list of them) with an optional @MS"},
        {{"--card-on-arming", "0A,"},
         "option --card-on-arming: '0A,' is not 1 to 7 hex bytes (or a comma-separated list of them) with an optional @MS"},
        {{"--sample-site", "--memory", "m.bin"}, "options --sample-site and --memory exclude each other"},
        // The first problem in the order written, whatever its kind; a value is never an option.
        {{"--address", "0", "--bogus"}, "option --address: '0' is not a number from 1 to 255"},
        {{"--bogus", "--address", "0"}, "unknown option '--bogus'"},
        {{"--link", "--card", "--h"}, "unknown option '--h'"},
        {{"--memory", "pami\xea\xe6.bin"}, "argument 'pami\\xEA\\xE6.bin' is not UTF-8 text"},
    };
    for (const Row &r : rows) {
        SCOPED_TRACE(r.args[0]);
        EXPECT_EQ(parse(r.args).error, r.error);
    }
}

TEST(CommandLine, UsageNamesEveryOption)
{
    const std::string usage = usageText();
    for (const char *option : {"--address", "--link", "--memory", "--log", "--pace", "--card", "--help", "--version",
                               "--no-reply", "--delay", "--truncate", "--garbage", "--bad-checksum",
                               "--silent-after", "--vanish-after", "--stale", "--trickle", "--trail", "--echo", "--noise",
                               "--card-on-arming", "--sample-site"})
        EXPECT_NE(usage.find(option), std::string::npos) << option;
}
