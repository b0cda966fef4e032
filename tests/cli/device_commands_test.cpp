// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>

#include <QRegularExpression>

#include "cli/exit_codes.h"
#include "cli_rig.h"
#include "link/commands.h"
#include "link/frame.h"
#include "ops/texts.h"
#include "support/printers.h"

using namespace vorna;
using namespace vorna::cli;
using test::Bytes;
using sim::Fault;

TEST(CliOpenLocker, OpensThePositionForTheTime)
{
    test::CliSim rig;
    const test::CliResult r = rig.run({"open-locker", "7", "--time", "50"});
    EXPECT_EQ(r.code, kExitOk) << r.err.toStdString();
    EXPECT_TRUE(r.err.isEmpty());
    using Opening = std::pair<int, std::uint8_t>;
    EXPECT_EQ(rig.sim.openings(), std::vector<Opening>{Opening(7, 50)});
    const std::uint8_t time[] = {50};
    EXPECT_EQ(rig.sent(), std::vector<Bytes>{link::buildFrame(1, link::commands::OpenLocker, 6, time)});
}

TEST(CliOpenLocker, DefaultTimeIsTenSeconds)
{
    test::CliSim rig;
    ASSERT_EQ(rig.run({"open-locker", "1"}).code, kExitOk);
    const Bytes expected = {0x01, 0x02, 0x00, 0x01, 0x00, 0x00, 0x00, 0x09, 0x64, 0x00, 0x72};
    EXPECT_EQ(rig.sent(), std::vector<Bytes>{expected});
}

TEST(CliSetAddress, MovesTheControllerByBusAddressZero)
{
    test::CliSim rig;
    // --address names the controller for other commands; this frame always goes to 0.
    const test::CliResult r = rig.run({"--address", "1", "set-address", "5"});
    EXPECT_EQ(r.code, kExitOk) << r.err.toStdString();
    ASSERT_TRUE(rig.sim.settle());
    ASSERT_EQ(rig.sim.frames().size(), 1u);
    const Bytes expected = {0x00, 0x06, 0x00, 0x01, 0x00, 0x00, 0x01, 0xFC, 0x05, 0x01, 0x0A};
    EXPECT_EQ(rig.sent(), std::vector<Bytes>{expected});
    EXPECT_EQ(rig.sim.address(), 5);
    // And it answers there from now on.
    EXPECT_EQ(rig.run({"--address", "5", "open-locker", "2"}).code, kExitOk);
}

TEST(CliScan, FindsTheControllersAddress)
{
    test::CliSim rig({.address = 3});
    const test::CliResult r = rig.run({"scan", "--scan-range", "1-5"});
    EXPECT_EQ(r.code, kExitOk) << r.err.toStdString();
    EXPECT_EQ(r.out, QStringLiteral("3\n"));
    EXPECT_TRUE(r.err.isEmpty());
    const auto sent = rig.sent();
    ASSERT_EQ(sent.size(), 5u);
    for (std::size_t i = 0; i < sent.size(); ++i)
        EXPECT_EQ(sent[i], link::buildFrame(std::uint8_t(i + 1), link::commands::ReadTimes, 0));
}

TEST(CliScan, NobodyAnsweringIsAFailure)
{
    test::CliSim rig({.address = 9});
    const test::CliResult r = rig.run({"scan", "--scan-range", "2-4"});
    EXPECT_EQ(r.code, kExitNoAnswer);
    EXPECT_TRUE(r.out.isEmpty());
    EXPECT_EQ(r.err, QStringLiteral("vorna-cli: żaden sterownik nie odpowiedział na adresach 2-4\n"));
    EXPECT_EQ(rig.sent().size(), 3u);
}

TEST(CliPortFailure, EveryCommandExitsWithThree)
{
    test::CliSim rig;
    const QString good = rig.saveValues("ok.vrp", project::defaultSettings());
    const QStringList commands[] = {{"read", rig.file("r.vrp")}, {"write", good}, {"verify", good},
                                    {"open-locker", "1"}, {"set-address", "2"}, {"scan", "--scan-range", "1-2"}};
    for (const QStringList &command : commands) {
        SCOPED_TRACE(command.join(u' ').toStdString());
        const test::CliResult r = test::runCliCaptured(QStringList{"--port", "/nonexistent/ttyVorna"} + command);
        EXPECT_EQ(r.code, kExitPortFailed);
        EXPECT_EQ(r.err, QStringLiteral("vorna-cli: Nie udało się otworzyć portu! "
                                        "(/nonexistent/ttyVorna: port nie istnieje / no such port)\n"));
    }
    const test::CliResult blank = test::runCliCaptured({"--port", " \t", "open-locker", "1"});
    EXPECT_EQ(blank.code, kExitPortFailed);
    EXPECT_EQ(blank.err, QStringLiteral("vorna-cli: Nie udało się otworzyć portu! (pusta nazwa portu)\n"));
    EXPECT_FALSE(QFile::exists(rig.file("r.vrp")));
}

TEST(CliSilentController, ExitsWithFourAndTheTimeOutText)
{
    const struct {
        QStringList command;
        QString text;
    } cases[] = {
        {{"read", "x.vrp"}, ops::texts::kReadTimeout},
        {{"write", "ok.vrp"}, ops::texts::kTransferTimeout},
        {{"open-locker", "4"}, ops::texts::kWriteTimeout},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.command.join(u' ').toStdString());
        test::CliSim rig;
        rig.sim.addFault({Fault::NoReply, 0, -1, 1});
        rig.saveValues("ok.vrp", project::defaultSettings());
        QStringList command = c.command;
        command[1] = command[0] == u"open-locker" ? command[1] : rig.file(command[1].toLatin1().constData());
        const test::CliResult r = rig.run(command);
        EXPECT_EQ(r.code, kExitNoAnswer);
        EXPECT_EQ(r.err, QStringLiteral("vorna-cli: sterownik pod adresem 1 nie odpowiada: ") + c.text + u'\n');
        EXPECT_EQ(rig.sent().size(), 1u);   // the first frame got no answer, nothing followed
    }
}

TEST(CliTrace, ShowsEveryFrameBothWays)
{
    test::CliSim rig;
    const test::CliResult r = rig.run({"--trace", "open-locker", "1"});
    ASSERT_EQ(r.code, kExitOk);
    const QStringList lines = r.err.split(u'\n', Qt::SkipEmptyParts);
    ASSERT_EQ(lines.size(), 2);
    const QRegularExpression stamp(QStringLiteral("^\\d\\d:\\d\\d:\\d\\d\\.\\d\\d\\d "));
    EXPECT_TRUE(stamp.match(lines[0]).hasMatch());
    EXPECT_TRUE(lines[0].endsWith(QStringLiteral(" TX 01 02 00 01 00 00 00 09 64 00 72"))) << lines[0].toStdString();
    EXPECT_TRUE(stamp.match(lines[1]).hasMatch());
    // The whole reply is read, its checksum included, to be checked.
    EXPECT_TRUE(lines[1].endsWith(QStringLiteral(" RX 01 02 00 01 00 00 00 09 00 0E"))) << lines[1].toStdString();
}
