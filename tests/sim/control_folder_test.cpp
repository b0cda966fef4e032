// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include "link/frame.h"
#include "sim/control_folder.h"
#include "sim_test_util.h"

using simtest::Bytes;
using simtest::hex;
using simtest::RawClient;
using vorna::sim::ControlFolder;
using vorna::sim::PtySimulator;

namespace {

struct Folder {
    QTemporaryDir dir;
    ControlFolder control{dir.path().toStdString(), [this] {
                              auto sim = std::make_unique<PtySimulator>(
                                  PtySimulator::Options{.linkPath = dir.filePath("tty").toStdString()});
                              return sim->start() ? std::move(sim) : nullptr;
                          }};

    Folder() { EXPECT_TRUE(control.start()); }
    std::string tty() const { return dir.filePath("tty").toStdString(); }
    QByteArray file(const char *name) const
    {
        QFile f(dir.filePath(name));
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("(missing)");
    }
    // Through the files, as a test in another process does.
    QByteArray send(const QByteArray &commands)
    {
        QFile f(dir.filePath("command.new"));
        EXPECT_TRUE(f.open(QIODevice::WriteOnly) && f.write(commands) == commands.size());
        f.close();
        EXPECT_TRUE(f.rename(dir.filePath("command")));
        control.poll();
        const QByteArray reply = file("reply");
        QFile::remove(dir.filePath("reply"));
        return reply;
    }
};

} // namespace

TEST(ControlFolder, EachCommandIsAnsweredAndDone)
{
    struct Case {
        const char *commands;
        const char *reply;
        std::function<bool(PtySimulator &)> done;
    };
    const std::vector<Case> cases = {
        {"block 256 010203\n", "ok\n", [](PtySimulator &s) { const Bytes b = s.block(); return Bytes(b.begin() + 256, b.begin() + 259) == hex("01 02 03"); }},
        {"card 0A1B2C3D4E 0\n", "ok\n", [](PtySimulator &s) { const Bytes l = s.live(); return Bytes(l.begin(), l.begin() + 9) == hex("01 0A 1B 2C 3D 4E 00 00 05"); }},
        {"\nsync\n\n", "ok\n", nullptr},
        {"block 0 01\nbogus\nblock 1 02\n", "error: line 2: unknown command 'bogus'\n",
         [](PtySimulator &s) { const Bytes b = s.block(); return b[0] == 0x01 && b[1] == 0xFF; }},
        {"block 512 00\n", "error: line 1: block ADDRESS HEX: address 0 to 511, bytes as hex digits\n", nullptr},
        {"block 0 0\n", "error: line 1: block ADDRESS HEX: address 0 to 511, bytes as hex digits\n", nullptr},
        {"card 0102030405060708 0\n", "error: line 1: card HEX MS: up to 7 bytes as hex digits, a delay in ms\n", nullptr},
        {"fault frob 0 1 0\n", "error: line 1: unknown fault 'frob'\n", nullptr},
        {"fault delay 0 -2 40\n", "error: line 1: fault KIND FIRST COUNT VALUE: numbers, COUNT -1 for every frame on\n", nullptr},
        {"reset now\n", "error: line 1: unknown command 'reset now'\n", nullptr},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.commands);
        Folder f;
        EXPECT_EQ(f.send(c.commands).toStdString(), c.reply);
        EXPECT_FALSE(QFile::exists(f.dir.filePath("command")));
        if (c.done) {
            EXPECT_TRUE(c.done(f.control.simulator()));
        }
    }
}

TEST(ControlFolder, FramesAreListedAndAResetStartsAFreshControllerOnTheLink)
{
    Folder f;
    const Bytes frame = vorna::link::buildFrame(1, vorna::link::commands::ReadTimes, 0);
    EXPECT_EQ(f.send("fault no-reply 0 1 0\nblock 509 050607\n"), "ok\n");
    {
        RawClient client(f.tty());
        ASSERT_TRUE(client.send(frame));
        EXPECT_TRUE(client.drain(150).empty());   // the fault: no reply
        ASSERT_EQ(f.control.simulator().waitForFrames(1, 2000), 1);
        f.control.poll();
        EXPECT_EQ(f.file("frames"), QByteArray::fromStdString(simtest::show(frame) + "\n"));
    }

    EXPECT_EQ(f.send("reset\n"), "ok\n");
    EXPECT_EQ(f.file("frames"), "");
    RawClient client(f.tty());
    ASSERT_TRUE(client.send(frame));
    const Bytes reply = client.receive(13, 2000);
    ASSERT_EQ(reply.size(), 13u);   // no fault any more, and the memory as at start
    EXPECT_EQ(Bytes(reply.begin() + 8, reply.begin() + 11), hex("64 64 64"));
}

TEST(ControlFolder, ASymlinkInPlaceOfTheCommandIsNotFollowed)
{
    Folder f;
    QFile target(f.dir.filePath("elsewhere"));
    ASSERT_TRUE(target.open(QIODevice::WriteOnly) && target.write("reset\n") == 6);
    target.close();
    ASSERT_TRUE(QFile::link(target.fileName(), f.dir.filePath("command")));
    f.control.poll();
    EXPECT_EQ(f.file("reply"), "error: the command file cannot be read\n");
    EXPECT_EQ(f.file("elsewhere"), "reset\n");
}
