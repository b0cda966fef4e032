// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>

#include "ideal_client.h"
#include "link/commands.h"
#include "link/frame.h"
#include "link/memory_map.h"
#include "machine.h"
#include "report.h"
#include "sim/pty_simulator.h"
#include "startup.h"
#include "stats.h"

using namespace vorna;
using namespace vorna::bench;
namespace cmd = vorna::link::commands;
namespace mem = vorna::link::memory;

TEST(Median, OddEvenEmptyAndUnsorted)
{
    EXPECT_DOUBLE_EQ(median({}), 0.0);
    EXPECT_DOUBLE_EQ(median({4.0}), 4.0);
    EXPECT_DOUBLE_EQ(median({9.0, 1.0, 5.0}), 5.0);
    EXPECT_DOUBLE_EQ(median({8.0, 2.0, 6.0, 4.0}), 5.0);
    EXPECT_DOUBLE_EQ(median({1.0, 1.0, 100.0}), 1.0);
}

TEST(ChildOutput, FieldsByExactKey)
{
    const std::string line = "first_paint_ms=41.250 maxrss_kb=51200 hwm_kb=50000 width=800 height=600";
    EXPECT_DOUBLE_EQ(field(line, "first_paint_ms"), 41.25);
    EXPECT_DOUBLE_EQ(field(line, "maxrss_kb"), 51200);
    // "rss_kb" is only the tail of another key.
    EXPECT_DOUBLE_EQ(field(line, "rss_kb"), -1);
    EXPECT_DOUBLE_EQ(field(line, "height"), 600);
    EXPECT_DOUBLE_EQ(field("", "width"), -1);
}

TEST(Machine, CpuModelFromCpuinfo)
{
    EXPECT_EQ(cpuModel("processor\t: 0\nvendor_id\t: X\nmodel name\t: Some CPU 9000  \nflags\t: a\n"
                       "model name\t: Second\n"),
              "Some CPU 9000");
    EXPECT_EQ(cpuModel("processor\t: 0\n"), "unknown");
    EXPECT_EQ(cpuModel("model name\t:\n"), "unknown");
}

TEST(Report, SpliceKeepsTheTextAroundTheMarks)
{
    const std::string doc = std::string("# Notes\nbefore\n") + kBeginMark + "\nold figures\n" + kEndMark +
                            "\nafter\n";
    const std::string out = spliceReport(doc, "new figures\n");
    EXPECT_EQ(out, std::string("# Notes\nbefore\n") + kBeginMark + "\nnew figures\n" + kEndMark + "\nafter\n");
    EXPECT_EQ(spliceReport(out, "new figures\n"), out);
}

TEST(Report, SpliceAppendsWhenThereAreNoMarks)
{
    EXPECT_EQ(spliceReport("", "x\n"), std::string(kBeginMark) + "\nx\n" + kEndMark + "\n");
    EXPECT_EQ(spliceReport("intro", "x\n"), std::string("intro\n") + kBeginMark + "\nx\n" + kEndMark + "\n");
    // A begin mark without its end is not a section: nothing after it is thrown away.
    const std::string broken = std::string("a\n") + kBeginMark + "\nkeep me\n";
    EXPECT_NE(spliceReport(broken, "x\n").find("keep me"), std::string::npos);
}

TEST(Report, VerdictsFollowTheGoals)
{
    Machine m{"CPU", 2, "Linux 6", "6.4.2", "2025-01-01", 0.5};
    std::vector<TransferRow> rows = {
        {"card list read", "Button35", 32, true, 700, 690, 1.014, 1.02, 0},
        {"card list write", "Button34", 32, true, 740, 690, 1.072, 1.09, 0},
        {"open locker 1", "SpeedButton1", 1, false, 12, 10, 1.2, 1.3, 0},
        {"guardians read", "Button44", 7, true, 0, 0, 0, 0, 7},
    };
    CaptureResult capture{3, 5000, 6.5, 7.0, 0};
    StartupResult startup{7, 800, 600};
    startup.formMs = 130, startup.emptyMs = 100, startup.labelMs = 65;
    startup.formRssKb = 60000, startup.emptyRssKb = 50000, startup.labelRssKb = 55000;
    startup.formHwmKb = 60000, startup.emptyHwmKb = 40000, startup.labelHwmKb = 55000;
    const std::string text = renderReport(m, 7, rows, capture, startup);
    auto rowOf = [&](const std::string &start) {
        const auto at = text.find(start);
        return at == std::string::npos ? std::string() : text.substr(at, text.find('\n', at) - at);
    };
    EXPECT_NE(rowOf("| card list read").find("| met |"), std::string::npos);
    EXPECT_NE(rowOf("| card list write").find("**missed**"), std::string::npos);
    EXPECT_NE(rowOf("| open locker 1").find("(single exchange)"), std::string::npos);
    EXPECT_NE(rowOf("| guardians read").find("7 failed runs"), std::string::npos);
    EXPECT_NE(rowOf("| 5000 |").find("**missed**"), std::string::npos);
    EXPECT_NE(rowOf("| process start").find("1.30 | met | 65.0 | 2.00 |"), std::string::npos);
    EXPECT_NE(rowOf("| ru_maxrss").find("1.20 | met"), std::string::npos);
    EXPECT_NE(rowOf("| VmHWM").find("1.50 | **missed**"), std::string::npos);
    EXPECT_NE(text.find("CPU, 2 cores, Linux 6, Qt 6.4.2"), std::string::npos);
    EXPECT_NE(text.find("load average 0.50 when"), std::string::npos);
}

TEST(Report, PartsLeftOutAreNotShown)
{
    const std::string text = renderReport(Machine{}, 7, {}, CaptureResult{}, StartupResult{});
    EXPECT_EQ(text.find("###"), std::string::npos);
    CaptureResult failed;
    failed.failures = 3;
    EXPECT_NE(renderReport(Machine{}, 7, {}, failed, StartupResult{}).find("3 failed runs"), std::string::npos);
}

// The ideal client is only a fair yardstick if it does the tool's work: the same
// frames, and every reply read whole.
class IdealClientTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(sim.start());
        ASSERT_TRUE(client.open(sim.path()));
    }
    sim::PtySimulator sim{{.address = 1}};
    IdealClient client;
};

TEST_F(IdealClientTest, ReadsEveryFrameOfACardListWhole)
{
    std::vector<std::uint8_t> cards(mem::kCardSlots * mem::kCardRecordSize);
    for (std::size_t i = 0; i < cards.size(); ++i)
        cards[i] = std::uint8_t(i);
    sim.setBlock(mem::kBlockCards, cards);
    ASSERT_TRUE(client.run(1, cmd::ReadCards, mem::kCardSlots));
    const auto frames = sim.frames();
    ASSERT_EQ(frames.size(), std::size_t(mem::kCardSlots));
    for (int i = 0; i < mem::kCardSlots; ++i)
        EXPECT_EQ(frames[std::size_t(i)].bytes, link::buildFrame(1, cmd::ReadCards, i)) << "frame " << i;
    // The last reply: its header, the last record, the checksum.
    const auto &reply = client.lastReply();
    ASSERT_EQ(reply.size(), std::size_t(cmd::ReadCards.replyAwaited));
    EXPECT_EQ(std::vector<std::uint8_t>(reply.begin() + 8, reply.begin() + 16),
              std::vector<std::uint8_t>(cards.end() - 8, cards.end()));
}

TEST_F(IdealClientTest, WritesThePayloadOfEachFrame)
{
    const auto payload = [](int i) { return std::vector<std::uint8_t>{std::uint8_t(i % 10), 0, 7}; };
    ASSERT_TRUE(client.run(1, cmd::WriteLockerNums, mem::kLockers, payload));
    const auto block = sim.block();
    for (int i = 0; i < mem::kLockers; ++i) {
        const auto at = block.begin() + std::ptrdiff_t(cmd::WriteLockerNums.addressOf(i));
        EXPECT_EQ(std::vector<std::uint8_t>(at, at + 3), payload(i)) << "locker " << i;
    }
    EXPECT_EQ(client.lastReply().size(), std::size_t(cmd::WriteLockerNums.replyAwaited));
}

TEST_F(IdealClientTest, GuardianRepliesAreTakenAtTheirAwaitedLength)
{
    ASSERT_TRUE(client.run(1, cmd::ReadGuardians, mem::kGuardians));
    EXPECT_EQ(client.lastReply().size(), std::size_t(cmd::ReadGuardians.replyAwaited));
    EXPECT_EQ(sim.frames().size(), std::size_t(mem::kGuardians));
}

TEST_F(IdealClientTest, AMissingOrShortReplyFailsTheRun)
{
    sim.addFault({sim::Fault::NoReply, 1, 1, 0});
    EXPECT_FALSE(client.run(1, cmd::ReadLockerNums, 3, {}, 200));
    EXPECT_EQ(sim.frames().size(), std::size_t(2));   // it stopped at the silent frame
    sim.clearFaults();
    sim.clearLog();
    sim.addFault({sim::Fault::Truncate, 0, -1, 5});
    EXPECT_FALSE(client.run(1, cmd::ReadTimes, 1, {}, 200));
}

TEST(IdealClient, OpenFailsOnAMissingDevice)
{
    IdealClient client;
    EXPECT_FALSE(client.open("/nonexistent/vorna-bench-port"));
    EXPECT_FALSE(client.isOpen());
}
