#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QFileInfo>
#include <QProcess>

#include "cli/exit_codes.h"
#include "cli_rig.h"
#include "link/memory_map.h"
#include "support/printers.h"
#include "support/program_run.h"

using namespace vorna;
using namespace vorna::cli;
using test::Bytes;

namespace {

QString programPath() { return test::builtProgram("src/cli/vorna-cli"); }
test::ProgramRun runProgram(const QStringList &args) { return test::runProgram(programPath(), args, 30000); }

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

    const test::ProgramRun read = runProgram({"--port", source.port(), "read", path});
    ASSERT_EQ(read.exitCode, kExitOk) << read.err.toStdString();
    EXPECT_TRUE(read.err.isEmpty());   // stderr is a pipe here: no progress display

    const test::ProgramRun write = runProgram({"--port", target.port(), "write", path, "--verify"});
    ASSERT_EQ(write.exitCode, kExitOk) << write.err.toStdString();
    EXPECT_EQ(source.sim.block(), target.sim.block());
}
