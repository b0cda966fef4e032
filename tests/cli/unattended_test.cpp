// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>

#include <QFile>
#include <QProcess>

#include "cli/console.h"
#include "cli/exit_codes.h"
#include "cli_rig.h"
#include "support/printers.h"
#include "support/program_run.h"
#include "support/settle_server.h"

// Arguments and output of a run nobody watches: no accidental broadcast, no lost
// line taken for success, no terminal steered by a value.

using namespace vorna;
using namespace vorna::cli;

TEST(CliUnattended, AddressZeroOnlyForSetAddress)
{
    test::CliSim rig;
    const QString good = rig.saveValues("ok.vrp", project::defaultSettings());
    const QStringList commands[] = {{"read", rig.file("r.vrp")}, {"write", good}, {"verify", good},
                                    {"open-locker", "5"}, {"scan", "--scan-range", "1-2"}};
    for (const QStringList &command : commands) {
        for (const char *zero : {"0", "0x00"}) {
            SCOPED_TRACE(command.join(u' ').toStdString() + " --address " + zero);
            const test::CliResult r = rig.run(QStringList{"--address", zero} + command);
            EXPECT_EQ(r.code, kExitUsage);
            EXPECT_TRUE(r.err.startsWith(QStringLiteral("vorna-cli: "))) << r.err.toStdString();
        }
    }
    EXPECT_TRUE(rig.sim.settle());
    EXPECT_TRUE(rig.sim.frames().empty());
    EXPECT_FALSE(QFile::exists(rig.file("r.vrp")));
    EXPECT_EQ(rig.run({"--address", "0", "set-address", "7"}).code, kExitOk);
}

// The program itself, its streams redirected by a shell as a script would.
TEST(CliUnattended, LostOutputEndsWithOne)
{
    test::CliSim rig;
    const test::SettleServer settle(rig.sim);
    const QString cli = test::builtProgram("src/cli/vorna-cli");
    const QString scan = QStringLiteral("'%1' --port '%2' scan --scan-range 1-2").arg(cli, rig.port());
    const QString refused = QStringLiteral("'%1' --port /nonexistent/tty open-locker 1").arg(cli);
    const struct {
        const char *name;
        QString script;
        int code;
    } cases[] = {
        {"stdout to a full device", scan + " > /dev/full", kExitFailed},
        {"stdout closed", scan + " >&-", kExitFailed},
        {"stdout into a closed pipe", scan + " | true; exit ${PIPESTATUS[0]}", kExitFailed},
        {"stderr closed", refused + " 2>&-", kExitFailed},
        {"stdin closed, output kept", scan + " <&- > /dev/null", kExitOk},
        {"stderr to a full device", refused + " 2> /dev/full", kExitFailed},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        const test::ProgramRun run = test::runProgram("/bin/bash", {"-c", c.script}, 30000, settle.environment());
        EXPECT_EQ(run.exitCode, c.code) << run.err.toStdString();
    }
    // Closed descriptors were not taken by the port: every byte on the line was a frame.
    for (const auto &f : rig.sim.frames())
        EXPECT_EQ(f.bytes.size(), 10u);
}

TEST(CliUnattended, ControlCharactersAreShownEscaped)
{
    test::CliSim rig;
    const QString path = rig.writeFile("evil.vrp", "[KARTY_SERWIS]\r\nSerwis1=\x1B]0;pwned\x07\x1B[2J\x9B" "31m\r\n");
    const test::CliResult r = rig.run({"--allow-defaults", "write", path});
    EXPECT_EQ(r.code, kExitBadProject);
    EXPECT_TRUE(r.err.contains(QStringLiteral("'\\x1B]0;pwned\\x07\\x1B[2J"))) << r.err.toStdString();
    for (QChar c : r.err)
        EXPECT_TRUE(c == u'\n' || c.unicode() >= 0x20) << int(c.unicode());
    EXPECT_EQ(printable(QStringLiteral("a\tb\u0085c\u007F")), QStringLiteral("a\\x09b\\x85c\\x7F"));
}
