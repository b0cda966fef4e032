// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>

#include "link/checksum.h"
#include "link/frame.h"

using namespace vorna::link;
using Bytes = std::vector<std::uint8_t>;

namespace {

struct FrameCase {
    const char *what;
    Bytes built;
    Bytes expected;
};

std::vector<FrameCase> frameCases()
{
    using namespace commands;
    const std::uint8_t time100[] = {100};
    const std::uint8_t address5[] = {5};
    const std::uint8_t times[] = {100, 100, 100};
    const std::uint8_t zero[] = {0};
    return {
        {"open locker 1, address 1, time 100", buildFrame(1, OpenLocker, 0, time100),
         {0x01, 0x02, 0x00, 0x01, 0x00, 0x00, 0x00, 0x09, 0x64, 0x00, 0x72}},
        {"read opening times, address 1", buildFrame(1, ReadTimes, 0),
         {0x01, 0x05, 0x00, 0x03, 0x00, 0x00, 0x01, 0xFD, 0x01, 0x08}},
        {"read reader area, address 1", buildFrame(1, ReaderQuery, 0),
         {0x01, 0x01, 0x00, 0x09, 0x00, 0x00, 0x00, 0x00, 0x00, 0x0C}},
        {"write address 5 to bus address 0", buildFrame(0, WriteAddress, 0, address5),
         {0x00, 0x06, 0x00, 0x01, 0x00, 0x00, 0x01, 0xFC, 0x05, 0x01, 0x0A}},
        {"write start opening times, address 1", buildFrame(1, WriteTimes, 0, times),
         {0x01, 0x06, 0x00, 0x03, 0x00, 0x00, 0x01, 0xFD, 0x64, 0x64, 0x64, 0x02, 0x35}},
        {"open locker 20 goes to live 0x1C", buildFrame(1, OpenLocker, 19, time100),
         {0x01, 0x02, 0x00, 0x01, 0x00, 0x00, 0x00, 0x1C, 0x64, 0x00, 0x85}},
        {"arming writes 0 to live 0", buildFrame(1, Arming, 0, zero),
         {0x01, 0x02, 0x00, 0x01, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x05}},
        {"read card slot 31 at 0xF8", buildFrame(1, ReadCards, 31),
         {0x01, 0x05, 0x00, 0x08, 0x00, 0x00, 0x00, 0xF8, 0x01, 0x07}},
        {"read guardian 7 at 0x14E", buildFrame(1, ReadGuardians, 6),
         {0x01, 0x05, 0x00, 0x03, 0x00, 0x00, 0x01, 0x4E, 0x00, 0x59}},
        {"read locker number 20 at 0x139", buildFrame(2, ReadLockerNums, 19),
         {0x02, 0x05, 0x00, 0x03, 0x00, 0x00, 0x01, 0x39, 0x00, 0x45}},
    };
}

} // namespace

TEST(Frame, MatchesKnownFramesByteForByte)
{
    for (const auto &c : frameCases()) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(c.built, c.expected);
    }
}

TEST(Frame, LengthFollowsTheCommand)
{
    for (const Command *c : commands::kAll) {
        SCOPED_TRACE(c->name);
        const Bytes data(c->isWrite() ? c->count : 0, 0xAB);
        EXPECT_EQ(int(buildFrame(1, *c, 0, data).size()), c->frameLength());
    }
}

TEST(Checksum, IsOnePlusTheByteSumHighByteFirst)
{
    const Bytes allFF(16, 0xFF);   // 1 + 16 * 255 = 0x0FF1
    EXPECT_EQ(frameChecksum(allFF), 0x0FF1);
    EXPECT_EQ(frameChecksum({}), 1);
    const Bytes data(8, 0xFF);
    const Bytes frame = buildFrame(0xFF, Code::WriteBlock, 8, 0xF8, data);
    EXPECT_EQ(frame.size(), 18u);
    const std::uint16_t sum = frameChecksum(std::span(frame).first(16));
    EXPECT_EQ(frame[16], sum >> 8);
    EXPECT_EQ(frame[17], sum & 0xFF);
}

// The command table as the controller expects it, row by row.
TEST(CommandTable, RowsMatchTheControllerProtocol)
{
    struct Row {
        const Command *c;
        int code, address, count, frameBytes, await, read, pause, poll, accept;
        bool block;
    };
    using namespace commands;
    const Row rows[] = {
        {&Arming, 2, 0x00, 1, 11, 10, 0, 1, 100, 0, false},
        {&ReaderQuery, 1, 0x00, 9, 10, 19, 19, 1, 100, 100, true},
        {&OpenLocker, 2, 0x09, 1, 11, 8, 8, 2, 100, 100, false},
        {&ReadCards, 5, 0x000, 8, 10, 18, 18, 1, 500, 200, true},
        {&WriteCards, 6, 0x000, 8, 18, 10, 10, 1, 500, 200, true},
        {&ReadLockerNums, 5, 0x100, 3, 10, 13, 13, 1, 500, 200, true},
        {&WriteLockerNums, 6, 0x100, 3, 13, 10, 10, 1, 500, 200, true},
        {&ReadTimes, 5, 0x1FD, 3, 10, 13, 13, 1, 500, 200, false},
        {&WriteTimes, 6, 0x1FD, 3, 13, 10, 10, 2, 500, 200, false},
        {&ReadGuardians, 5, 0x13C, 3, 10, 13, 11, 1, 500, 200, true},
        {&WriteGuardians, 6, 0x13C, 3, 13, 10, 10, 1, 500, 200, true},
        {&WriteAddress, 6, 0x1FC, 1, 11, 0, 0, 0, 0, 0, true},
    };
    for (const Row &r : rows) {
        SCOPED_TRACE(r.c->name);
        EXPECT_EQ(int(r.c->code), r.code);
        EXPECT_EQ(int(r.c->address), r.address);
        EXPECT_EQ(r.c->count, r.count);
        EXPECT_EQ(r.c->frameLength(), r.frameBytes);
        EXPECT_EQ(r.c->replyAwaited, r.await);
        EXPECT_EQ(r.c->bytesRead, r.read);
        EXPECT_EQ(r.c->pollPauseMs, r.pause);
        EXPECT_EQ(r.c->pollLimit, r.poll);
        EXPECT_EQ(r.c->acceptLimit, r.accept);
        EXPECT_EQ(r.c->blockPause, r.block);
    }
    EXPECT_EQ(ReadCards.addressOf(31), 0xF8u);
    EXPECT_EQ(WriteLockerNums.addressOf(19), 0x139u);
    EXPECT_EQ(WriteGuardians.addressOf(6), 0x14Eu);
}
