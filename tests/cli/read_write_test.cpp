// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>

#include <QFile>

#include "cli/exit_codes.h"
#include "cli_rig.h"
#include "link/commands.h"
#include "link/frame.h"
#include "link/memory_map.h"
#include "ops/texts.h"
#include "support/printers.h"

using namespace vorna;
using namespace vorna::cli;
using test::Bytes;
using sim::Fault;
namespace mem = link::memory;

namespace {

// A controller memory with something different in every area.
void fillController(sim::PtySimulator &sim)
{
    sim.setBlock(8 * 0, Bytes{0x01, 0x23, 0x45, 0x67, 0x89, 0x00, 0x00, 0x05});    // Serwis1
    sim.setBlock(8 * 3, Bytes{0xDE, 0xAD, 0xBE, 0xEF, 0x00, 0x00, 0x00, 0x04});    // Klucz2, 4 bytes
    sim.setBlock(8 * 5, Bytes{0x11, 0x22, 0x33, 0x00, 0x00, 0x00, 0x00, 0x03});    // Opiekun1, 3 bytes
    sim.setBlock(8 * 18, Bytes{0x0A, 0x0B, 0x0C, 0x0D, 0x0E, 0x00, 0x00, 0x05});   // wristband of locker 7
    sim.setBlock(8 * 31, Bytes{0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00});   // locker 20: empty number
    sim.setBlock(mem::kBlockLockerNumbers, Bytes{1, 2, 3, 0, 0, 7});
    sim.setBlock(mem::kBlockLockerNumbers + 3 * 19, Bytes{9, 9, 9});
    sim.setBlock(mem::kBlockOpeningTimes, Bytes{5, 60, 255});
    sim.setBlock(mem::kBlockGuardians, Bytes{0x00, 0x00, 0x01});           // guardian 1: locker 1
    sim.setBlock(mem::kBlockGuardians + 3 * 2, Bytes{0x00, 0x01, 0x10});   // guardian 3: lockers 5 and 9
    sim.setBlock(mem::kBlockGuardians + 3 * 6, Bytes{0xFF, 0xFF, 0xFF});   // guardian 7: all
    for (int g : {1, 3, 4, 5})
        sim.setBlock(mem::kBlockGuardians + 3 * std::uint32_t(g), Bytes{0, 0, 0});
}

QByteArray fileBytes(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

} // namespace

TEST(CliRead, FileHoldsWhatTheControllerHolds)
{
    test::CliSim rig;
    fillController(rig.sim);
    const QString path = rig.file("read.vrp");
    const test::CliResult r = rig.run({"read", path});
    ASSERT_EQ(r.code, kExitOk) << r.err.toStdString();
    EXPECT_TRUE(r.out.isEmpty());
    EXPECT_TRUE(r.err.isEmpty());   // not a terminal: no progress, no status lines

    const auto v = project::loadProject(path);
    ASSERT_TRUE(v);
    project::Settings expected = project::defaultSettings();
    expected.cards[0] = "0123456789";
    expected.cards[3] = "DEADBEEF";
    expected.cards[5] = "112233";
    expected.cards[18] = "0A0B0C0D0E";
    expected.cards[31] = "";
    expected.lockerNumbers[0] = "123";
    expected.lockerNumbers[1] = "007";
    expected.lockerNumbers[19] = "999";
    expected.openingTimes[0] = "5";
    expected.openingTimes[1] = "60";
    expected.openingTimes[2] = "255";
    expected.guardians[0][0] = true;
    expected.guardians[2][4] = expected.guardians[2][8] = true;
    expected.guardians[6].fill(true);
    EXPECT_EQ(v->cards, expected.cards);
    EXPECT_EQ(v->lockerNumbers, expected.lockerNumbers);
    EXPECT_EQ(v->openingTimes, expected.openingTimes);
    EXPECT_EQ(v->guardians, expected.guardians);

    // The window's key names: Edit54 (beside "Opiekun:") is stored as "Uzytkownik".
    const QByteArray bytes = fileBytes(path);
    EXPECT_TRUE(bytes.contains("[CZASY]\r\nUzytkownik=5\r\nSerwis=60\r\nOpiekun=255\r\n"));
    EXPECT_TRUE(bytes.contains("[KARTY_SZAFEK]\r\nSzafka1=FFFFFFFFFF\r\n"));
    EXPECT_TRUE(bytes.contains("Opiekun3_05=1\r\n"));
    EXPECT_EQ(bytes.count('='), 195);

    // Cards, LED numbers, opening times, guardians: 32 + 20 + 1 + 7 read frames.
    const auto sent = rig.sent();
    ASSERT_EQ(sent.size(), 60u);
    EXPECT_EQ(sent[0], link::buildFrame(1, link::commands::ReadCards, 0));
    EXPECT_EQ(sent[32], link::buildFrame(1, link::commands::ReadLockerNums, 0));
    EXPECT_EQ(sent[52], link::buildFrame(1, link::commands::ReadTimes, 0));
    EXPECT_EQ(sent[59], link::buildFrame(1, link::commands::ReadGuardians, 6));
}

TEST(CliRead, EmptyCardsShowByTheCardType)
{
    const struct {
        const char *type;
        const char *empty;
    } cases[] = {{"unique", "FFFFFFFFFF"}, {"mifare4b", "FFFFFFFF"}, {"mifare7b", "FFFFFFFFFFFFFF"}};
    for (const auto &c : cases) {
        SCOPED_TRACE(c.type);
        test::CliSim rig;
        rig.sim.setBlock(8 * 2, Bytes{0x12, 0x34, 0x56, 0x78, 0x00, 0x00, 0x00, 0x04});
        const QString path = rig.file("typed.vrp");
        ASSERT_EQ(rig.run({"--card-type", c.type, "read", path}).code, kExitOk);
        const auto v = project::loadProject(path);
        ASSERT_TRUE(v);
        EXPECT_EQ(v->cards[0], QString::fromLatin1(c.empty));
        EXPECT_EQ(v->cards[2], QStringLiteral("12345678"));   // a record shows with its own length
    }
}

TEST(CliRead, UsesTheDeviceAddressAndPortNameRules)
{
    test::CliSim rig({.address = 7});
    const QString path = rig.file("at7.vrp");
    // Blanks and control characters around the port name are dropped, as in the window.
    const test::CliResult r = test::runCliCaptured({"--port", " \t" + rig.port() + " ", "--address", "$07", "read", path});
    ASSERT_EQ(r.code, kExitOk) << r.err.toStdString();
    for (const auto &f : rig.sent())
        EXPECT_EQ(f[0], 7);
}

TEST(CliRead, TimeOutWritesNoFile)
{
    test::CliSim rig;
    rig.sim.addFault({Fault::NoReply, 40, -1, 0});   // silent from the ninth LED number on
    const QString path = rig.file("never.vrp");
    const test::CliResult r = rig.run({"read", path});
    EXPECT_EQ(r.code, kExitNoAnswer);
    EXPECT_EQ(r.err, QStringLiteral("vorna-cli: sterownik pod adresem 1 nie odpowiada: ") + ops::texts::kTransferTimeout +
                         u'\n');
    EXPECT_FALSE(QFile::exists(path));
    EXPECT_EQ(rig.sent().size(), 41u);   // nothing asked after the frame that timed out
}

TEST(CliRead, FileThatCannotBeWrittenIsReported)
{
    test::CliSim rig;
    const QString path = rig.file("no/such/folder/x.vrp");
    const test::CliResult r = rig.run({"read", path});
    EXPECT_EQ(r.code, kExitBadProject);
    EXPECT_TRUE(r.err.startsWith(QStringLiteral("vorna-cli: nie można zapisać pliku projektu '%1': ").arg(path)))
        << r.err.toStdString();
}

TEST(CliWrite, ControllerHoldsWhatTheFileHolds)
{
    test::CliSim rig;
    project::Settings v = project::defaultSettings();
    v.cards[0] = "0123456789";
    v.cards[18] = "0A0B0C0D0EFFFF";   // only the first ten digits go out with Unique
    v.lockerNumbers[0] = "042";
    v.lockerNumbers[5] = "1000";      // digits 1, 0, 0
    v.openingTimes[0] = "5";
    v.openingTimes[1] = "0x3C";
    v.openingTimes[2] = "255";
    v.guardians[0][0] = true;
    v.guardians[1][8] = true;         // guardian 2, locker 9
    v.guardians[6][19] = true;        // guardian 7, locker 20
    const test::CliResult r = rig.run({"write", rig.saveValues("in.vrp", v)});
    ASSERT_EQ(r.code, kExitOk) << r.err.toStdString();
    EXPECT_TRUE(r.out.isEmpty());
    EXPECT_TRUE(r.err.isEmpty());

    EXPECT_EQ(rig.block(0, 8), (Bytes{0x01, 0x23, 0x45, 0x67, 0x89, 0x00, 0x00, 0x05}));
    EXPECT_EQ(rig.block(8, 8), Bytes(8, 0xFF));   // the empty-card text goes back erased
    EXPECT_EQ(rig.block(8 * 18, 8), (Bytes{0x0A, 0x0B, 0x0C, 0x0D, 0x0E, 0x00, 0x00, 0x05}));
    EXPECT_EQ(rig.block(mem::kBlockLockerNumbers, 6), (Bytes{0, 4, 2, 0, 0, 0}));
    EXPECT_EQ(rig.block(mem::kBlockLockerNumbers + 3 * 5, 3), (Bytes{1, 0, 0}));
    EXPECT_EQ(rig.block(mem::kBlockOpeningTimes, 3), (Bytes{5, 60, 255}));
    EXPECT_EQ(rig.block(mem::kBlockGuardians, 21), (Bytes{0x00, 0x00, 0x01, 0x00, 0x01, 0x00, 0, 0, 0, 0, 0, 0,
                                                          0, 0, 0, 0, 0, 0, 0x08, 0x00, 0x00}));

    // In the window's order: cards, LED numbers, opening times, guardians.
    const auto sent = rig.sent();
    ASSERT_EQ(sent.size(), 60u);
    for (std::size_t i = 0; i < sent.size(); ++i) {
        const link::Command &c = i < 32   ? link::commands::WriteCards
                                 : i < 52 ? link::commands::WriteLockerNums
                                 : i < 53 ? link::commands::WriteTimes
                                          : link::commands::WriteGuardians;
        EXPECT_EQ(sent[i][1], std::uint8_t(c.code)) << i;
        EXPECT_EQ(sent[i].size(), std::size_t(c.frameLength())) << i;
    }
    EXPECT_EQ(sent[52], (Bytes{0x01, 0x06, 0x00, 0x03, 0x00, 0x00, 0x01, 0xFD, 5, 60, 255, 0x02, 0x49}));
}

TEST(CliWrite, CardTypeDecidesTheRecords)
{
    test::CliSim rig;
    project::Settings v = project::defaultSettings();
    v.cards.fill("FFFFFFFFFFFFFF");
    v.cards[1] = "00112233445566";
    ASSERT_EQ(rig.run({"--card-type", "mifare7b", "write", rig.saveValues("7b.vrp", v)}).code, kExitOk);
    EXPECT_EQ(rig.block(8, 8), (Bytes{0x00, 0x11, 0x22, 0x33, 0x44, 0x55, 0x66, 0x07}));
    EXPECT_EQ(rig.block(0, 8), Bytes(8, 0xFF));
}

TEST(CliWrite, TimeOutStopsTheWrite)
{
    test::CliSim rig;
    rig.sim.addFault({Fault::NoReply, 33, -1, 1});   // deaf from the second LED number on
    project::Settings v = project::defaultSettings();
    v.lockerNumbers[0] = v.lockerNumbers[1] = "555";
    const test::CliResult r = rig.run({"write", rig.saveValues("in.vrp", v)});
    EXPECT_EQ(r.code, kExitNoAnswer);
    EXPECT_EQ(r.err, QStringLiteral("vorna-cli: sterownik pod adresem 1 nie odpowiada: ") + ops::texts::kTransferTimeout +
                         u'\n');
    EXPECT_EQ(rig.block(mem::kBlockLockerNumbers, 6), (Bytes{5, 5, 5, 0xFF, 0xFF, 0xFF}));
    EXPECT_EQ(rig.block(mem::kBlockOpeningTimes, 3), (Bytes{100, 100, 100}));
    EXPECT_EQ(rig.sent().size(), 34u);
}
