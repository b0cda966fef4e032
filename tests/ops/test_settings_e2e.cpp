// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>

#include "link/frame.h"
#include "link/memory_map.h"
#include "ops/device_address.h"
#include "ops/fields.h"
#include "ops/guardians.h"
#include "ops/locker_numbers.h"
#include "ops/opening_times.h"
#include "ops/texts.h"
#include "support/printers.h"
#include "support/sim_rig.h"

using namespace vorna;
using namespace vorna::ops;
using sim::Fault;
using Bytes = std::vector<std::uint8_t>;
namespace mem = link::memory;

namespace {
LockerTexts lockerTexts(const char *text)
{
    LockerTexts t;
    t.fill(QString::fromLatin1(text));
    return t;
}
OpeningTimes times(const char *a, const char *b, const char *c)
{
    return {QString::fromLatin1(a), QString::fromLatin1(b), QString::fromLatin1(c)};
}
Bytes blockRange(const test::SimRig &rig, std::uint32_t at, int n)
{
    const auto b = rig.sim.block();
    return Bytes(b.begin() + at, b.begin() + at + std::uint32_t(n));
}
} // namespace

TEST(LockerNumbersTransfer, ReadGivesThreeDigitTexts)
{
    test::SimRig rig;
    rig.sim.setBlock(mem::kBlockLockerNumbers, Bytes{1, 2, 3, 0, 0, 7, 0, 4, 2});
    rig.sim.setBlock(mem::kBlockLockerNumbers + 3 * 19, Bytes{9, 10, 0xFF});
    const LockerNumbersRead read = readLockerNumbers(rig.env());
    ASSERT_EQ(read.outcome, Outcome::Done);
    EXPECT_EQ(read.texts[0], QStringLiteral("123"));
    EXPECT_EQ(read.texts[1], QStringLiteral("007"));
    EXPECT_EQ(read.texts[2], QStringLiteral("042"));
    EXPECT_EQ(read.texts[10], QStringLiteral("000"));   // 0xFF bytes read as 0
    EXPECT_EQ(read.texts[19], QStringLiteral("900"));
    EXPECT_EQ(rig.statuses, QStringList({texts::kReadingLockerNumbers, texts::kLockerNumbersRead}));
    EXPECT_EQ(rig.lastProgress(), 20);
    const auto sent = rig.sent();
    ASSERT_EQ(sent.size(), 20u);
    for (int p = 0; p < 20; ++p)
        EXPECT_EQ(sent[std::size_t(p)], link::buildFrame(1, link::commands::ReadLockerNums, p));
}

TEST(LockerNumbersTransfer, WriteSendsDigitValues)
{
    test::SimRig rig;
    LockerTexts texts = autoNumberLockers(u"995");
    ASSERT_EQ(writeLockerNumbers(rig.env(), texts).outcome, Outcome::Done);
    EXPECT_EQ(blockRange(rig, mem::kBlockLockerNumbers, 6), (Bytes{9, 9, 5, 9, 9, 6}));
    EXPECT_EQ(blockRange(rig, mem::kBlockLockerNumbers + 3 * 5, 3), (Bytes{1, 0, 0}));   // "1000"
    EXPECT_EQ(rig.statuses, QStringList({texts::kWritingLockerNumbers, texts::kLockerNumbersWritten}));
    EXPECT_EQ(rig.lastProgress(), 20);
    for (const auto &f : rig.sent())
        EXPECT_EQ(f.size(), 13u);
}

TEST(LockerNumbersTransfer, BadFieldIsRefusedEvenWithoutPort)
{
    for (const char *bad : {"12", "1a3", " 12", ""}) {
        SCOPED_TRACE(bad);
        test::SimRig rig;
        LockerTexts texts = lockerTexts("000");
        texts[13] = QString::fromLatin1(bad);
        rig.port.close();
        const LockerNumbersWrite w = writeLockerNumbers(rig.env(), texts);
        EXPECT_EQ(w.outcome, Outcome::InvalidInput);
        EXPECT_EQ(w.firstBadLocker, 13);
        EXPECT_EQ(rig.statuses, QStringList({texts::kBadLockerNumber}));
        EXPECT_TRUE(rig.sent().empty());
    }
}

TEST(LockerNumbersTransfer, TimeOutAtLockerFive)
{
    {
        test::SimRig rig;
        rig.sim.addFault({Fault::NoReply, 4, 1, 0});
        EXPECT_EQ(readLockerNumbers(rig.env()).outcome, Outcome::TimedOut);
        EXPECT_EQ(rig.lastStatus(), texts::kTransferTimeout);
        EXPECT_EQ(rig.lastProgress(), 4);
        EXPECT_EQ(rig.sent().size(), 5u);
    }
    test::SimRig rig;
    rig.sim.addFault({Fault::NoReply, 4, -1, 1});
    EXPECT_EQ(writeLockerNumbers(rig.env(), lockerTexts("555")).outcome, Outcome::TimedOut);
    EXPECT_EQ(rig.lastStatus(), texts::kTransferTimeout);
    EXPECT_EQ(blockRange(rig, mem::kBlockLockerNumbers + 9, 3), (Bytes{5, 5, 5}));          // locker 4
    EXPECT_EQ(blockRange(rig, mem::kBlockLockerNumbers + 12, 3), (Bytes{0xFF, 0xFF, 0xFF}));  // locker 5
}

TEST(GuardianTransfer, ReadTicksTheGridHighByteFirst)
{
    test::SimRig rig;
    rig.sim.setBlock(mem::kBlockGuardians, Bytes{0x00, 0x00, 0x01});            // guardian 1: locker 1
    rig.sim.setBlock(mem::kBlockGuardians + 3, Bytes{0x00, 0x01, 0x00});        // guardian 2: locker 9
    rig.sim.setBlock(mem::kBlockGuardians + 3 * 2, Bytes{0x00, 0x00, 0x00});
    rig.sim.setBlock(mem::kBlockGuardians + 3 * 3, Bytes{0x00, 0x00, 0x00});
    rig.sim.setBlock(mem::kBlockGuardians + 3 * 4, Bytes{0xFF, 0xFF, 0xFF});    // guardian 5: all twenty
    rig.sim.setBlock(mem::kBlockGuardians + 3 * 5, Bytes{0x00, 0x00, 0x00});
    rig.sim.setBlock(mem::kBlockGuardians + 3 * 6, Bytes{0x08, 0x00, 0x00});    // guardian 7: locker 20
    const GuardiansRead read = readGuardians(rig.env());
    ASSERT_EQ(read.outcome, Outcome::Done);
    // Guardian and locker, from 1, of every tick.
    std::vector<std::pair<int, int>> ticked;
    for (int g = 0; g < mem::kGuardians; ++g)
        for (int k = 0; k < mem::kLockers; ++k)
            if (read.grid[std::size_t(g)][std::size_t(k)])
                ticked.emplace_back(g + 1, k + 1);
    std::vector<std::pair<int, int>> expected = {{1, 1}, {2, 9}};
    for (int k = 1; k <= 20; ++k)
        expected.emplace_back(5, k);
    expected.emplace_back(7, 20);
    EXPECT_EQ(ticked, expected);
    EXPECT_EQ(rig.statuses, QStringList({texts::kReadingGuardians, texts::kGuardiansRead}));
    EXPECT_EQ(rig.lastProgress(), 7);
}

TEST(GuardianTransfer, WriteSendsMaskTriples)
{
    test::SimRig rig;
    GuardianGrid grid{};
    grid[0][4] = true;
    grid[6].fill(true);
    ASSERT_EQ(writeGuardians(rig.env(), grid), Outcome::Done);
    EXPECT_EQ(blockRange(rig, mem::kBlockGuardians, 21),
              (Bytes{0, 0, 0x10, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0x0F, 0xFF, 0xFF}));
    EXPECT_EQ(rig.statuses, QStringList({texts::kWritingGuardians, texts::kGuardiansWritten}));
    EXPECT_EQ(rig.lastProgress(), 7);
}

TEST(GuardianTransfer, TimeOutAtGuardianThree)
{
    {
        test::SimRig rig;
        rig.sim.addFault({Fault::NoReply, 2, 1, 0});
        EXPECT_EQ(readGuardians(rig.env()).outcome, Outcome::TimedOut);
        EXPECT_EQ(rig.lastStatus(), texts::kTransferTimeout);
        EXPECT_EQ(rig.lastProgress(), 2);
    }
    test::SimRig rig;
    rig.sim.addFault({Fault::NoReply, 2, -1, 1});
    GuardianGrid all{};
    for (auto &guardian : all)
        guardian.fill(true);
    EXPECT_EQ(writeGuardians(rig.env(), all), Outcome::TimedOut);
    EXPECT_EQ(rig.lastStatus(), texts::kTransferTimeout);
    EXPECT_EQ(blockRange(rig, mem::kBlockGuardians + 3, 3), (Bytes{0x0F, 0xFF, 0xFF}));
    EXPECT_EQ(blockRange(rig, mem::kBlockGuardians + 6, 3), (Bytes{0xFF, 0xFF, 0xFF}));   // untouched
    EXPECT_EQ(rig.sent().size(), 3u);
}

TEST(OpeningTimes, WriteThenReadInBlockOrder)
{
    test::SimRig rig;
    ASSERT_EQ(writeOpeningTimes(rig.env(), times("50", "60", "$46")), Outcome::Done);
    EXPECT_EQ(rig.sent().front(),
              link::buildFrame(1, link::commands::WriteTimes, 0, Bytes{50, 60, 70}));
    EXPECT_EQ(blockRange(rig, mem::kBlockOpeningTimes, 3), (Bytes{50, 60, 70}));
    EXPECT_EQ(rig.statuses, QStringList({texts::kWritingTimes, texts::kTimesWritten}));

    rig.sim.setBlock(mem::kBlockOpeningTimes, Bytes{5, 0, 255});
    const OpeningTimesRead read = readOpeningTimes(rig.env());
    ASSERT_EQ(read.outcome, Outcome::Done);
    EXPECT_EQ(read.texts, times("5", "0", "255"));
    EXPECT_EQ(rig.lastStatus(), texts::kTimesRead);
}

TEST(OpeningTimes, StartValuesGoAsTheKnownFrame)
{
    test::SimRig rig;
    ASSERT_EQ(writeOpeningTimes(rig.env(), times("100", "100", "100")), Outcome::Done);
    EXPECT_EQ(rig.sent().front(), (Bytes{0x01, 0x06, 0x00, 0x03, 0x00, 0x00, 0x01, 0xFD, 0x64, 0x64, 0x64, 0x02, 0x35}));
}

TEST(OpeningTimes, InvalidTimeIsRefusedBeforeThePortTest)
{
    for (const char *bad : {"abc", "", "300", "-1"}) {
        SCOPED_TRACE(bad);
        test::SimRig rig;
        rig.port.close();
        EXPECT_EQ(writeOpeningTimes(rig.env(), times("100", bad, "100")), Outcome::InvalidInput);
        EXPECT_EQ(rig.statuses, QStringList({texts::kBadOpeningTime}));
        EXPECT_TRUE(rig.sent().empty());
    }
}

TEST(OpeningTimes, TimeOuts)
{
    test::SimRig rig;
    rig.sim.addFault({Fault::NoReply, 0, 2, 0});
    EXPECT_EQ(readOpeningTimes(rig.env()).outcome, Outcome::TimedOut);
    EXPECT_EQ(rig.lastStatus(), texts::kReadTimeout);
    EXPECT_EQ(writeOpeningTimes(rig.env(), times("1", "2", "3")), Outcome::TimedOut);
    EXPECT_EQ(rig.lastStatus(), texts::kWriteTimeout);
}

TEST(DeviceAddress, NewAddressGoesToBusAddressZeroAndIsUsedAfterwards)
{
    test::SimRig rig;
    rig.addressText = QStringLiteral("9");   // whatever it held before, the frame goes to 0
    ASSERT_EQ(writeDeviceAddress(rig.env(), 5), Outcome::Done);
    // Nothing is waited for on our side: the frame is in once the line has settled.
    ASSERT_TRUE(rig.sim.settle());
    ASSERT_EQ(rig.sim.frames().size(), 1u);
    EXPECT_EQ(rig.sent().front(), (Bytes{0x00, 0x06, 0x00, 0x01, 0x00, 0x00, 0x01, 0xFC, 0x05, 0x01, 0x0A}));
    EXPECT_EQ(rig.lastStatus(), texts::kAddressSent);
    EXPECT_EQ(rig.sim.address(), 5);

    // The old address no longer answers; the new one does.
    rig.addressText = QStringLiteral("1");
    EXPECT_EQ(readOpeningTimes(rig.env()).outcome, Outcome::TimedOut);
    rig.addressText = QStringLiteral("5");
    EXPECT_EQ(readOpeningTimes(rig.env()).outcome, Outcome::Done);
}

TEST(DeviceAddress, InvalidAddressIsRefusedAndNoPortDoesNothing)
{
    for (const char *bad : {"abc", "", "300", "-1"}) {
        SCOPED_TRACE(bad);
        test::SimRig rig;
        EXPECT_EQ(writeDeviceAddress(rig.env(), byteField(QString::fromLatin1(bad))), Outcome::InvalidInput);
        EXPECT_EQ(rig.statuses, QStringList({texts::kBadAddress}));
        rig.port.close();
        EXPECT_EQ(writeDeviceAddress(rig.env(), 5), Outcome::NoPort);
        EXPECT_EQ(rig.statuses.size(), 1);
        EXPECT_TRUE(rig.sent().empty());
    }
}
