// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>

#include "link/checksum.h"
#include "link/frame.h"
#include "link/memory_map.h"
#include "sim/controller.h"
#include "sim_test_util.h"

using namespace vorna::sim;
using vorna::link::Code;
using vorna::link::buildFrame;
namespace memory = vorna::link::memory;
using simtest::Bytes;
using simtest::hex;

namespace {

Frame frameOf(const Bytes &bytes)
{
    FrameParser parser;
    auto frames = parser.feed(bytes);
    EXPECT_EQ(frames.size(), 1u);
    return frames.empty() ? Frame{} : frames[0];
}

Frame frameOf(const char *text)
{
    return frameOf(hex(text));
}

// A frame whose checksum is right whatever its other bytes say.
Frame rawFrame(Bytes body)
{
    const std::uint16_t sum = vorna::link::frameChecksum(body);
    body.push_back(std::uint8_t(sum >> 8));
    body.push_back(std::uint8_t(sum));
    return Frame{body, true};
}

bool checksumRight(const Bytes &reply)
{
    if (reply.size() < 2)
        return false;
    const std::uint16_t sum = vorna::link::frameChecksum(std::span(reply).first(reply.size() - 2));
    return reply[reply.size() - 2] == (sum >> 8) && reply.back() == (sum & 0xFF);
}

const Bytes kReadTimes = hex("01 05 00 03 00 00 01 FD 01 08");
const Bytes kReadTimesReply = hex("01 05 00 03 00 00 01 FD 64 64 64 02 34");

} // namespace

TEST(Controller, StartsWithErasedBlockMemoryItsAddressAndDefaultTimes)
{
    Controller c(7);
    const auto &block = c.block();
    ASSERT_EQ(block.size(), memory::kBlockSize);
    for (std::size_t i = 0; i < block.size(); ++i) {
        if (i == memory::kBlockDeviceAddress)
            EXPECT_EQ(block[i], 7);
        else if (i >= memory::kBlockOpeningTimes)
            EXPECT_EQ(block[i], 100) << i;
        else
            EXPECT_EQ(block[i], 0xFF) << i;
    }
    EXPECT_EQ(c.live(), Bytes(memory::kLiveSize, 0));
    EXPECT_EQ(c.address(), 7);
}

TEST(Controller, AnswersTheExampleFrames)
{
    struct Row {
        const char *name;
        const char *request;
        const char *reply;  // empty: no reply
    };
    const Row rows[] = {
        {"open locker 1", "01 02 00 01 00 00 00 09 64 00 72", "01 02 00 01 00 00 00 09 00 0E"},
        {"read opening times", "01 05 00 03 00 00 01 FD 01 08", "01 05 00 03 00 00 01 FD 64 64 64 02 34"},
        {"read reader area", "01 01 00 09 00 00 00 00 00 0C",
         "01 01 00 09 00 00 00 00 00 00 00 00 00 00 00 00 00 00 0C"},
        {"address write of 5", "00 06 00 01 00 00 01 FC 05 01 0A", ""},
    };
    for (const Row &r : rows) {
        SCOPED_TRACE(r.name);
        Controller c;
        const Response resp = c.handle(frameOf(r.request));
        EXPECT_EQ(resp.reply, hex(r.reply)) << simtest::show(resp.reply);
        EXPECT_EQ(resp.answered(), !hex(r.reply).empty());
        if (!resp.reply.empty()) {
            EXPECT_TRUE(checksumRight(resp.reply));
            EXPECT_TRUE(std::equal(resp.reply.begin(), resp.reply.begin() + 8, hex(r.request).begin()));
        }
    }
}

TEST(Controller, ExampleWritesChangeMemory)
{
    Controller c;
    c.handle(frameOf("01 02 00 01 00 00 00 09 64 00 72"));
    EXPECT_EQ(c.live()[0x09], 100);
    EXPECT_EQ(c.openings(), (std::vector<std::pair<int, std::uint8_t>>{{1, 100}}));

    const Response resp = c.handle(frameOf("00 06 00 01 00 00 01 FC 05 01 0A"));
    EXPECT_TRUE(resp.blockWritten);
    EXPECT_EQ(c.address(), 5);
    EXPECT_EQ(c.block()[memory::kBlockDeviceAddress], 5);
}

TEST(Controller, ReplyLengthsFollowTheCommandTable)
{
    for (const auto *cmd : vorna::link::commands::kAll) {
        SCOPED_TRACE(cmd->name);
        const Bytes data(cmd->isWrite() ? cmd->count : 0, 0x00);
        for (int i : {0, cmd->frames > 0 ? cmd->frames - 1 : 0}) {
            Controller c;
            const std::uint8_t device = cmd == &vorna::link::commands::WriteAddress ? 0 : 1;
            const Response resp = c.handle(frameOf(buildFrame(device, *cmd, i, data)));
            const std::size_t expected = device == 0 ? 0 : cmd->isWrite() ? 10 : 10 + cmd->count;
            EXPECT_EQ(resp.reply.size(), expected) << "frame " << i;
            // What the tool waits for must fit in what comes.
            EXPECT_GE(resp.reply.size(), std::size_t(cmd->replyAwaited));
        }
    }
}

TEST(Controller, BlockWriteThenReadGivesTheDataBack)
{
    Controller c;
    const Bytes record = hex("0A 1B 2C 3D 4E 00 00 05");
    ASSERT_EQ(c.handle(frameOf(buildFrame(1, vorna::link::commands::WriteCards, 31, record))).reply.size(), 10u);
    const Response read = c.handle(frameOf(buildFrame(1, vorna::link::commands::ReadCards, 31)));
    ASSERT_EQ(read.reply.size(), 18u);
    EXPECT_EQ(Bytes(read.reply.begin() + 8, read.reply.begin() + 16), record);
    EXPECT_EQ(Bytes(c.block().begin() + 248, c.block().begin() + 256), record);
}

TEST(Controller, IgnoresFramesForOtherDevicesWithoutCountingThem)
{
    Controller c;
    for (std::uint8_t device : {2, 5, 255}) {
        const Response resp = c.handle(frameOf(buildFrame(device, Code::WriteLive, 1, 0x09, Bytes{50})));
        EXPECT_TRUE(resp.reply.empty());
        EXPECT_EQ(resp.note, "for device " + std::to_string(device));
    }
    EXPECT_EQ(c.live()[0x09], 0);
    EXPECT_TRUE(c.openings().empty());
    EXPECT_EQ(c.addressedFrames(), 0);
}

TEST(Controller, BroadcastAddressWriteMovesTheDevice)
{
    Controller c;
    c.handle(frameOf("00 06 00 01 00 00 01 FC 05 01 0A"));
    EXPECT_TRUE(c.handle(frameOf(kReadTimes)).reply.empty());
    const Response at5 = c.handle(frameOf(buildFrame(5, Code::ReadBlock, 3, 0x1FD)));
    ASSERT_EQ(at5.reply.size(), 13u);
    EXPECT_EQ(at5.reply[0], 5);
    // Broadcasts are executed but never answered.
    const Response broadcast = c.handle(frameOf(buildFrame(0, Code::WriteLive, 1, 0x0A, Bytes{9})));
    EXPECT_TRUE(broadcast.reply.empty());
    EXPECT_EQ(c.live()[0x0A], 9);
}

TEST(Controller, RejectsMalformedFramesAndLeavesMemoryAlone)
{
    struct Row {
        const char *name;
        Frame frame;
        const char *note;
    };
    Bytes badSum = hex("01 02 00 01 00 00 00 09 64 00 73");
    const Row rows[] = {
        {"bad checksum", Frame{badSum, false}, "bad checksum"},
        {"unknown code", rawFrame(hex("01 03 00 01 00 00 00 09 64")), "unknown code 3"},
        {"block read past the end", rawFrame(hex("01 05 00 04 00 00 01 FD")), "outside memory"},
        {"live write past the end", rawFrame(hex("01 02 00 02 00 00 00 1C 01 02")), "outside memory"},
        {"address beyond 32 bits of memory", rawFrame(hex("01 05 00 01 FF FF FF FF")), "outside memory"},
        {"data shorter than count", rawFrame(hex("01 06 00 03 00 00 01 00 01")), "length does not match count"},
        {"too short", Frame{hex("01 05 00"), true}, "too short"},
    };
    for (const Row &r : rows) {
        SCOPED_TRACE(r.name);
        Controller c;
        const Response resp = c.handle(r.frame);
        EXPECT_TRUE(resp.reply.empty());
        EXPECT_FALSE(resp.blockWritten);
        EXPECT_EQ(resp.note, r.note);
        EXPECT_EQ(c.block(), Controller().block());
        EXPECT_EQ(c.live(), Bytes(memory::kLiveSize, 0));
        EXPECT_TRUE(c.openings().empty());
    }
}

// A simulator that serves for days keeps a record of bounded size: the count of
// every opening, and the latest openings themselves.
TEST(Controller, OpeningRecordIsBounded)
{
    Controller c;
    const std::size_t total = 3 * Controller::kKeptOpenings + 5;
    for (std::size_t i = 0; i < total; ++i)
        c.handle(frameOf(buildFrame(1, vorna::link::commands::OpenLocker, int(i % 20), Bytes{std::uint8_t(i)})));
    EXPECT_EQ(c.openingCount(), total);
    const auto kept = c.openings();
    ASSERT_EQ(kept.size(), Controller::kKeptOpenings);
    const std::size_t first = total - Controller::kKeptOpenings;
    EXPECT_EQ(kept.front(), std::make_pair(int(first % 20) + 1, std::uint8_t(first)));
    EXPECT_EQ(kept.back(), std::make_pair(int((total - 1) % 20) + 1, std::uint8_t(total - 1)));
}

TEST(Controller, LockerOpeningsAreRecordedPerByte)
{
    Controller c;
    c.handle(frameOf(buildFrame(1, vorna::link::commands::OpenLocker, 19, Bytes{44})));
    c.handle(frameOf(buildFrame(1, Code::WriteLive, 3, 0x08, Bytes{7, 0, 255})));
    EXPECT_EQ(c.openings(), (std::vector<std::pair<int, std::uint8_t>>{{20, 44}, {1, 0}, {2, 255}}));
    EXPECT_EQ(c.live()[0x1C], 44);
    EXPECT_EQ(c.live()[0x08], 7);
}

TEST(Controller, CardReachesTheReaderAtItsTime)
{
    using namespace std::chrono_literals;
    Controller c;
    const auto t0 = Controller::Clock::now();
    c.setReaderArea(Controller::cardArea(hex("0A 1B 2C 3D 4E")), t0 + 200ms);
    const Frame query = frameOf(buildFrame(1, vorna::link::commands::ReaderQuery, 0));

    const Response before = c.handle(query, t0 + 199ms);
    EXPECT_EQ(Bytes(before.reply.begin() + 8, before.reply.begin() + 17), Bytes(9, 0));
    const Response after = c.handle(query, t0 + 200ms);
    EXPECT_EQ(Bytes(after.reply.begin() + 8, after.reply.begin() + 17), hex("01 0A 1B 2C 3D 4E 00 00 05"));
    EXPECT_TRUE(checksumRight(after.reply));

    // Arming clears the flag only; the number stays.
    c.handle(frameOf(buildFrame(1, vorna::link::commands::Arming, 0, Bytes{0})), t0 + 300ms);
    EXPECT_EQ(Bytes(c.live().begin(), c.live().begin() + 9), hex("00 0A 1B 2C 3D 4E 00 00 05"));
}

// One card is held after every arming; a list gives its next card at each arming
// and nothing once it is used up, so an enrolment can also run out of cards.
TEST(Controller, CardsOnArmingFollowTheirList)
{
    using namespace std::chrono_literals;
    const Frame arming = frameOf(buildFrame(1, vorna::link::commands::Arming, 0, Bytes{0}));
    const Frame query = frameOf(buildFrame(1, vorna::link::commands::ReaderQuery, 0));
    struct Row {
        std::vector<Bytes> cards;
        std::vector<const char *> areas;   // the reader area after each arming
    };
    const Row rows[] = {
        {{hex("0A 0B")}, {"01 0A 0B 00 00 00 00 00 02", "01 0A 0B 00 00 00 00 00 02", "01 0A 0B 00 00 00 00 00 02"}},
        {{hex("0A"), hex("0B 0C"), hex("0D")},
         {"01 0A 00 00 00 00 00 00 01", "01 0B 0C 00 00 00 00 00 02", "01 0D 00 00 00 00 00 00 01",
          "00 0D 00 00 00 00 00 00 01"}},
    };
    for (const Row &r : rows) {
        Controller c;
        std::vector<Controller::ReaderArea> areas;
        for (const Bytes &card : r.cards)
            areas.push_back(Controller::cardArea(card));
        c.presentOnArming(areas, 10);
        auto t = Controller::Clock::now();
        for (std::size_t k = 0; k < r.areas.size(); ++k) {
            SCOPED_TRACE(k);
            c.handle(arming, t);
            t += 10ms;
            const Response reply = c.handle(query, t);
            EXPECT_EQ(Bytes(reply.reply.begin() + 8, reply.reply.begin() + 17), hex(r.areas[k]));
            t += 10ms;
        }
    }
}

TEST(Controller, CardAreaKeepsAtMostSevenNumberBytes)
{
    struct Row {
        const char *number;
        const char *area;
    };
    const Row rows[] = {
        {"", "01 00 00 00 00 00 00 00 00"},
        {"12 34 56 78", "01 12 34 56 78 00 00 00 04"},
        {"01 02 03 04 05 06 07", "01 01 02 03 04 05 06 07 07"},
        {"01 02 03 04 05 06 07 08 09", "01 01 02 03 04 05 06 07 07"},
    };
    for (const Row &r : rows) {
        const auto area = Controller::cardArea(hex(r.number));
        EXPECT_EQ(Bytes(area.begin(), area.end()), hex(r.area)) << r.number;
    }
}

TEST(Controller, CardsComeInOrderOfTheirTimes)
{
    using namespace std::chrono_literals;
    Controller c;
    const auto t0 = Controller::Clock::now();
    c.setReaderArea(Controller::ReaderArea{1, 0xBB, 0, 0, 0, 0, 0, 0, 9}, t0 + 50ms);
    c.setReaderArea(Controller::ReaderArea{1, 0xAA, 0, 0, 0, 0, 0, 0, 0}, t0 + 10ms);
    c.applyDue(t0 + 20ms);
    EXPECT_EQ(c.live()[1], 0xAA);
    EXPECT_EQ(c.live()[8], 0);
    c.applyDue(t0 + 60ms);
    EXPECT_EQ(c.live()[1], 0xBB);
    EXPECT_EQ(c.live()[8], 9);
}

TEST(Controller, FaultsShapeTheRepliesOfTheirFramesOnly)
{
    struct Row {
        const char *name;
        Fault fault;
        const char *reply;  // of an affected frame
        int delayMs;
    };
    const Row rows[] = {
        {"no reply", {Fault::NoReply, 1, 2, 0}, "", 0},
        {"delay", {Fault::Delay, 1, 2, 250}, "01 05 00 03 00 00 01 FD 64 64 64 02 34", 250},
        {"truncate", {Fault::Truncate, 1, 2, 5}, "01 05 00 03 00", 0},
        {"truncate to nothing", {Fault::Truncate, 1, 2, 0}, "", 0},
        {"bad checksum", {Fault::BadChecksum, 1, 2, 0}, "01 05 00 03 00 00 01 FD 64 64 64 FD CB", 0},
        {"trail", {Fault::Trail, 1, 2, 2}, "01 05 00 03 00 00 01 FD 64 64 64 02 34 00 00", 0},
    };
    for (const Row &r : rows) {
        SCOPED_TRACE(r.name);
        Controller c;
        c.addFault(r.fault);
        for (int i = 0; i < 5; ++i) {
            const bool hit = i == 1 || i == 2;
            const Response resp = c.handle(frameOf(kReadTimes));
            EXPECT_EQ(resp.reply, hit ? hex(r.reply) : kReadTimesReply) << "frame " << i;
            EXPECT_EQ(resp.delayMs, hit ? r.delayMs : 0) << "frame " << i;
            EXPECT_FALSE(resp.vanish);
        }
    }
}

// Peers one step behind, slow, echoing or noisy: the line faults reach every frame,
// the controller's only its own.
TEST(Controller, PeerFaultsAnswerOtherThanAsked)
{
    Controller c;
    c.addFault({Fault::Stale, 0, -1, 0});
    c.addFault({Fault::Trickle, 0, -1, 3});
    c.addFault({Fault::Echo, 0, -1, 0});
    c.addFault({Fault::Noise, 1, 1, 5});
    const Bytes readCard0 = hex("01 05 00 08 00 00 00 00 00 0F");
    const Bytes forDevice9 = hex("09 05 00 03 00 00 01 FD 01 10");

    const Response first = c.handle(frameOf(kReadTimes));
    EXPECT_EQ(first.reply, kReadTimesReply);   // nothing before it: its own
    EXPECT_EQ(first.line, kReadTimes);
    EXPECT_EQ(first.byteGapMs, 3);
    const Response other = c.handle(frameOf(forDevice9));
    EXPECT_TRUE(other.reply.empty());
    ASSERT_EQ(other.line.size(), forDevice9.size() + 5);
    EXPECT_TRUE(std::equal(forDevice9.begin(), forDevice9.end(), other.line.begin()));
    const Response behind = c.handle(frameOf(readCard0));
    EXPECT_EQ(behind.reply, kReadTimesReply);
    EXPECT_EQ(behind.line, readCard0);
    EXPECT_EQ(c.handle(frameOf(kReadTimes)).reply, hex("01 05 00 08 00 00 00 00 FF FF FF FF FF FF FF FF 08 07"));
}

TEST(Controller, GarbageFaultSendsThatManyBytesOfSomethingElse)
{
    Controller c;
    c.addFault({Fault::Garbage, 0, -1, 13});
    bool allSame = true;
    for (int i = 0; i < 4; ++i) {
        const Response resp = c.handle(frameOf(kReadTimes));
        ASSERT_EQ(resp.reply.size(), 13u);
        allSame = allSame && resp.reply == kReadTimesReply;
    }
    EXPECT_FALSE(allSame);
}

TEST(Controller, NoReplyStillExecutesUnlessDeaf)
{
    Controller c;
    c.addFault({Fault::NoReply, 0, 1, 0});
    c.addFault({Fault::NoReply, 1, 1, 1});
    EXPECT_TRUE(c.handle(frameOf(buildFrame(1, vorna::link::commands::OpenLocker, 0, Bytes{10}))).reply.empty());
    EXPECT_TRUE(c.handle(frameOf(buildFrame(1, vorna::link::commands::OpenLocker, 1, Bytes{20}))).reply.empty());
    EXPECT_EQ(c.handle(frameOf(buildFrame(1, vorna::link::commands::OpenLocker, 2, Bytes{30}))).reply.size(), 10u);
    EXPECT_EQ(c.openings(), (std::vector<std::pair<int, std::uint8_t>>{{1, 10}, {3, 30}}));
}

TEST(Controller, VanishStopsBeforeExecuting)
{
    Controller c;
    c.addFault({Fault::Vanish, 1, -1, 0});
    EXPECT_FALSE(c.handle(frameOf(buildFrame(1, vorna::link::commands::OpenLocker, 0, Bytes{10}))).vanish);
    const Response gone = c.handle(frameOf(buildFrame(1, vorna::link::commands::OpenLocker, 1, Bytes{20})));
    EXPECT_TRUE(gone.vanish);
    EXPECT_FALSE(gone.answered());
    EXPECT_EQ(c.openings().size(), 1u);
}

TEST(Controller, SilenceAfterNFramesLastsAndCountsOnlyFramesForTheDevice)
{
    Controller c;
    c.addFault({Fault::NoReply, 2, -1, 0});
    const Frame other = frameOf(buildFrame(9, Code::ReadBlock, 3, 0x1FD));
    std::vector<bool> answered;
    for (int i = 0; i < 6; ++i) {
        c.handle(other);
        answered.push_back(c.handle(frameOf(kReadTimes)).answered());
    }
    EXPECT_EQ(answered, (std::vector<bool>{true, true, false, false, false, false}));
    EXPECT_EQ(c.addressedFrames(), 6);
}

TEST(Controller, ClearFaultsRestoresReplies)
{
    Controller c;
    c.addFault({Fault::NoReply, 0, -1, 0});
    EXPECT_TRUE(c.handle(frameOf(kReadTimes)).reply.empty());
    c.clearFaults();
    EXPECT_EQ(c.handle(frameOf(kReadTimes)).reply, kReadTimesReply);
}
