// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>

#include <random>

#include "link/checksum.h"
#include "link/frame.h"
#include "sim/frame_parser.h"
#include "sim_test_util.h"

using namespace vorna::sim;
using simtest::Bytes;
using simtest::hex;

namespace {

struct Example {
    const char *name;
    const char *frame;
    std::uint8_t device, code;
    std::uint16_t count;
    std::uint32_t address;
    const char *data;
};

const Example kExamples[] = {
    {"open locker 1", "01 02 00 01 00 00 00 09 64 00 72", 1, 2, 1, 0x09, "64"},
    {"read opening times", "01 05 00 03 00 00 01 FD 01 08", 1, 5, 3, 0x1FD, ""},
    {"read reader area", "01 01 00 09 00 00 00 00 00 0C", 1, 1, 9, 0x00, ""},
    {"address write of 5", "00 06 00 01 00 00 01 FC 05 01 0A", 0, 6, 1, 0x1FC, "05"},
};

std::vector<Frame> feedAll(FrameParser &parser, const Bytes &bytes)
{
    return parser.feed(bytes);
}

// The stream fed in chunks of random sizes, then flushed: every frame handed out.
std::vector<Frame> feedInChunks(FrameParser &parser, const Bytes &stream, std::mt19937 &random,
                                std::uniform_int_distribution<int> &chunk)
{
    std::vector<Frame> frames;
    for (std::size_t at = 0; at < stream.size();) {
        const std::size_t n = std::min<std::size_t>(std::size_t(chunk(random)), stream.size() - at);
        auto got = parser.feed(std::span(stream).subspan(at, n));
        frames.insert(frames.end(), got.begin(), got.end());
        at += n;
    }
    auto rest = parser.flush();
    frames.insert(frames.end(), rest.begin(), rest.end());
    return frames;
}

std::vector<Bytes> goodFrames(const std::vector<Frame> &frames)
{
    std::vector<Bytes> out;
    for (const Frame &f : frames)
        if (f.checksumOk)
            out.push_back(f.bytes);
    return out;
}

} // namespace

TEST(FrameParser, ParsesEachExampleWholeWithItsFields)
{
    for (const Example &e : kExamples) {
        SCOPED_TRACE(e.name);
        FrameParser parser;
        const auto frames = feedAll(parser, hex(e.frame));
        ASSERT_EQ(frames.size(), 1u);
        const Frame &f = frames[0];
        EXPECT_TRUE(f.checksumOk);
        EXPECT_EQ(f.bytes, hex(e.frame));
        EXPECT_EQ(f.device(), e.device);
        EXPECT_EQ(f.code(), e.code);
        EXPECT_EQ(f.count(), e.count);
        EXPECT_EQ(f.address(), e.address);
        EXPECT_EQ(Bytes(f.data().begin(), f.data().end()), hex(e.data));
        EXPECT_EQ(parser.pending(), 0u);
        EXPECT_TRUE(parser.takeDiscarded().empty());
    }
}

TEST(FrameParser, FrameFedByteByByteAppearsWithItsLastByte)
{
    for (const Example &e : kExamples) {
        SCOPED_TRACE(e.name);
        FrameParser parser;
        const Bytes frame = hex(e.frame);
        for (std::size_t i = 0; i + 1 < frame.size(); ++i) {
            EXPECT_TRUE(parser.feed(std::span(&frame[i], 1)).empty()) << "at byte " << i;
            EXPECT_EQ(parser.pending(), i + 1);
        }
        const auto frames = parser.feed(std::span(&frame.back(), 1));
        ASSERT_EQ(frames.size(), 1u);
        EXPECT_EQ(frames[0].bytes, frame);
    }
}

TEST(FrameParser, TwoFramesSplitAtEveryPointComeOutInOrder)
{
    const Bytes a = hex(kExamples[0].frame);
    const Bytes b = hex(kExamples[2].frame);
    Bytes both = a;
    both.insert(both.end(), b.begin(), b.end());
    for (std::size_t cut = 0; cut <= both.size(); ++cut) {
        SCOPED_TRACE("cut at " + std::to_string(cut));
        FrameParser parser;
        auto frames = parser.feed(std::span(both).first(cut));
        const auto rest = parser.feed(std::span(both).subspan(cut));
        frames.insert(frames.end(), rest.begin(), rest.end());
        EXPECT_EQ(goodFrames(frames), (std::vector<Bytes>{a, b}));
        EXPECT_EQ(frames.size(), 2u);
    }
}

TEST(FrameParser, ResyncsAfterGarbageThatCannotStartAFrame)
{
    // Unknown codes, and counts beyond the memory of their code.
    const char *garbage[] = {"FF",       "00 00 00",  "07 08 09 0A", "01 03 00 09",
                             "01 02 00 1E", "01 05 02 01", "13 37 C0 DE FF FF 00"};
    const Bytes frame = hex(kExamples[1].frame);
    for (const char *g : garbage) {
        SCOPED_TRACE(g);
        FrameParser parser;
        Bytes stream = hex(g);
        stream.insert(stream.end(), frame.begin(), frame.end());
        const auto frames = parser.feed(stream);
        ASSERT_EQ(frames.size(), 1u);
        EXPECT_TRUE(frames[0].checksumOk);
        EXPECT_EQ(frames[0].bytes, frame);
        EXPECT_EQ(parser.takeDiscarded(), hex(g));
    }
}

TEST(FrameParser, GarbageLookingLikeALongFrameDoesNotHoldBackAWholeFrame)
{
    // A write-block header for 512 bytes would wait for them; the whole frame
    // behind it with a right checksum shows it was garbage.
    for (const char *g : {"02 06 02 00", "09 02 00 1D 00", "05 06 01"}) {
        SCOPED_TRACE(g);
        FrameParser parser;
        Bytes stream = hex(g);
        const Bytes frame = hex(kExamples[3].frame);
        stream.insert(stream.end(), frame.begin(), frame.end());
        const auto frames = parser.feed(stream);
        ASSERT_EQ(frames.size(), 1u);
        EXPECT_EQ(frames[0].bytes, frame);
        EXPECT_EQ(parser.pending(), 0u);
    }
}

TEST(FrameParser, BadChecksumIsReportedOnceAndTheNextFrameStillComes)
{
    for (const Example &e : kExamples) {
        SCOPED_TRACE(e.name);
        Bytes bad = hex(e.frame);
        bad.back() ^= 0x01;
        const Bytes good = hex(kExamples[2].frame);
        Bytes stream = bad;
        stream.insert(stream.end(), good.begin(), good.end());
        FrameParser parser;
        const auto frames = parser.feed(stream);
        ASSERT_EQ(frames.size(), 2u);
        EXPECT_FALSE(frames[0].checksumOk);
        EXPECT_EQ(frames[0].bytes, bad);
        EXPECT_TRUE(frames[1].checksumOk);
        EXPECT_EQ(frames[1].bytes, good);
    }
}

TEST(FrameParser, FlushDropsAPartialFrameAndParsingGoesOn)
{
    FrameParser parser;
    EXPECT_TRUE(parser.feed(hex("01 05 00 03 00")).empty());
    EXPECT_EQ(parser.pending(), 5u);
    EXPECT_TRUE(parser.flush().empty());
    EXPECT_EQ(parser.pending(), 0u);
    EXPECT_EQ(parser.takeDiscarded(), hex("01 05 00 03 00"));
    // Without the flush the old bytes would have been taken as this frame's start.
    const auto frames = parser.feed(hex(kExamples[0].frame));
    ASSERT_EQ(frames.size(), 1u);
    EXPECT_EQ(frames[0].bytes, hex(kExamples[0].frame));
}

TEST(FrameParser, FrameLengthFollowsCodeAndCount)
{
    struct Row {
        const char *head;
        std::size_t length;
    };
    const Row rows[] = {
        {"01 01 00 09", 10},     {"01 05 02 00", 10},  {"01 02 00 01", 11},   {"01 06 00 08", 18},
        {"01 06 02 00", 522},    {"01 02 00 1D", 39},  {"01 02 00 1E", 0},    {"01 06 02 01", 0},
        {"01 03 00 01", 0},      {"01 06 00", 0},      {"", 0},
    };
    for (const Row &r : rows) {
        SCOPED_TRACE(r.head);
        EXPECT_EQ(FrameParser::frameLength(hex(r.head)), r.length);
    }
}

TEST(FrameParser, RandomBytesNeverYieldAFrameOfTheWrongShape)
{
    std::mt19937 random(1234);
    std::uniform_int_distribution<int> byte(0, 255), chunk(1, 40);
    for (int round = 0; round < 200; ++round) {
        FrameParser parser;
        Bytes stream(2000);
        for (auto &b : stream)
            b = std::uint8_t(byte(random));
        const std::vector<Frame> frames = feedInChunks(parser, stream, random, chunk);
        EXPECT_EQ(parser.pending(), 0u);
        for (const Frame &f : frames) {
            ASSERT_GE(f.bytes.size(), 10u);
            EXPECT_EQ(FrameParser::frameLength(f.bytes), f.bytes.size());
            const auto body = std::span(f.bytes).first(f.bytes.size() - 2);
            const std::uint16_t sum = vorna::link::frameChecksum(body);
            const bool matches = f.bytes[f.bytes.size() - 2] == (sum >> 8) && f.bytes.back() == (sum & 0xFF);
            EXPECT_EQ(f.checksumOk, matches);
        }
    }
}

TEST(FrameParser, FramesScatteredInRandomGarbageAreAllRecovered)
{
    using vorna::link::Code;
    std::mt19937 random(99);
    std::uniform_int_distribution<int> byte(0, 255), gap(0, 30), chunk(1, 25);
    for (int round = 0; round < 100; ++round) {
        SCOPED_TRACE("round " + std::to_string(round));
        std::vector<Bytes> sent;
        Bytes stream;
        for (int i = 0; i < 8; ++i) {
            for (int g = gap(random); g > 0; --g)
                stream.push_back(std::uint8_t(byte(random)));
            const Bytes data{std::uint8_t(byte(random)), std::uint8_t(byte(random)), std::uint8_t(byte(random))};
            const Bytes frame = i % 2 ? vorna::link::buildFrame(1, Code::WriteBlock, 3, 0x100 + 3 * i, data)
                                      : vorna::link::buildFrame(1, Code::ReadLive, 9, 0);
            sent.push_back(frame);
            stream.insert(stream.end(), frame.begin(), frame.end());
        }
        FrameParser parser;
        const std::vector<Frame> frames = feedInChunks(parser, stream, random, chunk);
        EXPECT_EQ(goodFrames(frames), sent);
    }
}
