// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <csignal>
#include <fcntl.h>
#include <filesystem>
#include <functional>
#include <sys/stat.h>
#include <unistd.h>

#include "link/frame.h"
#include "sim_test_util.h"
#include "support/program_run.h"

using simtest::Bytes;
using simtest::hex;
using simtest::RawClient;
namespace test = vorna::test;

namespace {

QString programPath() { return test::builtProgram("sim/vorna-sim"); }
test::ProgramRun runProgram(const QStringList &args) { return test::runProgram(programPath(), args, 10000); }

} // namespace

TEST(Program, IsBuiltBesideTheTests)
{
    EXPECT_TRUE(QFileInfo(programPath()).isExecutable()) << programPath().toStdString();
}

TEST(Program, HelpPrintsUsageAndSucceeds)
{
    const test::ProgramRun run = runProgram({"--help"});
    EXPECT_EQ(run.exitCode, 0);
    EXPECT_TRUE(run.out.startsWith("Usage: vorna-sim [options]")) << run.out.toStdString();
    EXPECT_TRUE(run.out.contains("--silent-after N"));
    EXPECT_TRUE(run.err.isEmpty());
}

TEST(Program, VersionIsTheProjectVersion)
{
    const test::ProgramRun run = runProgram({"--version"});
    EXPECT_EQ(run.exitCode, 0);
    EXPECT_EQ(run.out, "vorna-sim 4.0.0\n");
}

TEST(Program, BadOptionsExitWithTwo)
{
    for (const QStringList &args : {QStringList{"--frobnicate"}, QStringList{"--address", "nine"},
                                    QStringList{"--delay"}, QStringList{"--card", "XYZ"}}) {
        SCOPED_TRACE(args.join(' ').toStdString());
        const test::ProgramRun run = runProgram(args);
        EXPECT_EQ(run.exitCode, 2);
        EXPECT_TRUE(run.out.isEmpty());
        EXPECT_TRUE(run.err.startsWith("vorna-sim: ")) << run.err.toStdString();
        EXPECT_TRUE(run.err.contains("--help"));
    }
}

TEST(Program, AControlFolderNeedsALinkAndAFolder)
{
    QTemporaryDir dir;
    test::ProgramRun run = runProgram({"--control", dir.path()});
    EXPECT_EQ(run.exitCode, 2);
    EXPECT_TRUE(run.err.startsWith("vorna-sim: option --control needs --link")) << run.err.toStdString();
    run = runProgram({"--control", dir.filePath("none"), "--link", dir.filePath("tty")});
    EXPECT_EQ(run.exitCode, 2);
    EXPECT_EQ(run.err, "vorna-sim: --control " + dir.filePath("none") + ": not a folder\n");
    EXPECT_FALSE(QFileInfo::exists(dir.filePath("tty")));
}

TEST(Program, ServesOnItsLinkUntilTerminated)
{
    QTemporaryDir dir;
    const QString link = dir.filePath("tty");
    QProcess process;
    process.start(programPath(), {"--link", link, "--address", "7", "--card", "0A1B2C3D4E@0", "--log"});
    ASSERT_TRUE(process.waitForStarted(5000));
    ASSERT_TRUE(process.waitForReadyRead(5000));
    const QString first = QString::fromUtf8(process.readLine()).trimmed();
    EXPECT_EQ(first, link);

    {
        RawClient client(link.toStdString());
        ASSERT_TRUE(client.isOpen());
        ASSERT_TRUE(client.send(vorna::link::buildFrame(7, vorna::link::commands::ReaderQuery, 0)));
        const Bytes reply = client.receive(19, 3000);
        ASSERT_EQ(reply.size(), 19u);
        EXPECT_EQ(Bytes(reply.begin() + 8, reply.begin() + 17), hex("01 0A 1B 2C 3D 4E 00 00 05"));
        // Address 1 is not this controller's.
        ASSERT_TRUE(client.send(hex("01 05 00 03 00 00 01 FD 01 08")));
        EXPECT_TRUE(client.drain(300).empty());
    }

    ::kill(pid_t(process.processId()), SIGTERM);
    ASSERT_TRUE(process.waitForFinished(5000));
    EXPECT_EQ(process.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(process.exitCode(), 0);
    EXPECT_FALSE(std::filesystem::exists(std::filesystem::symlink_status(link.toStdString())));
    const QString log = QString::fromUtf8(process.readAllStandardError());
    EXPECT_TRUE(log.contains("rx 07 01 00 09 00 00 00 00 00 12")) << log.toStdString();
    EXPECT_TRUE(log.contains("(for device 1)")) << log.toStdString();
}

// --memory is read and later replaced: only a kept memory or a new path may be
// given. Anything else is refused before the program blocks, streams or writes.
TEST(Program, MemoryFileMustBeAKeptMemoryOrNew)
{
    QTemporaryDir dir;
    const QString text = dir.filePath("notes.txt"), fifo = dir.filePath("fifo");
    {
        QFile f(text);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(QByteArray(3177, 'x'));
    }
    ASSERT_EQ(::mkfifo(fifo.toLocal8Bit().constData(), 0600), 0);
    const struct {
        QString path;
        const char *why;
    } refused[] = {
        {"/dev/zero", "not a regular file"},
        {fifo, "not a regular file"},
        {dir.path(), "not a regular file"},
        {text, "holds 3177 bytes, not 512"},
    };
    for (const auto &c : refused) {
        SCOPED_TRACE(c.path.toStdString());
        const test::ProgramRun run = runProgram({"--memory", c.path});
        EXPECT_EQ(run.exitCode, 2);
        EXPECT_TRUE(run.out.isEmpty());
        EXPECT_EQ(run.err, QStringLiteral("vorna-sim: --memory %1: %2\n").arg(c.path, QLatin1StringView(c.why)));
    }
    EXPECT_EQ(QFileInfo(text).size(), 3177);
}

// Stopped at once, even before it has printed its path: the stop request of a
// script that gave up waiting must never be ignored.
TEST(Program, StopsOnSignalsFromTheFirstMoment)
{
    for (int sig : {SIGTERM, SIGINT}) {
        SCOPED_TRACE(sig);
        QProcess process;
        process.start(programPath(), {"--sample-site"});
        ASSERT_TRUE(process.waitForStarted(5000));
        ::kill(pid_t(process.processId()), sig);
        EXPECT_TRUE(process.waitForFinished(5000));
    }
}

namespace {

namespace fs = std::filesystem;

QByteArray contentOf(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

void writeText(const QString &path, const QByteArray &content)
{
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(content);
}

// Started and serving: its first line (the path) has come.
bool serving(QProcess &process, const QStringList &args)
{
    process.start(programPath(), args);
    return process.waitForStarted(5000) && process.waitForReadyRead(5000) && process.canReadLine() &&
           !process.readLine().trimmed().isEmpty();
}

bool stoppedCleanly(QProcess &process, int signal)
{
    ::kill(pid_t(process.processId()), signal);
    return process.waitForFinished(5000) && process.exitStatus() == QProcess::NormalExit && process.exitCode() == 0;
}

} // namespace

// --link takes a name only from a symlink (one left behind, dangling or not): a file,
// folder or device of that name is refused and left as it is.
TEST(Program, LinkReplacesOnlyASymlink)
{
    const struct {
        const char *name;
        std::function<void(const QString &link, const QString &other)> make;
        const char *refusal;   // null: served, and the link gone at exit
    } cases[] = {
        {"regular file", [](const QString &link, const QString &) { writeText(link, "notes\n"); },
         "is a regular file; only a symlink is replaced"},
        {"directory", [](const QString &link, const QString &) { QDir().mkdir(link); },
         "is a directory; only a symlink is replaced"},
        {"dangling symlink",
         [](const QString &link, const QString &other) { fs::create_symlink(other.toStdString(), link.toStdString()); },
         nullptr},
        {"symlink to a file",
         [](const QString &link, const QString &other) {
             writeText(other, "notes\n");
             fs::create_symlink(other.toStdString(), link.toStdString());
         },
         nullptr},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        QTemporaryDir dir;
        const QString link = dir.filePath("tty"), other = dir.filePath("other");
        c.make(link, other);
        const QByteArray before = contentOf(link);
        if (c.refusal) {
            const test::ProgramRun run = runProgram({"--link", link});
            EXPECT_EQ(run.exitCode, 2);
            EXPECT_EQ(run.err, QStringLiteral("vorna-sim: --link %1: %2\n").arg(link, QLatin1StringView(c.refusal)));
            EXPECT_FALSE(fs::is_symlink(link.toStdString()));
            EXPECT_EQ(contentOf(link), before);
            continue;
        }
        QProcess process;
        ASSERT_TRUE(serving(process, {"--link", link}));
        EXPECT_TRUE(fs::read_symlink(link.toStdString()).string().rfind("/dev/pts/", 0) == 0);
        EXPECT_TRUE(stoppedCleanly(process, SIGTERM));
        EXPECT_FALSE(fs::exists(fs::symlink_status(link.toStdString())));
        EXPECT_EQ(contentOf(other), before);
    }
}

// --memory saves through a file of its own: a file or symlink named FILE.tmp is
// neither written through nor renamed over the memory, and nothing is left behind.
TEST(Program, MemorySavesThroughAFileOfItsOwn)
{
    const struct {
        const char *name;
        bool symlink;   // FILE.tmp a symlink to another file; else a file itself
    } cases[] = {{"FILE.tmp a symlink", true}, {"FILE.tmp a file", false}};
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        QTemporaryDir dir;
        const QString memory = dir.filePath("m.bin"), tmp = memory + ".tmp", victim = dir.filePath("victim");
        writeText(c.symlink ? victim : tmp, "keep\n");
        if (c.symlink)
            fs::create_symlink(victim.toStdString(), tmp.toStdString());
        QProcess process;
        ASSERT_TRUE(serving(process, {"--memory", memory, "--link", dir.filePath("tty")}));
        {
            RawClient client(dir.filePath("tty").toStdString());
            ASSERT_TRUE(client.send(vorna::link::buildFrame(1, vorna::link::commands::WriteTimes, 0, Bytes{10, 11, 12})));
            EXPECT_EQ(client.receive(10, 3000).size(), 10u);
        }
        EXPECT_TRUE(stoppedCleanly(process, SIGTERM));
        const QByteArray kept = contentOf(memory);
        ASSERT_EQ(kept.size(), 512);
        EXPECT_EQ(kept.right(3), QByteArray("\x0A\x0B\x0C"));
        EXPECT_EQ(contentOf(tmp), QByteArray("keep\n"));
        EXPECT_EQ(fs::is_symlink(tmp.toStdString()), c.symlink);
        EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files | QDir::System | QDir::NoDotAndDotDot).size(),
                  c.symlink ? 3 : 2);
    }
}

// Ended by a hang-up like by SIGTERM, and not at all by a log reader that went away
// (`vorna-sim --log 2>&1 | head -1`): it drops the log line and serves on.
TEST(Program, SignalsEndItOnlyCleanly)
{
    const struct {
        const char *name;
        bool logReaderGone;
        int stop;
    } cases[] = {{"SIGHUP", false, SIGHUP}, {"log reader gone", true, SIGTERM}};
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        QTemporaryDir dir;
        const QString link = dir.filePath("tty");
        int log[2] = {-1, -1};
        ASSERT_EQ(::pipe2(log, O_CLOEXEC), 0);
        QProcess process;
        process.setChildProcessModifier([&] { ::dup2(log[1], STDERR_FILENO); });
        ASSERT_TRUE(serving(process, {"--link", link, "--log"}));
        ::close(log[1]);
        if (c.logReaderGone)
            ::close(log[0]);
        {
            RawClient client(link.toStdString());
            for (int i = 0; i < 3; ++i) {
                ASSERT_TRUE(client.send(hex("01 05 00 03 00 00 01 FD 01 08")));
                EXPECT_EQ(client.receive(13, 3000).size(), 13u) << "reply " << i;
            }
        }
        EXPECT_TRUE(stoppedCleanly(process, c.stop));
        EXPECT_FALSE(fs::exists(fs::symlink_status(link.toStdString())));
        if (!c.logReaderGone)
            ::close(log[0]);
    }
}
