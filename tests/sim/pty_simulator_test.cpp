// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>

#include <QTemporaryDir>
#include <filesystem>
#include <fstream>
#include <thread>

#include "link/frame.h"
#include "link/memory_map.h"
#include "sim/pty_simulator.h"
#include "sim_test_util.h"

using namespace vorna::sim;
using vorna::link::buildFrame;
namespace commands = vorna::link::commands;
using simtest::Bytes;
using simtest::hex;
using simtest::RawClient;

namespace {

const Bytes kOpenLocker = hex("01 02 00 01 00 00 00 09 64 00 72");
const Bytes kOpenLockerReply = hex("01 02 00 01 00 00 00 09 00 0E");
const Bytes kReadTimes = hex("01 05 00 03 00 00 01 FD 01 08");
const Bytes kReadTimesReply = hex("01 05 00 03 00 00 01 FD 64 64 64 02 34");
const Bytes kReaderQuery = hex("01 01 00 09 00 00 00 00 00 0C");

// Long enough that a reply that was coming would have come.
constexpr int kQuietMs = 300;
// Generous: a loaded machine under sanitizers must still see the reply.
constexpr int kReplyMs = 3000;

std::unique_ptr<PtySimulator> started(PtySimulator::Options opt = {})
{
    auto sim = std::make_unique<PtySimulator>(std::move(opt));
    EXPECT_TRUE(sim->start());
    return sim;
}

} // namespace

TEST(PtySimulator, AnswersTheExamplesThroughThePty)
{
    for (bool pace : {false, true}) {
        SCOPED_TRACE(pace ? "paced" : "unpaced");
        auto sim = started({.pace = pace});
        RawClient client(sim->path());
        ASSERT_TRUE(client.isOpen()) << sim->path();
        EXPECT_EQ(sim->path().rfind("/dev/pts/", 0), 0u) << sim->path();

        ASSERT_TRUE(client.send(kOpenLocker));
        EXPECT_EQ(client.receive(10, kReplyMs), kOpenLockerReply);
        ASSERT_TRUE(client.send(kReadTimes));
        EXPECT_EQ(client.receive(13, kReplyMs), kReadTimesReply);
        ASSERT_TRUE(client.send(hex("00 06 00 01 00 00 01 FC 05 01 0A")));
        EXPECT_EQ(sim->waitForFrames(3, kReplyMs), 3);
        EXPECT_TRUE(client.drain(kQuietMs).empty());

        EXPECT_EQ(sim->address(), 5);
        EXPECT_EQ(sim->openings(), (std::vector<std::pair<int, std::uint8_t>>{{1, 100}}));
        const auto log = sim->frames();
        ASSERT_EQ(log.size(), 3u);
        EXPECT_EQ(log[0].bytes, kOpenLocker);
        EXPECT_TRUE(log[0].answered);
        EXPECT_TRUE(log[1].answered);
        EXPECT_FALSE(log[2].answered);
    }
}

TEST(PtySimulator, FramesForAnotherAddressAreLoggedButNotAnswered)
{
    auto sim = started({.address = 3});
    RawClient client(sim->path());
    ASSERT_TRUE(client.send(kReadTimes));
    EXPECT_EQ(sim->waitForFrames(1, kReplyMs), 1);
    EXPECT_TRUE(client.drain(kQuietMs).empty());
    ASSERT_TRUE(client.send(buildFrame(3, commands::ReadTimes, 0)));
    EXPECT_EQ(client.receive(13, kReplyMs).size(), 13u);
    const auto log = sim->frames();
    ASSERT_EQ(log.size(), 2u);
    EXPECT_EQ(log[0].bytes, kReadTimes);
    EXPECT_FALSE(log[0].answered);
    EXPECT_TRUE(log[1].answered);
}

TEST(PtySimulator, GarbageBeforeAFrameIsSkipped)
{
    auto sim = started();
    RawClient client(sim->path());
    Bytes stream = hex("FF 13 00 07 02 06 02 00");
    stream.insert(stream.end(), kReadTimes.begin(), kReadTimes.end());
    ASSERT_TRUE(client.send(stream));
    EXPECT_EQ(client.receive(13, kReplyMs), kReadTimesReply);
    const auto log = sim->frames();
    ASSERT_EQ(log.size(), 1u);
    EXPECT_EQ(log[0].bytes, kReadTimes);
}

TEST(PtySimulator, IdlePartialFrameIsDropped)
{
    auto sim = started();
    RawClient client(sim->path());
    ASSERT_TRUE(client.send(hex("01 05 00 03 00")));
    std::this_thread::sleep_for(std::chrono::milliseconds(400));
    ASSERT_TRUE(client.send(kReadTimes));
    EXPECT_EQ(client.receive(13, kReplyMs), kReadTimesReply);
    // Kept, the old bytes would have made a frame of their own.
    const auto log = sim->frames();
    ASSERT_EQ(log.size(), 1u);
    EXPECT_EQ(log[0].bytes, kReadTimes);
}

TEST(PtySimulator, FrameSplitAcrossWritesIsAnswered)
{
    auto sim = started();
    RawClient client(sim->path());
    ASSERT_TRUE(client.send(Bytes(kOpenLocker.begin(), kOpenLocker.begin() + 4)));
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
    ASSERT_TRUE(client.send(Bytes(kOpenLocker.begin() + 4, kOpenLocker.end())));
    EXPECT_EQ(client.receive(10, kReplyMs), kOpenLockerReply);
}

TEST(PtySimulator, BadChecksumIsLoggedAndIgnored)
{
    auto sim = started();
    RawClient client(sim->path());
    Bytes bad = kReadTimes;
    bad.back() ^= 0x40;
    ASSERT_TRUE(client.send(bad));
    EXPECT_EQ(sim->waitForFrames(1, kReplyMs), 1);
    EXPECT_TRUE(client.drain(kQuietMs).empty());
    const auto log = sim->frames();
    ASSERT_EQ(log.size(), 1u);
    EXPECT_EQ(log[0].bytes, bad);
    EXPECT_FALSE(log[0].answered);
}

TEST(PtySimulator, EachFaultKindIsSeenOnTheLine)
{
    struct Row {
        const char *name;
        Fault fault;
        const char *reply;  // what the client gets for the affected frame
    };
    const Row rows[] = {
        {"no reply", {Fault::NoReply, 1, 1, 0}, ""},
        {"truncate", {Fault::Truncate, 1, 1, 4}, "01 05 00 03"},
        {"bad checksum", {Fault::BadChecksum, 1, 1, 0}, "01 05 00 03 00 00 01 FD 64 64 64 FD CB"},
        {"delay", {Fault::Delay, 1, 1, 400}, "01 05 00 03 00 00 01 FD 64 64 64 02 34"},
    };
    for (const Row &r : rows) {
        SCOPED_TRACE(r.name);
        auto sim = started();
        sim->addFault(r.fault);
        RawClient client(sim->path());
        for (int i = 0; i < 3; ++i) {
            ASSERT_TRUE(client.send(kReadTimes));
            const Bytes expected = i == 1 ? hex(r.reply) : kReadTimesReply;
            EXPECT_EQ(client.receive(expected.size(), kReplyMs), expected) << "frame " << i;
            EXPECT_TRUE(client.drain(kQuietMs).empty()) << "frame " << i;
        }
        const auto log = sim->frames();
        ASSERT_EQ(log.size(), 3u);
        EXPECT_EQ(log[1].answered, !hex(r.reply).empty());
    }
}

TEST(PtySimulator, DelayedReplyIsNotThereEarly)
{
    auto sim = started();
    sim->addFault({Fault::Delay, 0, 1, 1500});
    RawClient client(sim->path());
    ASSERT_TRUE(client.send(kReadTimes));
    EXPECT_TRUE(client.drain(200).empty());
    EXPECT_EQ(client.receive(13, kReplyMs), kReadTimesReply);
}

// A held reply, and every reply made after it, waits for the test to let it go.
TEST(PtySimulator, HeldReplyWaitsForRelease)
{
    auto sim = started();
    sim->addFault({Fault::Hold, 0, 1, 0});
    RawClient client(sim->path());
    ASSERT_TRUE(client.send(kReadTimes));
    ASSERT_TRUE(client.send(kOpenLocker));
    EXPECT_EQ(sim->waitForFrames(2, kReplyMs), 2);
    EXPECT_TRUE(sim->settle());
    EXPECT_TRUE(client.drain(kQuietMs).empty());
    sim->releaseHeld();
    Bytes both = kReadTimesReply;
    both.insert(both.end(), kOpenLockerReply.begin(), kOpenLockerReply.end());
    EXPECT_EQ(client.receive(both.size(), kReplyMs), both);
}

TEST(PtySimulator, GarbageFaultSendsOtherBytes)
{
    auto sim = started();
    sim->addFault({Fault::Garbage, 0, 2, 13});
    RawClient client(sim->path());
    std::vector<Bytes> got;
    for (int i = 0; i < 2; ++i) {
        ASSERT_TRUE(client.send(kReadTimes));
        got.push_back(client.receive(13, kReplyMs));
        EXPECT_EQ(got.back().size(), 13u);
        EXPECT_TRUE(client.drain(kQuietMs).empty());
    }
    EXPECT_FALSE(got[0] == kReadTimesReply && got[1] == kReadTimesReply);
    ASSERT_TRUE(client.send(kReadTimes));
    EXPECT_EQ(client.receive(13, kReplyMs), kReadTimesReply);
}

TEST(PtySimulator, SilenceAfterTwoFrames)
{
    auto sim = started();
    sim->addFault({Fault::NoReply, 2, -1, 0});
    RawClient client(sim->path());
    for (int i = 0; i < 4; ++i) {
        ASSERT_TRUE(client.send(kOpenLocker));
        const Bytes reply = client.receive(10, i < 2 ? kReplyMs : kQuietMs);
        EXPECT_EQ(reply, i < 2 ? kOpenLockerReply : Bytes{}) << "frame " << i;
    }
    EXPECT_EQ(sim->openings().size(), 4u);
}

TEST(PtySimulator, FaultAddedDuringARunTakesEffect)
{
    auto sim = started();
    RawClient client(sim->path());
    ASSERT_TRUE(client.send(kReadTimes));
    EXPECT_EQ(client.receive(13, kReplyMs), kReadTimesReply);
    sim->addFault({Fault::NoReply, 1, -1, 0});
    ASSERT_TRUE(client.send(kReadTimes));
    EXPECT_TRUE(client.drain(kQuietMs).empty());
    sim->clearFaults();
    ASSERT_TRUE(client.send(kReadTimes));
    EXPECT_EQ(client.receive(13, kReplyMs), kReadTimesReply);
}

TEST(PtySimulator, VanishHangsUpTheClientAndRemovesTheLink)
{
    QTemporaryDir dir;
    const std::string link = dir.filePath("tty").toStdString();
    auto sim = started({.linkPath = link});
    sim->addFault({Fault::Vanish, 1, 1, 0});
    EXPECT_EQ(sim->path(), link);
    ASSERT_TRUE(std::filesystem::is_symlink(link));
    RawClient client(link);
    ASSERT_TRUE(client.isOpen());
    ASSERT_TRUE(client.send(kOpenLocker));
    EXPECT_EQ(client.receive(10, kReplyMs), kOpenLockerReply);

    ASSERT_TRUE(client.send(kOpenLocker));
    EXPECT_EQ(sim->waitForFrames(2, kReplyMs), 2);
    EXPECT_TRUE(client.sawHangUp(kReplyMs));
    EXPECT_FALSE(std::filesystem::is_symlink(link));
    EXPECT_FALSE(RawClient(link).isOpen());
    // The frame that met the vanishing was not executed.
    EXPECT_EQ(sim->openings().size(), 1u);
    sim->stop();
}

TEST(PtySimulator, LinkIsReplacedAtStartAndRemovedAtStop)
{
    QTemporaryDir dir;
    const std::string link = dir.filePath("tty").toStdString();
    std::filesystem::create_symlink("/nonexistent", link);
    {
        auto sim = started({.linkPath = link});
        EXPECT_EQ(std::filesystem::read_symlink(link).string().rfind("/dev/pts/", 0), 0u);
        RawClient client(link);
        ASSERT_TRUE(client.send(kReadTimes));
        EXPECT_EQ(client.receive(13, kReplyMs), kReadTimesReply);
    }
    EXPECT_FALSE(std::filesystem::exists(std::filesystem::symlink_status(link)));
}

TEST(PtySimulator, PresentedCardIsReadFromTheReaderArea)
{
    auto sim = started();
    RawClient client(sim->path());
    sim->presentCard(hex("0A 1B 2C 3D 4E"), 100);
    sim->presentCard(hex("99"), 600000);
    Bytes area;
    for (int i = 0; i < 100; ++i) {
        ASSERT_TRUE(client.send(kReaderQuery));
        const Bytes reply = client.receive(19, kReplyMs);
        ASSERT_EQ(reply.size(), 19u);
        area.assign(reply.begin() + 8, reply.begin() + 17);
        if (area[0] != 0)
            break;
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    EXPECT_EQ(area, hex("01 0A 1B 2C 3D 4E 00 00 05"));

    // Arming clears the flag the next query sees.
    ASSERT_TRUE(client.send(buildFrame(1, commands::Arming, 0, Bytes{0})));
    EXPECT_EQ(client.receive(10, kReplyMs).size(), 10u);
    ASSERT_TRUE(client.send(kReaderQuery));
    const Bytes reply = client.receive(19, kReplyMs);
    ASSERT_EQ(reply.size(), 19u);
    EXPECT_EQ(reply[8], 0);
    EXPECT_EQ(reply[9], 0x0A);
}

TEST(PtySimulator, RawReaderAreaIsServedAsGiven)
{
    auto sim = started();
    sim->setReaderArea({1, 1, 2, 3, 4, 5, 6, 7, 9}, 0);
    const Bytes live = sim->live();
    EXPECT_EQ(Bytes(live.begin(), live.begin() + 9), hex("01 01 02 03 04 05 06 07 09"));
    RawClient client(sim->path());
    ASSERT_TRUE(client.send(kReaderQuery));
    const Bytes reply = client.receive(19, kReplyMs);
    ASSERT_EQ(reply.size(), 19u);
    EXPECT_EQ(reply[16], 9);
}

TEST(PtySimulator, AccessorsSetAndReadMemory)
{
    PtySimulator sim;
    sim.setBlock(0x100, hex("01 02 03"));
    sim.setBlock(0x1FF, hex("AA BB CC"));  // only the first byte fits
    sim.setLive(0x1C, hex("07 08"));
    const auto block = sim.block();
    ASSERT_EQ(block.size(), vorna::link::memory::kBlockSize);
    EXPECT_EQ(Bytes(block.begin() + 0x100, block.begin() + 0x103), hex("01 02 03"));
    EXPECT_EQ(block[0x1FF], 0xAA);
    EXPECT_EQ(sim.live()[0x1C], 7);
    sim.setBlock(vorna::link::memory::kBlockDeviceAddress, hex("09"));
    EXPECT_EQ(sim.address(), 9);
}

TEST(PtySimulator, WaitForFramesReturnsWhatCameWhenTimeIsUp)
{
    auto sim = started();
    RawClient client(sim->path());
    ASSERT_TRUE(client.send(kReadTimes));
    EXPECT_EQ(sim->waitForFrames(2, kQuietMs), 1);
    sim->clearLog();
    EXPECT_TRUE(sim->frames().empty());
    EXPECT_EQ(sim->waitForFrames(1, 50), 0);
}

TEST(PtySimulator, MemoryFileIsSavedAfterWritesAndLoadedAtStart)
{
    QTemporaryDir dir;
    const std::string file = dir.filePath("memory.bin").toStdString();
    const Bytes record = hex("0A 1B 2C 3D 4E 00 00 05");
    {
        auto sim = started({.memoryFile = file});
        RawClient client(sim->path());
        ASSERT_TRUE(client.send(buildFrame(1, commands::WriteCards, 2, record)));
        EXPECT_EQ(client.receive(10, kReplyMs).size(), 10u);
        ASSERT_TRUE(client.send(hex("00 06 00 01 00 00 01 FC 05 01 0A")));
        EXPECT_EQ(sim->waitForFrames(2, kReplyMs), 2);
        client.drain(kQuietMs);
    }
    std::ifstream in(file, std::ios::binary);
    const Bytes saved{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    ASSERT_EQ(saved.size(), 512u);
    EXPECT_EQ(Bytes(saved.begin() + 16, saved.begin() + 24), record);
    EXPECT_EQ(saved[0x1FC], 5);

    PtySimulator again({.address = 1, .memoryFile = file});
    EXPECT_EQ(again.block(), saved);
    EXPECT_EQ(again.address(), 5);
}

TEST(PtySimulator, StopClosesTheLineAndIsSafeTwice)
{
    PtySimulator idle;
    idle.stop();
    EXPECT_TRUE(idle.path().empty());
    auto sim = started();
    const std::string path = sim->path();
    ASSERT_TRUE(RawClient(path).isOpen());
    sim->stop();
    EXPECT_FALSE(RawClient(path).isOpen());
    sim->stop();
    EXPECT_FALSE(RawClient(path).isOpen());
}
