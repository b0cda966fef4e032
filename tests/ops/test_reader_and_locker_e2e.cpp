// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>

#include "link/frame.h"
#include "ops/card_list.h"
#include "ops/fields.h"
#include "ops/locker_opening.h"
#include "ops/reader_capture.h"
#include "ops/texts.h"
#include "support/printers.h"
#include "support/scripted_port.h"
#include "sim/sample_site.h"
#include "support/sim_rig.h"

using namespace vorna;
using namespace vorna::ops;
using sim::Fault;
using Bytes = std::vector<std::uint8_t>;

TEST(ReaderCapture, CardHeldToTheReaderFillsTheText)
{
    test::SimRig rig;
    rig.sim.presentCard({0x04, 0xA1, 0xB2, 0xC3, 0xD5}, 150);
    const ReaderCapture capture = ReadCardFromReader(rig.env());
    ASSERT_EQ(capture.outcome, Outcome::Done);
    EXPECT_EQ(capture.text, QStringLiteral("04A1B2C3D5"));
    EXPECT_EQ(rig.statuses.front(), texts::kHoldCard);
    EXPECT_EQ(rig.lastStatus(), texts::kCardCaptured);

    const auto sent = rig.sent();
    ASSERT_GE(sent.size(), 3u);
    EXPECT_EQ(sent[0], link::buildFrame(1, link::commands::Arming, 0, Bytes{0}));
    for (std::size_t i = 1; i < sent.size(); ++i)
        EXPECT_EQ(sent[i], link::buildFrame(1, link::commands::ReaderQuery, 0));
}

// The demo's controller: a site to read, and a card held after each click. A card
// held once at start would be wiped by the click's own arming frame.
TEST(ReaderCapture, DemoCardFollowsEveryArming)
{
    test::SimRig rig;
    sim::loadSampleSite(rig.sim);
    rig.sim.presentCardOnArming({0x04, 0xA1, 0xB2, 0xC3, 0xD5}, 300);
    for (int click = 0; click < 2; ++click) {
        SCOPED_TRACE(click);
        const ReaderCapture capture = ReadCardFromReader(rig.env());
        ASSERT_EQ(capture.outcome, Outcome::Done);
        EXPECT_EQ(capture.text, QStringLiteral("04A1B2C3D5"));
    }
    const CardListRead cards = readCardList(rig.env());
    ASSERT_EQ(cards.outcome, Outcome::Done);
    EXPECT_EQ(CardRecordToText(cards.records[0], Unique), QStringLiteral("0A1B2C3D4E"));
    EXPECT_EQ(CardRecordToText(cards.records[12], Unique), QStringLiteral("9000000001"));
}

// The number is shown with its own length, whatever the card type: 7 gives 14
// digits; length 0 is no card; above 7 the reply cannot be a number.
TEST(ReaderCapture, LengthByteDecidesTheDigits)
{
    struct Case {
        std::array<std::uint8_t, 9> area;
        Outcome outcome;
        const char *text;
        QString status;
    };
    const Case cases[] = {
        {{1, 1, 2, 3, 4, 5, 6, 7, 7}, Outcome::Done, "01020304050607", texts::kCardCaptured},
        {{1, 0xDE, 0xAD, 0xBE, 0xEF, 0, 0, 0, 4}, Outcome::Done, "DEADBEEF", texts::kCardCaptured},
        {{0xFF, 9, 9, 9, 9, 9, 9, 9, 0}, Outcome::TimedOut, "", texts::kNoCard},
        {{1, 1, 2, 3, 4, 5, 6, 7, 8}, Outcome::BadReply, "", texts::kBadCardText},
        {{1, 1, 2, 3, 4, 5, 6, 7, 0xFF}, Outcome::BadReply, "", texts::kBadCardText},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.text);
        test::SimRig rig;
        rig.sim.setReaderArea(c.area, 20);
        const ReaderCapture capture = ReadCardFromReader(rig.env());
        EXPECT_EQ(capture.outcome, c.outcome);
        EXPECT_EQ(capture.text, QString::fromLatin1(c.text));
        EXPECT_EQ(rig.lastStatus(), c.status);
    }
}

namespace {

// A line that adds bytes of its own, or an arming answer that comes in among the
// query replies. The capture may miss the card, never invent one.
struct ReaderLine {
    const char *name;
    Fault fault;
    std::size_t releaseAtFrames;   // held replies go once this many frames came; 0: none held
    bool cardRead;                 // else "Nie odczytano karty !" and no text
};

// A late arming answer is held until the first query has come, and then leaves with
// that query's reply, as a controller answering in order does: late by a number of
// polls, not of ms, so the same on a busy machine.
const ReaderLine kReaderLines[] = {
    {"stray_byte_after_each_reply", {Fault::Trail, 0, -1, 1}, 0, false},
    {"local_echo", {Fault::Echo, 0, -1, 0}, 0, false},
    {"arming_answer_during_the_first_query", {Fault::Hold, 0, 1, 0}, 2, true},
};

class ReaderCaptureLine : public testing::TestWithParam<ReaderLine> {};

[[maybe_unused]] void PrintTo(const ReaderLine &l, std::ostream *os) { *os << l.name; }

} // namespace

TEST_P(ReaderCaptureLine, CardHeldOrNoneNeverAnInventedOne)
{
    const ReaderLine &l = GetParam();
    test::SimRig rig;
    rig.sim.addFault(l.fault);
    rig.sim.presentCardOnArming({0x04, 0xA1, 0xB2, 0xC3, 0xD5}, 300);
    bool released = false;
    rig.onPump = [&] {
        if (l.releaseAtFrames != 0 && !released && rig.sim.frames().size() >= l.releaseAtFrames) {
            released = true;
            rig.sim.releaseHeld();
        }
    };
    const ReaderCapture capture = ReadCardFromReader(rig.env());
    if (l.cardRead) {
        EXPECT_EQ(capture.outcome, Outcome::Done);
        EXPECT_EQ(capture.text, QStringLiteral("04A1B2C3D5"));
        EXPECT_EQ(rig.lastStatus(), texts::kCardCaptured);
    } else {
        EXPECT_EQ(capture.outcome, Outcome::TimedOut);
        EXPECT_TRUE(capture.text.isEmpty());
        EXPECT_EQ(rig.lastStatus(), texts::kNoCard);
        EXPECT_FALSE(rig.statuses.contains(texts::kCardCaptured));
    }
    // The frames are those of a clean line.
    const auto sent = rig.sent();
    ASSERT_GE(sent.size(), 2u);
    EXPECT_EQ(sent[0], link::buildFrame(1, link::commands::Arming, 0, Bytes{0}));
    for (std::size_t i = 1; i < sent.size(); ++i)
        EXPECT_EQ(sent[i], link::buildFrame(1, link::commands::ReaderQuery, 0));
}

INSTANTIATE_TEST_SUITE_P(Lines, ReaderCaptureLine, testing::ValuesIn(kReaderLines),
                         [](const testing::TestParamInfo<ReaderLine> &info) { return std::string(info.param.name); });

// No answer to the arming frame: the queries still follow and the card is read.
TEST(ReaderCapture, UnansweredArmingGoesOn)
{
    test::SimRig rig;
    rig.sim.addFault({Fault::NoReply, 0, 1, 0});
    rig.sim.presentCard({0x11, 0x22, 0x33, 0x44}, 300);
    const ReaderCapture capture = ReadCardFromReader(rig.env());
    EXPECT_EQ(capture.outcome, Outcome::Done);
    EXPECT_EQ(capture.text, QStringLiteral("11223344"));
}

TEST(ReaderCapture, UnansweredQueryEndsAfterTheFirst)
{
    test::SimRig rig;
    rig.sim.addFault({Fault::NoReply, 0, -1, 0});
    const ReaderCapture capture = ReadCardFromReader(rig.env());
    EXPECT_EQ(capture.outcome, Outcome::TimedOut);
    EXPECT_EQ(rig.lastStatus(), texts::kReaderTimeout);
    EXPECT_EQ(rig.sent().size(), 2u);
}

// The five seconds are the clock's, and each query's block pause takes 5 ms of it:
// on a test clock the deadline comes after exactly 1000 queries, however long the
// machine takes over each.
TEST(ReaderCapture, NoCardWithinFiveSeconds)
{
    test::FakeClock clock;
    test::SimRig rig({}, clock);
    const ReaderCapture capture = ReadCardFromReader(rig.env());
    EXPECT_EQ(capture.outcome, Outcome::TimedOut);
    EXPECT_EQ(rig.lastStatus(), texts::kNoCard);
    EXPECT_TRUE(rig.statuses.contains(texts::kHoldCard));
    EXPECT_EQ(clock.now, 5000);
    const auto sent = rig.sent();
    ASSERT_EQ(sent.size(), 1u + 1000u);
    EXPECT_EQ(sent.back(), link::buildFrame(1, link::commands::ReaderQuery, 0));
}

TEST(ReaderCapture, CancelledCaptureGivesNoText)
{
    test::SimRig rig;
    rig.onPump = [&] {
        if (rig.sim.frames().size() >= 4)
            rig.x.requestCancel();
    };
    rig.sim.addFault({Fault::Delay, 3, -1, 30});
    const ReaderCapture capture = ReadCardFromReader(rig.env());
    EXPECT_EQ(capture.outcome, Outcome::Cancelled);
    EXPECT_TRUE(capture.text.isEmpty());
}

TEST(LockerOpening, OpensTheLockerAtItsPositionForTheTime)
{
    struct Case {
        int index;
        const char *time;
        std::uint8_t sent;
    };
    const Case cases[] = {{0, "100", 100}, {19, "100", 100}, {4, "0", 0}, {9, "255", 255}, {2, "$1E", 30}, {3, " 7", 7}};
    for (const Case &c : cases) {
        SCOPED_TRACE(c.index);
        test::SimRig rig;
        EXPECT_EQ(OpenLocker(rig.env(), c.index, byteField(QString::fromLatin1(c.time))), Outcome::Done);
        const auto sent = rig.sent();
        ASSERT_EQ(sent.size(), 1u);
        EXPECT_EQ(sent[0], link::buildFrame(1, link::commands::OpenLocker, c.index, Bytes{c.sent}));
        EXPECT_EQ(sent[0][7], 9 + c.index);
        const auto openings = rig.sim.openings();
        ASSERT_EQ(openings.size(), 1u);
        EXPECT_EQ(openings[0], std::make_pair(c.index + 1, c.sent));
        // The announcing text stays: there is no separate success text.
        EXPECT_EQ(rig.statuses, QStringList({texts::openingLocker(c.index + 1)}));
    }
}

TEST(LockerOpening, TimeTheControllerCannotTakeIsRefused)
{
    for (const char *time : {"abc", "", "300", "-1", "256", "1.5"}) {
        SCOPED_TRACE(time);
        test::SimRig rig;
        EXPECT_EQ(OpenLocker(rig.env(), 0, byteField(QString::fromLatin1(time))), Outcome::InvalidInput);
        EXPECT_EQ(rig.statuses, QStringList({texts::kBadOpeningTime}));
        EXPECT_TRUE(rig.sent().empty());
    }
}

TEST(LockerOpening, NoReplyIsAWriteTimeOut)
{
    test::SimRig rig;
    rig.sim.addFault({Fault::NoReply, 0, 1, 0});
    EXPECT_EQ(OpenLocker(rig.env(), 19, 100), Outcome::TimedOut);
    EXPECT_EQ(rig.statuses, QStringList({texts::openingLocker(20), texts::kWriteTimeout}));
    EXPECT_EQ(rig.x.lastPoll(), link::commands::OpenLocker.pollLimit);
}

TEST(LockerOpening, NoPortOrBadAddressSendsNothing)
{
    test::SimRig rig;
    rig.addressText = QStringLiteral("300");
    EXPECT_EQ(OpenLocker(rig.env(), 0, 100), Outcome::BadAddress);
    rig.addressText = QStringLiteral("1");
    rig.port.close();
    EXPECT_EQ(OpenLocker(rig.env(), 0, 100), Outcome::NoPort);
    EXPECT_EQ(rig.statuses, QStringList({texts::kBadAddress, texts::kPortNotOpen}));
    EXPECT_TRUE(rig.sent().empty());
}
