// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>

#include <QFile>
#include <cstring>
#include <functional>

#include "cli/exit_codes.h"
#include "cli_rig.h"
#include "sim/sample_site.h"
#include "support/printers.h"

// Controllers and lines that answer, but not with the reply to the frame asked.
// A read must then stop with the frame named and save nothing; where the whole
// reply can still be taken (a reply trickling in), the file must be exact.

using namespace vorna;
using namespace vorna::cli;
using sim::Fault;

namespace {

QByteArray fileBytes(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

struct Peer {
    const char *name;
    const char *what;
    std::vector<Fault> faults;
    QStringList options;
    int code;
    const char *err;   // stderr starts with this; the file is exact when code is 0
};

const Peer kPeers[] = {
    {"garbage", "18 random bytes instead of each reply", {{Fault::Garbage, 0, -1, 18}}, {}, kExitNoAnswer,
     "vorna-cli: reply to frame 0 (block 0x0000): "},
    {"local_echo", "each request echoed before its reply (RS-485 adapter with local echo)", {{Fault::Echo, 0, -1, 0}},
     {}, kExitNoAnswer, "vorna-cli: reply to frame 0 (block 0x0000): "},
    {"noise_flood", "64 random bytes after every frame", {{Fault::Noise, 0, -1, 64}}, {}, kExitNoAnswer,
     "vorna-cli: reply to frame 0 (block 0x0000): "},
    {"previous_reply", "each frame answered with the reply to the frame before it", {{Fault::Stale, 0, -1, 0}}, {},
     kExitNoAnswer, "vorna-cli: reply to frame 1 (block 0x0008): header does not match\n"},
    {"trickle", "replies trickling in 4 ms a byte with two bytes more, past the next purge",
     {{Fault::Trickle, 0, -1, 4}, {Fault::Trail, 0, -1, 2}}, {}, kExitNoAnswer, "vorna-cli: reply to frame "},
    {"trickle_exact", "guardian replies trickling in 3 ms a byte", {{Fault::Trickle, 53, -1, 3}}, {}, kExitOk, ""},
    {"bad_checksum", "each reply's checksum inverted", {{Fault::BadChecksum, 0, -1, 0}}, {}, kExitNoAnswer,
     "vorna-cli: reply to frame 0 (block 0x0000): checksum does not match\n"},
    {"bad_checksum_unchecked", "each reply's checksum inverted, read with --no-reply-check",
     {{Fault::BadChecksum, 0, -1, 0}}, {"--no-reply-check"}, kExitOk, ""},
};

class CliPeer : public testing::TestWithParam<Peer> {};

[[maybe_unused]] void PrintTo(const Peer &p, std::ostream *os) { *os << p.name; }

} // namespace

TEST_P(CliPeer, ReadSavesOnlyTheController)
{
    const Peer &p = GetParam();
    RecordProperty("what", p.what);
    RecordProperty("expect", p.code == kExitOk ? "exit 0, the file exact" : "exit 4, no file, frame named");
    test::CliSim good;
    sim::loadSampleSite(good.sim);
    const QString reference = good.file("good.vrp");
    ASSERT_EQ(good.run({"read", reference}).code, kExitOk);

    test::CliSim rig;
    sim::loadSampleSite(rig.sim);
    for (const Fault &f : p.faults)
        rig.sim.addFault(f);
    const QString path = rig.file("peer.vrp");
    const test::CliResult r = rig.run(p.options + QStringList{"read", path});
    EXPECT_EQ(r.code, p.code) << r.err.toStdString();
    EXPECT_EQ(r.err.left(qsizetype(std::strlen(p.err))), QLatin1StringView(p.err)) << r.err.toStdString();
    EXPECT_EQ(r.err.count(u'\n'), p.code == kExitOk ? 0 : 1);
    if (p.code == kExitOk)
        EXPECT_EQ(fileBytes(path), fileBytes(reference));
    else
        EXPECT_FALSE(QFile::exists(path));
}

INSTANTIATE_TEST_SUITE_P(Peers, CliPeer, testing::ValuesIn(kPeers),
                         [](const testing::TestParamInfo<Peer> &info) { return std::string(info.param.name); });

// scan credits an address only with a reply that echoes it: a controller that
// answers late, or a line full of noise, must not make another address answer.
TEST(CliPeers, ScanCreditsOnlyTheAddressTheReplyEchoes)
{
    const struct {
        const char *name;
        std::uint8_t address;
        Fault fault;
        const char *range;
        QStringList found;   // any one of these outputs
    } cases[] = {
        {"late controller", 5, {Fault::Delay, 0, -1, 35}, "1-10", {"", "5\n"}},
        {"noise flood", 1, {Fault::Noise, 0, -1, 64}, "2-12", {""}},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        test::CliSim rig({.address = c.address});
        rig.sim.addFault(c.fault);
        const test::CliResult r = rig.run({"scan", "--scan-range", c.range});
        EXPECT_TRUE(c.found.contains(r.out)) << r.out.toStdString();
        EXPECT_EQ(r.code, r.out.isEmpty() ? kExitNoAnswer : kExitOk);
    }
}

// Controllers that acknowledge a write and keep something else. write --verify reads
// back the bytes, not the texts: an erased LED digit (0xFF) shows as "0" in the
// window, yet it is not the 0 that was sent.
namespace {

struct LossyPeer {
    const char *name;
    const char *what;
    Fault fault;                                        // frames 0-31 cards, 32-51 LED, 52 times, 53-59 guardians
    std::function<void(project::Settings &)> edit;      // the file: the start texts, edited so
    int code;
    const char *err;   // stderr starts with this
};

const LossyPeer kLossyPeers[] = {
    {"led_writes_lost", "erased controller keeps none of the LED writes of \"000\"", {Fault::Forget, 32, 20, 0},
     [](project::Settings &) {}, kExitMismatch,
     "NUMERY_SZAFEK/Szafka1: oczekiwano 000, sterownik ma 000 (bajty FF FF FF)\n"},
    {"time_write_lost", "erased controller keeps its opening times (100) for 0, 50, 255", {Fault::Forget, 52, 1, 0},
     [](project::Settings &v) {
         v.openingTimes[0] = "0";
         v.openingTimes[1] = "50";
         v.openingTimes[2] = "255";
     },
     kExitMismatch, "CZASY/Uzytkownik: oczekiwano 0, sterownik ma 100\n"},
    {"mask_bits_20_23_only", "guardian writes of every locker lost; the erased masks differ only in bits 20-23",
     {Fault::Forget, 53, 7, 0},
     [](project::Settings &v) {
         for (auto &guardian : v.guardians)
             guardian.fill(true);
     },
     kExitOk, ""},
};

class CliLossyPeer : public testing::TestWithParam<LossyPeer> {};

[[maybe_unused]] void PrintTo(const LossyPeer &p, std::ostream *os) { *os << p.name; }

} // namespace

TEST_P(CliLossyPeer, WriteVerifySeesEveryByteThatDidNotLand)
{
    const LossyPeer &p = GetParam();
    RecordProperty("what", std::string("write --verify: ") + p.what);
    RecordProperty("expect", p.code == kExitOk ? "exit 0" : "exit 6, the field named");
    test::CliSim rig;   // factory state: every block byte 0xFF, times 100
    rig.sim.addFault(p.fault);
    project::Settings values = project::defaultSettings();
    p.edit(values);
    const test::CliResult r = rig.run({"write", rig.saveValues("p.vrp", values), "--verify"});
    EXPECT_EQ(r.code, p.code) << r.err.toStdString();
    EXPECT_EQ(r.err.left(qsizetype(std::strlen(p.err))), QString::fromUtf8(p.err)) << r.err.toStdString();
    EXPECT_EQ(rig.sent().size(), 120u);
}

INSTANTIATE_TEST_SUITE_P(Peers, CliLossyPeer, testing::ValuesIn(kLossyPeers),
                         [](const testing::TestParamInfo<LossyPeer> &info) { return std::string(info.param.name); });
