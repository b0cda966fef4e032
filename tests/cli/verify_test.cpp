// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>

#include <QTimer>

#include "cli/exit_codes.h"
#include "cli_rig.h"
#include "link/memory_map.h"
#include "support/printers.h"

using namespace vorna;
using namespace vorna::cli;
using test::Bytes;
namespace mem = link::memory;

namespace {

project::Settings sampleProject()
{
    project::Settings v = project::defaultSettings();
    v.cards[18] = "0123456789";   // KARTY_SZAFEK/Szafka7
    v.lockerNumbers[2] = "123";   // NUMERY_SZAFEK/Szafka3
    v.openingTimes[1] = "42";     // CZASY/Serwis
    v.guardians[2][4] = true;     // OPIEKUN/Opiekun3_05
    return v;
}

bool onlyReads(const std::vector<Bytes> &frames)
{
    for (const Bytes &f : frames)
        if (f[1] != 0x05)
            return false;
    return true;
}

} // namespace

// A write the controller lost without a word is what verify is for: the simulator's
// memory is changed between the write and the verify, as if the write never landed.
TEST(CliVerify, FindsALostWriteByItsKey)
{
    test::CliSim rig;
    const QString path = rig.saveValues("p.vrp", sampleProject());
    ASSERT_EQ(rig.run({"write", path}).code, kExitOk);
    rig.sim.setBlock(8 * 18, Bytes(8, 0xFF));
    rig.sim.clearLog();

    const test::CliResult r = rig.run({"verify", path});
    EXPECT_EQ(r.code, kExitMismatch);
    EXPECT_TRUE(r.out.isEmpty());
    EXPECT_EQ(r.err, QStringLiteral("KARTY_SZAFEK/Szafka7: oczekiwano 0123456789, sterownik ma FFFFFFFFFF\n"
                                    "vorna-cli: sterownik nie zgadza się z plikiem '%1' (różnych pól: 1)\n")
                         .arg(path));
    const auto sent = rig.sent();
    EXPECT_EQ(sent.size(), 60u);
    EXPECT_TRUE(onlyReads(sent));   // verify never writes
}

TEST(CliVerify, ListsEveryKindOfField)
{
    test::CliSim rig;
    const QString path = rig.saveValues("p.vrp", sampleProject());
    ASSERT_EQ(rig.run({"write", path}).code, kExitOk);
    rig.sim.setBlock(mem::kBlockLockerNumbers + 3 * 2, Bytes{1, 2, 4});
    rig.sim.setBlock(mem::kBlockOpeningTimes + 1, Bytes{41});
    rig.sim.setBlock(mem::kBlockGuardians + 3 * 2, Bytes{0, 0, 0});
    rig.sim.setBlock(0, Bytes{0x01, 0x02, 0x03, 0x04, 0x00, 0x00, 0x00, 0x04});

    const test::CliResult r = rig.run({"verify", path});
    EXPECT_EQ(r.code, kExitMismatch);
    EXPECT_EQ(r.err.split(u'\n', Qt::SkipEmptyParts),
              QStringList({"KARTY_SERWIS/Serwis1: oczekiwano FFFFFFFFFF, sterownik ma 01020304",
                           "NUMERY_SZAFEK/Szafka3: oczekiwano 123, sterownik ma 124",
                           "CZASY/Serwis: oczekiwano 42, sterownik ma 41",
                           "OPIEKUN/Opiekun3_05: oczekiwano 1, sterownik ma 0",
                           QStringLiteral("vorna-cli: sterownik nie zgadza się z plikiem '%1' (różnych pól: 4)")
                               .arg(path)}));
}

TEST(CliVerify, MatchingControllerPasses)
{
    test::CliSim rig;
    project::Settings v = sampleProject();
    v.lockerNumbers[6] = "0071";   // only three digits go out
    v.openingTimes[0] = "$10";
    const QString path = rig.saveValues("p.vrp", v);
    ASSERT_EQ(rig.run({"write", path}).code, kExitOk);
    const test::CliResult r = rig.run({"verify", path});
    EXPECT_EQ(r.code, kExitOk) << r.err.toStdString();
    EXPECT_TRUE(r.err.isEmpty());
}

TEST(CliWriteVerify, WritesThenReadsEverythingBack)
{
    test::CliSim rig;
    const test::CliResult r = rig.run({"write", rig.saveValues("p.vrp", sampleProject()), "--verify"});
    EXPECT_EQ(r.code, kExitOk) << r.err.toStdString();
    const auto sent = rig.sent();
    ASSERT_EQ(sent.size(), 120u);
    EXPECT_FALSE(onlyReads(std::vector<Bytes>(sent.begin(), sent.begin() + 60)));
    EXPECT_TRUE(onlyReads(std::vector<Bytes>(sent.begin() + 60, sent.end())));
}

// The same lost write inside one run: once the simulator has taken the last write
// frame, the event pump of the waiting exchange lets the test wipe a guardian's mask
// before the verify gets to read it (the guardians are read last).
TEST(CliWriteVerify, CatchesAWriteLostDuringTheRun)
{
    test::CliSim rig;
    QTimer watcher;
    bool wiped = false;
    QObject::connect(&watcher, &QTimer::timeout, [&] {
        if (!wiped && rig.sim.frames().size() >= 60) {
            rig.sim.setBlock(mem::kBlockGuardians + 3 * 2, Bytes{0, 0, 0});
            wiped = true;
        }
    });
    watcher.start(0);
    const test::CliResult r = rig.run({"write", rig.saveValues("p.vrp", sampleProject()), "--verify"});
    watcher.stop();
    ASSERT_TRUE(wiped);
    EXPECT_EQ(r.code, kExitMismatch);
    EXPECT_TRUE(r.err.startsWith(QStringLiteral("OPIEKUN/Opiekun3_05: oczekiwano 1, sterownik ma 0\n")))
        << r.err.toStdString();
    EXPECT_EQ(rig.sent().size(), 120u);
}
