// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>

#include <QFile>
#include <functional>

#include "cli/exit_codes.h"
#include "cli_rig.h"
#include "link/memory_map.h"
#include "support/printers.h"

// read F, verify F, write F, read G over one controller memory per row: G must be
// F and the memory as it was, but for what a project file has no text for.

using namespace vorna;
using namespace vorna::cli;
using test::Bytes;
namespace mem = link::memory;

namespace {

using Memory = std::vector<std::uint8_t>;

QByteArray fileBytes(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

void card(Memory &m, int slot, Bytes record) { std::copy(record.begin(), record.end(), m.begin() + 8 * slot); }

// Every byte but the device address, so the controller stays where it answers.
Memory filled(std::uint8_t value)
{
    Memory m(mem::kBlockSize, value);
    m[mem::kBlockDeviceAddress] = 1;
    return m;
}

// An erased memory with a card of each length n = 0..longest from `slot` on: n bytes
// of `base + n`, zeros after them.
Memory everyLength(int slot, std::uint8_t longest, std::uint8_t base)
{
    Memory m = filled(0xFF);
    for (std::uint8_t n = 0; n <= longest; ++n) {
        Bytes r(8, 0);
        std::fill_n(r.begin(), n, std::uint8_t(base + n));
        r[7] = n;
        card(m, slot + n, r);
    }
    return m;
}

// What a file cannot carry, as the window shows it: LED bytes above 9 read as 0,
// mask bits 20-23 are no lockers, and the window's empty card of the type goes
// back erased (both read as the empty-card text).
Memory afterRoundTrip(Memory m, const char *cardType)
{
    const Bytes windowEmpty = QByteArray(cardType) == "mifare4b"   ? Bytes{0xFF, 0xFF, 0xFF, 0xFF, 0, 0, 0, 4}
                              : QByteArray(cardType) == "mifare7b" ? Bytes{0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 7}
                                                                   : Bytes{0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0, 0, 5};
    for (int s = 0; s < 32; ++s)
        if (std::equal(windowEmpty.begin(), windowEmpty.end(), m.begin() + 8 * s))
            card(m, s, Bytes(8, 0xFF));
    for (std::uint32_t i = 0; i < 60; ++i)
        if (m[mem::kBlockLockerNumbers + i] > 9)
            m[mem::kBlockLockerNumbers + i] = 0;
    for (std::uint32_t g = 0; g < 7; ++g)
        m[mem::kBlockGuardians + 3 * g] &= 0x0F;
    return m;
}

struct Image {
    const char *name;
    const char *cardType;
    std::function<Memory()> memory;
    const char *refusal;   // read's stderr when the file cannot hold it; null: the round trip holds
};

const Image kImages[] = {
    {"erased", "unique", [] { return filled(0xFF); }, nullptr},
    {"zeros", "unique", [] { return filled(0x00); }, nullptr},
    {"lengths_0_to_7_mifare7b", "mifare7b",
     [] {
         Memory m = filled(0xFF);
         for (std::uint8_t n = 0; n <= 7; ++n)
             card(m, n, {0x71, 0x72, 0x73, 0x74, 0x75, 0x76, 0x77, n});
         for (int s = 0; s < 8; ++s)
             std::fill_n(m.begin() + 8 * s + m[8 * s + 7], 7 - m[8 * s + 7], 0);
         return m;
     },
     nullptr},
    {"lengths_0_to_5_unique", "unique", [] { return everyLength(10, 5, 0x50); }, nullptr},
    {"lengths_0_to_4_mifare4b", "mifare4b", [] { return everyLength(20, 4, 0xA0); }, nullptr},
    {"window_empty_cards", "unique",
     [] {
         Memory m = filled(0xFF);
         for (int s = 0; s < 32; ++s)
             card(m, s, {0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0, 0, 5});
         card(m, 1, {0xFF, 0xFF, 0xFF, 0xFF, 0, 0, 0, 4});
         return m;
     },
     nullptr},
    {"mixed_site", "mifare7b",
     [] {
         Memory m = filled(0xFF);
         card(m, 0, {0x01, 0x23, 0x45, 0x67, 0x89, 0, 0, 5});
         card(m, 3, {0xDE, 0xAD, 0xBE, 0xEF, 0, 0, 0, 4});
         card(m, 5, {0x11, 0x22, 0x33, 0x44, 0x55, 0x66, 0x77, 7});
         card(m, 9, Bytes(8, 0));
         card(m, 31, {0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 7});
         for (std::uint32_t i = 0; i < 60; ++i)
             m[mem::kBlockLockerNumbers + i] = std::uint8_t(i * 7 % 13);   // 10, 11, 12 among them
         const Bytes masks = {0x00, 0x00, 0x01, 0xF0, 0x00, 0x10, 0x0A, 0xBC, 0xDE, 0, 0, 0, 0xFF, 0xFF, 0xFF};
         std::copy(masks.begin(), masks.end(), m.begin() + mem::kBlockGuardians);
         m[mem::kBlockOpeningTimes] = 0;
         m[mem::kBlockOpeningTimes + 1] = 37;
         return m;
     },
     nullptr},
    {"seven_byte_card_under_unique", "unique",
     [] {
         Memory m = filled(0xFF);
         card(m, 5, {0x11, 0x22, 0x33, 0x44, 0x55, 0x66, 0x77, 7});
         return m;
     },
     "vorna-cli: KARTY_OPIEKUN/Opiekun1 (karta 5): karta 7-bajtowa 11223344556677 nie mieści się w typie Unique "
     "(5 bajtów): zapis pliku by ją skrócił; użyj --card-type mifare7b\n"},
    {"length_byte_above_7", "unique",
     [] {
         Memory m = filled(0xFF);
         card(m, 12, {0x12, 0x34, 0x56, 0x78, 0x9A, 0, 0, 8});
         card(m, 13, {0, 0, 0, 0, 0, 0, 0, 0x80});
         return m;
     },
     "vorna-cli: KARTY_SZAFEK/Szafka1 (karta 12): rekord 123456789A000008 ma długość 8 (powyżej 7): plik "
     "pokazałby go jako pustą kartę FFFFFFFFFF (takich kart razem: 2)\n"},
    {"bytes_past_the_card", "unique",
     [] {
         Memory m = filled(0xFF);
         card(m, 2, {0xDE, 0xAD, 0xBE, 0xEF, 0x55, 0, 0, 4});
         return m;
     },
     "vorna-cli: KARTY_KLUCZ/Klucz1 (karta 2): rekord DEADBEEF55000004 ma za numerem karty bajty różne od zera, "
     "których plik nie przechowa\n"},
};

class CliRoundTrip : public testing::TestWithParam<Image> {};

[[maybe_unused]] void PrintTo(const Image &i, std::ostream *os) { *os << i.name; }

} // namespace

TEST_P(CliRoundTrip, FileCarriesTheControllerBack)
{
    const Image &image = GetParam();
    RecordProperty("card_type", image.cardType);
    RecordProperty("expect", image.refusal ? "read refused, slot named" : "exact");
    test::CliSim rig;
    const Memory original = image.memory();
    rig.sim.setBlock(0, original);
    const QString f = rig.file("f.vrp"), g = rig.file("g.vrp");
    const QStringList type = {"--card-type", image.cardType};

    const test::CliResult read = rig.run(type + QStringList{"read", f});
    if (image.refusal) {
        EXPECT_EQ(read.code, kExitBadProject);
        EXPECT_EQ(read.err, QString::fromUtf8(image.refusal));
        EXPECT_FALSE(QFile::exists(f));
        return;
    }
    ASSERT_EQ(read.code, kExitOk) << read.err.toStdString();
    const test::CliResult verify = rig.run(type + QStringList{"verify", f});
    EXPECT_EQ(verify.code, kExitOk);
    EXPECT_EQ(verify.err, QString());
    ASSERT_EQ(rig.run(type + QStringList{"write", f}).code, kExitOk);
    EXPECT_EQ(rig.sim.block(), afterRoundTrip(original, image.cardType));
    ASSERT_EQ(rig.run(type + QStringList{"read", g}).code, kExitOk);
    EXPECT_EQ(fileBytes(g), fileBytes(f));
}

INSTANTIATE_TEST_SUITE_P(Images, CliRoundTrip, testing::ValuesIn(kImages),
                         [](const testing::TestParamInfo<Image> &info) { return std::string(info.param.name); });
