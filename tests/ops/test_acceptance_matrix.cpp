// SPDX-License-Identifier: GPL-3.0-or-later
// The acceptance limit of every waiting operation, staged exactly: a reply first
// seen complete at the last accepted poll goes through, one poll later it is a
// time-out that changes nothing. The controller's answers come from the
// simulator's own controller; only their timing is scripted.
#include <QStringList>
#include <gtest/gtest.h>

#include "ops/card_list.h"
#include "ops/guardians.h"
#include "ops/locker_numbers.h"
#include "ops/locker_opening.h"
#include "ops/opening_times.h"
#include "ops/reader_capture.h"
#include "ops/texts.h"
#include "sim/controller.h"
#include "support/printers.h"
#include "support/scripted_port.h"

using namespace vorna;
using namespace vorna::ops;
using test::ScriptedPort;

namespace {

struct Rig {
    test::FakeClock clock;
    ScriptedPort port;
    link::Exchange x{clock};
    sim::Controller controller;
    QStringList statuses;
    int lastProgress = -1;

    // Frame `lateFrame` is answered at poll `seenAt`, every other one at once.
    Rig(int lateFrame, int seenAt)
    {
        x.setPort(&port);
        port.respond = [this, lateFrame, seenAt](const std::vector<std::uint8_t> &bytes, int index) {
            // A card lies on the reader from the first query on (the arming clears the flag).
            if (index == 1)
                controller.setReaderArea(sim::Controller::cardArea(std::vector<std::uint8_t>{1, 2, 3, 4, 5}),
                                         sim::Controller::Clock::now());
            sim::Frame frame{bytes, true};
            const sim::Response r = controller.handle(frame);
            return ScriptedPort::Reply{r.reply, index == lateFrame ? seenAt : 0};
        };
    }
    Env env()
    {
        Env e{x, [] { return std::optional<std::uint8_t>(1); }, [this](const QString &s) { statuses << s; }};
        e.progress = [this](int p) { lastProgress = p; };
        return e;
    }
};

struct OpCase {
    const char *name;
    int lateFrame;
    int acceptLimit;
    std::function<Outcome(Rig &)> run;
    QString timeoutText;
};

std::vector<OpCase> cases()
{
    std::array<QString, link::memory::kCardSlots> cards;
    cards.fill(QStringLiteral("FFFFFFFFFF"));
    LockerTexts lockers;
    lockers.fill(QStringLiteral("123"));
    GuardianGrid grid{};
    const OpeningTimes times = {QStringLiteral("1"), QStringLiteral("2"), QStringLiteral("3")};
    return {
        {"open locker", 0, 100, [](Rig &r) { return OpenLocker(r.env(), 3, 100); }, texts::kWriteTimeout},
        {"read cards, last slot", 31, 200, [](Rig &r) { return readCardList(r.env()).outcome; }, texts::kReadTimeout},
        {"read cards, first slot", 0, 200, [](Rig &r) { return readCardList(r.env()).outcome; }, texts::kReadTimeout},
        {"write cards", 31, 200, [cards](Rig &r) { return writeCardList(r.env(), cards, Unique).outcome; }, texts::kTransferTimeout},
        {"read locker numbers", 19, 200, [](Rig &r) { return readLockerNumbers(r.env()).outcome; }, texts::kTransferTimeout},
        {"write locker numbers", 19, 200, [lockers](Rig &r) { return writeLockerNumbers(r.env(), lockers).outcome; }, texts::kTransferTimeout},
        {"read guardians", 6, 200, [](Rig &r) { return readGuardians(r.env()).outcome; }, texts::kTransferTimeout},
        {"write guardians", 6, 200, [grid](Rig &r) { return writeGuardians(r.env(), grid); }, texts::kTransferTimeout},
        {"read opening times", 0, 200, [](Rig &r) { return readOpeningTimes(r.env()).outcome; }, texts::kReadTimeout},
        {"write opening times", 0, 200, [times](Rig &r) { return writeOpeningTimes(r.env(), times); }, texts::kWriteTimeout},
        {"reader query", 1, 100, [](Rig &r) { return ReadCardFromReader(r.env()).outcome; }, texts::kReaderTimeout},
    };
}

} // namespace

TEST(AcceptanceLimit, LastPollInsideIsAcceptedFirstPollOutsideTimesOut)
{
    for (const OpCase &c : cases()) {
        SCOPED_TRACE(c.name);
        {
            Rig inside(c.lateFrame, c.acceptLimit - 1);
            EXPECT_EQ(c.run(inside), Outcome::Done);
            EXPECT_FALSE(inside.statuses.contains(c.timeoutText));
        }
        Rig outside(c.lateFrame, c.acceptLimit);
        EXPECT_EQ(c.run(outside), Outcome::TimedOut);
        EXPECT_EQ(outside.statuses.back(), c.timeoutText);
        EXPECT_EQ(outside.x.lastPoll(), c.acceptLimit);   // seen then, and the wait ended at once
        EXPECT_EQ(int(outside.port.written.size()), c.lateFrame + 1);
    }
}

// A reply that never comes is given up after the poll limit: 500 polls in the
// block transfers, 100 for the locker opening and the reader query.
TEST(AcceptanceLimit, MissingReplyIsGivenUpAtThePollLimit)
{
    for (const OpCase &c : cases()) {
        SCOPED_TRACE(c.name);
        Rig rig(c.lateFrame, -1);
        EXPECT_EQ(c.run(rig), Outcome::TimedOut);
        EXPECT_EQ(rig.x.lastPoll(), c.acceptLimit == 100 ? 100 : 500);
    }
}

// A card reply counts only when no byte follows it for the 20 polls after it: the
// status queries of the wait (one, here) and of the watch are counted exactly. A
// byte seen at the last of them makes it no card, and the capture runs on to its
// deadline; one poll later the card is taken.
TEST(ReaderSettle, CardReplyMustStayAloneForTwentyPolls)
{
    for (const int strayAt : {1, 21, 22}) {
        SCOPED_TRACE(strayAt);
        Rig rig(-1, 0);
        auto answer = rig.port.respond;
        rig.port.respond = [&](const std::vector<std::uint8_t> &bytes, int index) {
            ScriptedPort::Reply r = answer(bytes, index);
            if (index > 0)
                r = {r.bytes, 0, {0x00}, strayAt};
            return r;
        };
        const ReaderCapture capture = ReadCardFromReader(rig.env());
        if (strayAt <= 21) {
            EXPECT_EQ(capture.outcome, Outcome::TimedOut);
            EXPECT_EQ(rig.statuses.back(), texts::kNoCard);
            EXPECT_GT(rig.port.written.size(), 2u);
        } else {
            EXPECT_EQ(capture.outcome, Outcome::Done);
            EXPECT_EQ(capture.text, QStringLiteral("0102030405"));
            EXPECT_EQ(rig.port.written.size(), 2u);
        }
    }
}
