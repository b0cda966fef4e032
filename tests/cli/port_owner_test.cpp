// SPDX-License-Identifier: GPL-3.0-or-later
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include "cli/exit_codes.h"
#include "cli_rig.h"
#include "link/commands.h"
#include "link/open_failure.h"
#include "link/qt_serial_port.h"
#include "ops/open_failure_text.h"
#include "support/printers.h"
#include "support/program_run.h"

using namespace vorna;

namespace {

// The device behind the simulator's link, and every other way of naming it.
struct Names {
    QString link;   // dir/ttyV0, the path the holder opened
    QString target; // /dev/pts/N
    QString dir;
};

struct Spelling {
    const char *what;
    QString (*make)(const Names &);
};

const Spelling kSpellings[] = {
    {"the holder's own path", [](const Names &n) { return n.link; }},
    {"another symlink to the device",
     [](const Names &n) {
         const QString other = n.dir + "/serial-by-id-vorna";
         QFile::remove(other);
         EXPECT_TRUE(QFile::link(n.target, other));
         return other;
     }},
    {"a doubled slash", [](const Names &n) { return n.dir + "//ttyV0"; }},
    {"a .. step", [](const Names &n) { return n.dir + "/../" + QFileInfo(n.dir).fileName() + "/ttyV0"; }},
    {"the link's target", [](const Names &n) { return n.target; }},
};

QString inUse(const QString &name) { return QStringLiteral("Port %1 jest używany przez inny program.").arg(name); }
QString inUseLine(const QString &device)
{
    return QStringLiteral("vorna-cli: Nie udało się otworzyć portu! (%1: port jest używany przez inny program / "
                          "the port is in use by another program)\n")
        .arg(device);
}

// While the port is held, a second opener of any spelling, the window's port or the
// command line, is refused as in use, and its frame never reaches the controller.
void expectEverySpellingRefused(const test::CliSim &rig, const Names &names)
{
    for (const Spelling &s : kSpellings) {
        const QString path = s.make(names);
        SCOPED_TRACE(std::string(s.what) + ": " + path.toStdString());

        {
            link::QtSerialPort window;
            EXPECT_FALSE(window.open(path));
            EXPECT_EQ(ops::openFailureText(link::diagnoseOpenFailure(path, path, window.openError(), window.openErrorText())),
                      inUse(path));
        } // closed again before the command line tries

        const test::CliResult cli = test::runCliCaptured({"--port", path, "open-locker", "4"});
        EXPECT_EQ(cli.code, cli::kExitPortFailed);
        EXPECT_EQ(cli.err, inUseLine(path));
    }
    for (const auto &frame : rig.sim.frames())
        EXPECT_NE(frame.bytes.at(1), std::uint8_t(link::commands::OpenLocker.code)) << ::testing::PrintToString(frame.bytes);
}

struct OwnerRig {
    QTemporaryDir dir;
    std::unique_ptr<test::CliSim> rig;
    Names names;

    OwnerRig()
    {
        EXPECT_TRUE(dir.isValid());
        rig = std::make_unique<test::CliSim>(sim::PtySimulator::Options{.linkPath = dir.filePath("ttyV0").toStdString()});
        names = {rig->port(), QFileInfo(rig->port()).canonicalFilePath(), dir.path()};
        EXPECT_TRUE(names.target.startsWith("/dev/pts/")) << names.target.toStdString();
    }
};

} // namespace

TEST(OnePortOwner, WindowHoldsThePort)
{
    OwnerRig o;
    link::QtSerialPort holder;
    ASSERT_TRUE(holder.open(o.names.link));
    expectEverySpellingRefused(*o.rig, o.names);

    // Released with the close: the device opens again, by any name.
    holder.close();
    link::QtSerialPort next;
    EXPECT_TRUE(next.open(o.names.target));
}

TEST(OnePortOwner, CommandLineProgramHoldsThePort)
{
    OwnerRig o;
    // A deaf controller keeps the scan of 255 addresses waiting, with the port held, for
    // far longer than the test needs.
    o.rig->sim.addFault({sim::Fault::NoReply, 0, -1, 1});
    QProcess holder;
    holder.start(test::builtProgram("src/cli/vorna-cli"), {"--port", o.names.link, "scan"});
    ASSERT_TRUE(holder.waitForStarted());
    ASSERT_GE(o.rig->sim.waitForFrames(1, 30000), 1);
    expectEverySpellingRefused(*o.rig, o.names);
    EXPECT_EQ(holder.state(), QProcess::Running); // the refusals did not come from its exit

    holder.kill();
    holder.waitForFinished();
    link::QtSerialPort next;
    EXPECT_TRUE(next.open(o.names.target));
}
