// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>

#include "link/checksum.h"
#include "link/exchange.h"
#include "support/scripted_port.h"

using namespace vorna::link;
using vorna::test::FakeClock;
using vorna::test::ScriptedPort;
using Bytes = std::vector<std::uint8_t>;

namespace {

Bytes replyOf(int length)
{
    Bytes r(static_cast<std::size_t>(length));
    for (int i = 0; i < length; ++i)
        r[std::size_t(i)] = std::uint8_t(0xA0 + i);
    return r;
}

struct Rig {
    FakeClock clock;
    ScriptedPort port;
    Exchange x{clock};
    int pumps = 0;
    Rig()
    {
        x.setPort(&port);
        x.setMessagePump([this] { ++pumps; });
    }
    void replyAt(int length, int query)
    {
        port.respond = [=](const Bytes &, int) { return ScriptedPort::Reply{replyOf(length), query}; };
    }
};

} // namespace

// Polls count from 0; a block transfer accepts a reply first seen at poll 199 and
// times out at 200 although the reply is there before the poll limit.
TEST(Exchange, AcceptanceLimitBoundary)
{
    struct Case {
        const Command *command;
        int seenAtPoll;
        WaitResult expected;
        int endPoll;
    };
    using namespace commands;
    const Case cases[] = {
        {&ReadCards, 0, WaitResult::Accepted, 0},
        {&ReadCards, 199, WaitResult::Accepted, 199},
        {&ReadCards, 200, WaitResult::TimedOut, 200},
        {&ReadCards, 499, WaitResult::TimedOut, 499},
        {&ReadCards, -1, WaitResult::TimedOut, 500},
        {&WriteGuardians, 199, WaitResult::Accepted, 199},
        {&WriteGuardians, 200, WaitResult::TimedOut, 200},
        {&OpenLocker, 99, WaitResult::Accepted, 99},
        {&OpenLocker, 100, WaitResult::TimedOut, 100},
        {&ReaderQuery, -1, WaitResult::TimedOut, 100},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(std::string(c.command->name) + " at poll " + std::to_string(c.seenAtPoll));
        Rig rig;
        rig.replyAt(c.command->replyAwaited, c.seenAtPoll);
        EXPECT_EQ(rig.x.run(*c.command, buildFrame(1, *c.command, 0, Bytes(c.command->isWrite() ? c.command->count : 0))),
                  c.expected);
        EXPECT_EQ(rig.x.lastPoll(), c.endPoll);
        // A pause and a pump between every two polls, none after the last.
        EXPECT_EQ(int(rig.port.pauses.size()), std::min(c.endPoll, c.command->pollLimit));
        EXPECT_EQ(rig.pumps, int(rig.port.pauses.size()));
        for (int ms : rig.port.pauses)
            EXPECT_EQ(ms, c.command->pollPauseMs);
        // A timed-out reply is not read: it waits for the next purge.
        if (c.expected == WaitResult::TimedOut && c.seenAtPoll >= 0 && c.seenAtPoll < c.command->pollLimit) {
            EXPECT_EQ(rig.port.unread(), std::size_t(c.command->replyAwaited));
        }
    }
}

TEST(Exchange, ReadsTheReplyIntoTheReplyArea)
{
    Rig rig;
    rig.replyAt(18, 3);
    ASSERT_EQ(rig.x.run(commands::ReadCards, buildFrame(1, commands::ReadCards, 0)), WaitResult::Accepted);
    const Bytes expected = replyOf(18);
    EXPECT_TRUE(std::equal(expected.begin(), expected.end(), rig.x.replyArea().begin()));
    const auto data = rig.x.replyData(8);
    EXPECT_EQ(Bytes(data.begin(), data.end()), Bytes(expected.begin() + 8, expected.begin() + 16));
}

// The guardian read waits for 13 bytes and reads 11: the checksum bytes stay queued.
TEST(Exchange, GuardianReadLeavesTwoBytesForThePurge)
{
    Rig rig;
    rig.replyAt(13, 0);
    ASSERT_EQ(rig.x.run(commands::ReadGuardians, buildFrame(1, commands::ReadGuardians, 0)), WaitResult::Accepted);
    EXPECT_EQ(rig.port.unread(), 2u);
    rig.x.purge();
    EXPECT_EQ(rig.port.unread(), 0u);
}

// The open-locker exchange is accepted as soon as 8 bytes wait, though 10 come.
TEST(Exchange, OpenLockerAcceptsEightOfTen)
{
    Rig rig;
    rig.replyAt(10, 0);
    EXPECT_EQ(rig.x.run(commands::OpenLocker, buildFrame(1, commands::OpenLocker, 0, Bytes{100})), WaitResult::Accepted);
    EXPECT_EQ(rig.port.unread(), 2u);
}

// The arming frame goes on after the wait whether or not its reply came, and reads nothing.
TEST(Exchange, ArmingReadsNothing)
{
    for (int seenAt : {0, 50, -1}) {
        SCOPED_TRACE(seenAt);
        Rig rig;
        rig.replyAt(10, seenAt);
        const WaitResult r = rig.x.run(commands::Arming, buildFrame(1, commands::Arming, 0, Bytes{0}));
        EXPECT_NE(r, WaitResult::Cancelled);
        EXPECT_EQ(rig.x.lastPoll(), seenAt < 0 ? 100 : seenAt);
        EXPECT_EQ(rig.port.unread(), seenAt < 0 ? 0u : 10u);
    }
}

TEST(Exchange, BlockPauseComesBeforeThePurgeOnlyWhereTheTableSaysSo)
{
    for (const Command *c : commands::kAll) {
        if (c->replyAwaited == 0)
            continue;
        SCOPED_TRACE(c->name);
        Rig rig;
        rig.replyAt(c->replyAwaited, 0);
        rig.x.run(*c, buildFrame(1, *c, 0, Bytes(c->isWrite() ? c->count : 0)));
        EXPECT_EQ(rig.clock.sleeps, c->blockPause ? std::vector<int>{5} : std::vector<int>{});
        EXPECT_EQ(rig.port.purges, 1);
        EXPECT_EQ(rig.port.written.size(), 1u);
    }
}

TEST(Exchange, CancelFromThePumpEndsTheWaitAtOnce)
{
    Rig rig;
    rig.replyAt(18, -1);
    rig.x.setMessagePump([&] {
        if (++rig.pumps == 3)
            rig.x.requestCancel();
    });
    Exchange::Busy busy(rig.x);
    EXPECT_EQ(rig.x.run(commands::ReadCards, buildFrame(1, commands::ReadCards, 0)), WaitResult::Cancelled);
    EXPECT_EQ(rig.port.totalQueries, 3);
}

TEST(Exchange, VanishedPortEndsTheWaitAtOnceAsTimeOut)
{
    Rig rig;
    rig.replyAt(18, -1);
    rig.x.setMessagePump([&] {
        if (++rig.pumps == 2)
            rig.port.gone = true;
    });
    Exchange::Busy busy(rig.x);
    EXPECT_EQ(rig.x.run(commands::ReadCards, buildFrame(1, commands::ReadCards, 0)), WaitResult::TimedOut);
    EXPECT_TRUE(rig.x.portLost());
    EXPECT_EQ(rig.x.lastPoll(), 2);
}

TEST(Exchange, BusyGuardResetsCancelAndLoss)
{
    Rig rig;
    rig.x.requestCancel();
    {
        Exchange::Busy busy(rig.x);
        EXPECT_TRUE(rig.x.busy());
        EXPECT_FALSE(rig.x.cancelled());
    }
    EXPECT_FALSE(rig.x.busy());
}

// The reply check: the whole reply awaited and read, taken only when it repeats the
// request's header, ends in its own checksum and nothing past it already waits.
// Off, any bytes of the awaited length are taken, as the window takes them.
TEST(ReplyCheck, TakesOnlyTheReplyToTheFrameSent)
{
    const Command &c = commands::ReadGuardians;   // awaits 13, the window reads 11
    const Bytes frame = buildFrame(1, c, 2);
    Bytes good = Bytes(frame.begin(), frame.begin() + 8);
    good.insert(good.end(), {0x0F, 0xFF, 0xFF});
    const std::uint16_t sum = frameChecksum(good);
    good.push_back(std::uint8_t(sum >> 8));
    good.push_back(std::uint8_t(sum));
    const auto changed = [&](std::size_t at) {
        Bytes b = good;
        b[at] ^= 0x01;
        return b;
    };
    Bytes longer = good;
    longer.push_back(0x00);
    const struct {
        const char *name;
        Bytes reply;
        bool check;
        WaitResult result;
        ReplyProblem problem;
        std::size_t unread;
    } cases[] = {
        {"good", good, true, WaitResult::Accepted, ReplyProblem::None, 0},
        {"other device", changed(0), true, WaitResult::BadReply, ReplyProblem::Header, 0},
        {"other address", changed(7), true, WaitResult::BadReply, ReplyProblem::Header, 0},
        {"data changed", changed(9), true, WaitResult::BadReply, ReplyProblem::Checksum, 0},
        {"checksum changed", changed(12), true, WaitResult::BadReply, ReplyProblem::Checksum, 0},
        {"a byte more waiting", longer, true, WaitResult::BadReply, ReplyProblem::ExtraBytes, 1},
        {"unchecked: other device", changed(0), false, WaitResult::Accepted, ReplyProblem::None, 2},
        {"unchecked: a byte more", longer, false, WaitResult::Accepted, ReplyProblem::None, 3},
    };
    for (const auto &k : cases) {
        SCOPED_TRACE(k.name);
        Rig rig;
        rig.x.setReplyCheck(k.check);
        rig.port.respond = [&](const Bytes &, int) { return ScriptedPort::Reply{k.reply, 3}; };
        Exchange::Busy busy(rig.x);
        EXPECT_EQ(rig.x.run(c, frame), k.result);
        EXPECT_EQ(rig.x.refused().problem, k.problem);
        EXPECT_EQ(rig.port.unread(), k.unread);
        if (k.problem != ReplyProblem::None) {
            EXPECT_EQ(rig.x.refused().frame, 2);
            EXPECT_EQ(rig.x.refused().address, c.addressOf(2));
        }
    }
}
