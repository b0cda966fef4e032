// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>

#include "link/frame.h"
#include "ops/card_list.h"
#include "ops/texts.h"
#include "support/printers.h"
#include "support/sim_rig.h"

using namespace vorna;
using namespace vorna::ops;
using sim::Fault;
using Bytes = std::vector<std::uint8_t>;

namespace {

std::array<QString, link::memory::kCardSlots> startTexts()
{
    std::array<QString, link::memory::kCardSlots> t;
    t.fill(QStringLiteral("FFFFFFFFFF"));
    return t;
}

Bytes slotBytes(const std::vector<std::uint8_t> &block, int slot)
{
    return Bytes(block.begin() + 8 * slot, block.begin() + 8 * slot + 8);
}

const Bytes kStartRecord = {0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0x00, 0x00, 0x05};

} // namespace

TEST(CardListRead, ReadsAllSlotsInOrder)
{
    test::SimRig rig;
    const Bytes record0 = {0x12, 0x34, 0x56, 0x78, 0x9A, 0x00, 0x00, 0x05};
    const Bytes record31 = {1, 2, 3, 4, 5, 6, 7, 7};
    rig.sim.setBlock(0, record0);
    rig.sim.setBlock(8 * 31, record31);

    const CardListRead read = readCardList(rig.env());
    ASSERT_EQ(read.outcome, Outcome::Done);
    EXPECT_EQ(CardRecordToText(read.records[0], Mifare7B), QStringLiteral("123456789A"));
    EXPECT_EQ(CardRecordToText(read.records[31], Unique), QStringLiteral("01020304050607"));
    EXPECT_EQ(CardRecordToText(read.records[7], Unique), QStringLiteral("FFFFFFFFFF"));
    EXPECT_EQ(rig.statuses, QStringList({texts::kReadingCards, texts::kCardsRead}));
    EXPECT_EQ(rig.lastProgress(), 32);

    const auto sent = rig.sent();
    ASSERT_EQ(sent.size(), 32u);
    for (int s = 0; s < 32; ++s)
        EXPECT_EQ(sent[std::size_t(s)], link::buildFrame(1, link::commands::ReadCards, s)) << "slot " << s;
}

// A time-out, a short reply or a cut one at slot 5 ends the read there: no
// results, later slots not asked for, the gauge at 5.
TEST(CardListRead, FailureAtSlotFiveGivesNothing)
{
    const Fault faults[] = {{Fault::NoReply, 5, 1, 0}, {Fault::Truncate, 5, 1, 12}, {Fault::Garbage, 5, 1, 4}};
    for (const Fault &f : faults) {
        SCOPED_TRACE(int(f.kind));
        test::SimRig rig;
        rig.sim.addFault(f);
        const CardListRead read = readCardList(rig.env());
        EXPECT_EQ(read.outcome, Outcome::TimedOut);
        EXPECT_EQ(rig.lastStatus(), texts::kReadTimeout);
        EXPECT_EQ(rig.lastProgress(), 5);
        EXPECT_EQ(rig.sent().size(), 6u);
    }
}

// Reply checksums are not examined: a wrong one is used like a good one.
TEST(CardListRead, WrongReplyChecksumIsUsed)
{
    test::SimRig rig;
    rig.sim.addFault({Fault::BadChecksum, 0, -1, 0});
    const Bytes record = {0xAB, 0xCD, 0xEF, 0x01, 0x00, 0, 0, 4};
    rig.sim.setBlock(8 * 3, record);
    const CardListRead read = readCardList(rig.env());
    ASSERT_EQ(read.outcome, Outcome::Done);
    EXPECT_EQ(CardRecordToText(read.records[3], Unique), QStringLiteral("ABCDEF01"));
}

TEST(CardListWrite, WritesEveryRecordToItsSlot)
{
    test::SimRig rig;
    auto texts = startTexts();
    texts[4] = QStringLiteral("0123456789ABCD");   // longer than Unique: its first 10 digits go
    ASSERT_EQ(writeCardList(rig.env(), texts, Unique).outcome, Outcome::Done);
    const auto block = rig.sim.block();
    for (int s = 0; s < 32; ++s) {
        const Bytes expected = s == 4 ? Bytes{0x01, 0x23, 0x45, 0x67, 0x89, 0, 0, 5} : kStartRecord;
        EXPECT_EQ(slotBytes(block, s), expected) << "slot " << s;
    }
    const auto sent = rig.sent();
    ASSERT_EQ(sent.size(), 32u);
    for (int s = 0; s < 32; ++s) {
        EXPECT_EQ(sent[std::size_t(s)].size(), 18u);
        EXPECT_EQ(sent[std::size_t(s)][7], 8 * s);
    }
    EXPECT_EQ(rig.statuses, QStringList({texts::kWritingCards, texts::kCardsWritten}));
    EXPECT_EQ(rig.lastProgress(), 32);
}

TEST(CardListWrite, TimeOutAtSlotFiveLeavesEarlierSlotsWritten)
{
    test::SimRig rig;
    rig.sim.addFault({Fault::NoReply, 5, -1, 1});   // deaf from slot 5 on
    auto texts = startTexts();
    for (auto &t : texts)
        t = QStringLiteral("1111111111");
    EXPECT_EQ(writeCardList(rig.env(), texts, Unique).outcome, Outcome::TimedOut);
    EXPECT_EQ(rig.lastStatus(), texts::kTransferTimeout);
    EXPECT_EQ(rig.lastProgress(), 5);
    const auto block = rig.sim.block();
    for (int s = 0; s < 5; ++s)
        EXPECT_EQ(slotBytes(block, s)[0], 0x11) << "slot " << s;
    for (int s = 5; s < 32; ++s)
        EXPECT_EQ(slotBytes(block, s)[0], 0xFF) << "slot " << s;
    EXPECT_EQ(rig.sent().size(), 6u);
}

TEST(CardListWrite, BadTextIsRefusedBeforeAnythingIsSent)
{
    test::SimRig rig;
    auto texts = startTexts();
    texts[9] = QStringLiteral("12345abcde");
    const CardListWrite w = writeCardList(rig.env(), texts, Unique);
    EXPECT_EQ(w.outcome, Outcome::InvalidInput);
    EXPECT_EQ(w.firstBadSlot, 9);
    EXPECT_EQ(rig.statuses, QStringList({texts::kBadCardText}));

    // The start texts do not fit "MiFare 7B": refused even with no port open.
    rig.port.close();
    const CardListWrite closed = writeCardList(rig.env(), startTexts(), Mifare7B);
    EXPECT_EQ(closed.outcome, Outcome::InvalidInput);
    EXPECT_EQ(closed.firstBadSlot, 0);
    EXPECT_EQ(rig.lastStatus(), texts::kBadCardText);
    EXPECT_TRUE(rig.sent().empty());
}

TEST(CardList, NoPortSendsNothing)
{
    test::SimRig rig;
    rig.port.close();
    EXPECT_EQ(readCardList(rig.env()).outcome, Outcome::NoPort);
    EXPECT_EQ(writeCardList(rig.env(), startTexts(), Unique).outcome, Outcome::NoPort);
    EXPECT_EQ(rig.statuses, QStringList({texts::kPortNotOpen, texts::kPortNotOpen}));
    EXPECT_TRUE(rig.sent().empty());
}

TEST(CardList, InvalidDeviceAddressSendsNothing)
{
    for (const char *address : {"abc", "", "300", "-1", "1 "}) {
        SCOPED_TRACE(address);
        test::SimRig rig;
        rig.addressText = QString::fromLatin1(address);
        EXPECT_EQ(readCardList(rig.env()).outcome, Outcome::BadAddress);
        EXPECT_EQ(writeCardList(rig.env(), startTexts(), Unique).outcome, Outcome::BadAddress);
        EXPECT_EQ(rig.statuses, QStringList({texts::kBadAddress, texts::kBadAddress}));
        EXPECT_TRUE(rig.sent().empty());
    }
}

// The address is read for every frame: a change during the wait takes effect from
// the next frame, and an invalid one stops the operation there.
TEST(CardList, AddressChangedDuringTheTransfer)
{
    // Held replies make sure the window gets its turn while those frames wait.
    test::SimRig rig;
    rig.sim.addFault({Fault::Hold, 2, 1, 0});
    rig.sim.addFault({Fault::Hold, 5, 1, 0});
    rig.onPump = [&] {
        if (rig.sim.frames().size() == 3 && rig.addressText == QStringLiteral("1"))
            rig.addressText = QStringLiteral("$01");
        else if (rig.sim.frames().size() == 6)
            rig.addressText = QStringLiteral("x");
        else
            return;
        rig.sim.releaseHeld();
    };
    EXPECT_EQ(readCardList(rig.env()).outcome, Outcome::BadAddress);
    EXPECT_EQ(rig.lastStatus(), texts::kBadAddress);
    EXPECT_EQ(rig.sent().size(), 6u);

    test::SimRig other;
    other.sim.addFault({Fault::Hold, 1, 1, 0});
    other.onPump = [&] {
        if (other.sim.frames().size() == 2 && other.addressText != QStringLiteral("7")) {
            other.addressText = QStringLiteral("7");
            other.sim.releaseHeld();
        }
    };
    EXPECT_EQ(readCardList(other.env()).outcome, Outcome::TimedOut);   // nobody answers at 7
    const auto sent = other.sent();
    ASSERT_EQ(sent.size(), 3u);
    EXPECT_EQ(sent[1][0], 1);
    EXPECT_EQ(sent[2][0], 7);
}

TEST(CardList, CancelEndsTheReadWithoutResultsOrTimeOutText)
{
    test::SimRig rig;
    rig.sim.addFault({Fault::NoReply, 2, 1, 0});
    rig.onPump = [&] {
        if (rig.sim.frames().size() == 3)
            rig.x.requestCancel();
    };
    const CardListRead read = readCardList(rig.env());
    EXPECT_EQ(read.outcome, Outcome::Cancelled);
    EXPECT_EQ(rig.statuses, QStringList({texts::kReadingCards}));
    EXPECT_FALSE(rig.x.busy());
}

// An adapter pulled out mid-transfer: the wait ends as a time-out without waiting
// for the poll limit, and the port reports itself gone.
TEST(CardList, VanishingPortEndsTheWaitAsTimeOut)
{
    test::SimRig rig;
    rig.sim.addFault({Fault::Vanish, 4, 1, 0});
    QObject::connect(&rig.port, &link::QtSerialPort::lost, [] {});
    const CardListRead read = readCardList(rig.env());
    EXPECT_EQ(read.outcome, Outcome::TimedOut);
    EXPECT_EQ(rig.lastStatus(), texts::kReadTimeout);
    EXPECT_TRUE(rig.x.portLost());
    EXPECT_LT(rig.x.lastPoll(), link::commands::ReadCards.acceptLimit);
    EXPECT_FALSE(rig.port.isOpen());
    EXPECT_EQ(rig.lastProgress(), 4);
}

// Never two exchanges at once: an operation started while another waits sends nothing.
TEST(CardList, SecondOperationDuringAWaitIsRefused)
{
    test::SimRig rig;
    rig.sim.addFault({Fault::Hold, 1, 1, 0});
    Outcome second = Outcome::Done;
    std::size_t framesAtSecond = 0;
    rig.onPump = [&] {
        if (rig.sim.frames().size() == 2 && framesAtSecond == 0) {
            framesAtSecond = rig.sim.frames().size();
            second = writeCardList(rig.env(), startTexts(), Unique).outcome;
            rig.sim.releaseHeld();
        }
    };
    EXPECT_EQ(readCardList(rig.env()).outcome, Outcome::Done);
    EXPECT_EQ(second, Outcome::Busy);
    EXPECT_EQ(rig.sent().size(), 32u);
    for (const auto &f : rig.sent())
        EXPECT_EQ(f[1], 5);   // reads only
}
