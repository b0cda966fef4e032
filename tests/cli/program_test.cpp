// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QFileInfo>
#include <QDir>
#include <QProcess>
#include <unistd.h>

#include "cli/exit_codes.h"
#include "cli_rig.h"
#include "link/memory_map.h"
#include "support/printers.h"
#include "support/program_run.h"
#include "support/settle_server.h"

using namespace vorna;
using namespace vorna::cli;
using test::Bytes;

namespace {

QString programPath() { return test::builtProgram("src/cli/vorna-cli"); }
// `settle`: the simulator the program talks to, kept in step with its polls.
test::ProgramRun runProgram(const QStringList &args, const test::SettleServer *settle = nullptr)
{
    return test::runProgram(programPath(), args, 30000,
                            settle ? settle->environment() : QProcessEnvironment::systemEnvironment());
}

} // namespace

TEST(CliProgram, IsBuiltBesideTheTests)
{
    EXPECT_TRUE(QFileInfo(programPath()).isExecutable()) << programPath().toStdString();
}

TEST(CliProgram, VersionAndUsage)
{
    const test::ProgramRun version = runProgram({"--version"});
    EXPECT_EQ(version.exitCode, kExitOk);
    EXPECT_EQ(version.out, QStringLiteral("vorna-cli 4.0.0\n"));

    const test::ProgramRun usage = runProgram({"--port", "COM1", "fly"});
    EXPECT_EQ(usage.exitCode, kExitUsage);
    EXPECT_TRUE(usage.out.isEmpty());
    EXPECT_EQ(usage.err, QStringLiteral("vorna-cli: nieznane polecenie 'fly'; zobacz vorna-cli --help\n"));
}

// A whole round through the real program: read a controller into a file, write the
// file to a second controller, and find it there byte for byte.
TEST(CliProgram, CopiesOneControllerToAnother)
{
    test::CliSim source, target;
    namespace mem = link::memory;
    // Everything in a form a project can hold: five-byte records, decimal digits,
    // masks without the unused high bits.
    for (std::uint8_t s = 0; s < 32; ++s)
        source.sim.setBlock(8u * s, Bytes{s, 0xA0, 0x0B, 0xCD, std::uint8_t(0xFF - s), 0x00, 0x00, 0x05});
    for (std::uint8_t p = 0; p < 20; ++p)
        source.sim.setBlock(mem::kBlockLockerNumbers + 3u * p, Bytes{std::uint8_t(p % 10), 4, std::uint8_t(9 - p % 10)});
    for (std::uint8_t g = 0; g < 7; ++g)
        source.sim.setBlock(mem::kBlockGuardians + 3u * g, Bytes{std::uint8_t(g & 0x0F), std::uint8_t(0x11 * g), 0x5A});
    source.sim.setBlock(mem::kBlockOpeningTimes, Bytes{7, 8, 9});
    const QString path = source.file("copy.vrp");

    const test::SettleServer fromSource(source.sim), toTarget(target.sim);
    const test::ProgramRun read = runProgram({"--port", source.port(), "read", path}, &fromSource);
    ASSERT_EQ(read.exitCode, kExitOk) << read.err.toStdString();
    EXPECT_TRUE(read.err.isEmpty());   // stderr is a pipe here: no progress display

    const test::ProgramRun write = runProgram({"--port", target.port(), "write", path, "--verify"}, &toTarget);
    ASSERT_EQ(write.exitCode, kExitOk) << write.err.toStdString();
    EXPECT_EQ(source.sim.block(), target.sim.block());
}

namespace {

// The program run with arguments as raw bytes, as a shell passes $'site\xb9.vrp':
// QProcess would encode QStrings, so the child execs itself with them.
test::ProgramRun runWithBytes(const std::vector<QByteArray> &args, const test::SettleServer &settle)
{
    const QByteArray program = QFile::encodeName(programPath());
    std::vector<char *> argv{const_cast<char *>(program.constData())};
    for (const QByteArray &a : args)
        argv.push_back(const_cast<char *>(a.constData()));
    argv.push_back(nullptr);
    QProcess process;
    QProcessEnvironment env = settle.environment();
    env.insert("LC_ALL", "C.UTF-8");
    // The child execs itself before QProcess would pass this environment on.
    std::vector<QByteArray> envText;
    for (const QString &entry : env.toStringList())
        envText.push_back(entry.toLocal8Bit());
    std::vector<char *> envp;
    for (QByteArray &e : envText)
        envp.push_back(e.data());
    envp.push_back(nullptr);
    process.setChildProcessModifier([&] {
        ::execve(argv[0], argv.data(), envp.data());
        ::_exit(127);
    });
    process.start(programPath(), {});
    test::ProgramRun run;
    if (!process.waitForFinished(30000))
        return run;
    run.exitCode = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
    run.out = QString::fromUtf8(process.readAllStandardOutput());
    run.err = QString::fromUtf8(process.readAllStandardError());
    return run;
}

} // namespace

// A name that is not UTF-8 would be opened under its decoded look-alike (U+FFFD in
// place of the odd byte): refused, named byte for byte, before the port is opened.
TEST(CliProgram, ArgumentsThatDoNotDecodeAreRefused)
{
    test::CliSim rig;
    const test::SettleServer settle(rig.sim);
    const QByteArray port = QFile::encodeName(rig.port());
    const QByteArray folder = QFile::encodeName(rig.dir.path()) + '/';
    // The look-alike that the decoded name would reach.
    ASSERT_TRUE(project::saveProject(rig.dir.filePath(QString::fromUtf8("site\xEF\xBF\xBD.vrp")), project::defaultSettings()));
    const struct {
        std::vector<QByteArray> args;
        int code;
        QString err;
    } cases[] = {
        {{"--port", port, "read", folder + "site\xB9.vrp"}, kExitUsage,
         QStringLiteral("vorna-cli: argument '%1/site\\xB9.vrp' nie jest tekstem UTF-8 (kodowanie systemu); program "
                        "użyłby innej nazwy niż podana; zobacz vorna-cli --help\n")
             .arg(rig.dir.path())},
        {{"--port", port, "write", folder + "site\xB9.vrp"}, kExitUsage, {}},
        {{"--port", port + "\xFF", "scan"}, kExitUsage, {}},
        {{"--port", port, "read", folder + "za\xC5\xBC\xC3\xB3\xC5\x82\xC4\x87.vrp"}, kExitOk, {}},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.args.back().toStdString());
        rig.sim.clearLog();
        const test::ProgramRun run = runWithBytes(c.args, settle);
        EXPECT_EQ(run.exitCode, c.code) << run.err.toStdString();
        if (!c.err.isEmpty()) {
            EXPECT_EQ(run.err, c.err);
        }
        if (c.code == kExitUsage) {
            EXPECT_TRUE(run.err.startsWith(QStringLiteral("vorna-cli: argument '"))) << run.err.toStdString();
            EXPECT_TRUE(rig.sim.frames().empty());
        }
    }
    // Nothing but the look-alike and the properly named file.
    EXPECT_EQ(QDir(rig.dir.path()).entryList(QDir::Files),
              QStringList({QString::fromUtf8("site\xEF\xBF\xBD.vrp"), QString::fromUtf8("zażółć.vrp")}));
}
