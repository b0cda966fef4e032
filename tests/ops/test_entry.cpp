// SPDX-License-Identifier: GPL-3.0-or-later
// The one entry every operation goes through, condition by condition in its order:
// another operation waiting (Busy, nothing shown), then the operation's own fields,
// then the device address, then the port. Each row starts with every condition
// failing and mends one at a time; nothing reaches the controller until all pass.
#include <gtest/gtest.h>

#include "ops/card_list.h"
#include "ops/device_address.h"
#include "ops/guardians.h"
#include "ops/locker_numbers.h"
#include "ops/locker_opening.h"
#include "ops/opening_times.h"
#include "ops/reader_capture.h"
#include "ops/texts.h"
#include "support/printers.h"
#include "support/sim_rig.h"

using namespace vorna;
using namespace vorna::ops;
using vorna::link::memory::kCardSlots;

namespace {

struct EntryCase {
    const char *name;
    // Runs the operation with its fields failing their check or not.
    std::function<Outcome(const Env &, bool badFields)> run;
    Outcome fieldsOutcome = Outcome::Done;   // Done: the operation has no fields
    QString fieldsText = {};                 // shown for them; none for a wrong locker index
};

std::array<QString, kCardSlots> cards(bool bad)
{
    std::array<QString, kCardSlots> t;
    t.fill(QStringLiteral("FFFFFFFFFF"));
    if (bad)
        t[31] = QStringLiteral("FFFFFFFFFG");
    return t;
}

LockerTexts lockers(bool bad)
{
    LockerTexts t;
    t.fill(QStringLiteral("123"));
    if (bad)
        t[5] = QStringLiteral("12a");
    return t;
}

std::vector<EntryCase> cases()
{
    const auto time = [](bool bad) { return bad ? std::nullopt : std::optional<std::uint8_t>(100); };
    return {
        {"read cards", [](const Env &e, bool) { return readCardList(e).outcome; }},
        {"write cards", [](const Env &e, bool bad) { return writeCardList(e, cards(bad), Unique).outcome; },
         Outcome::InvalidInput, texts::kBadCardText},
        {"write card records", [](const Env &e, bool) { return writeCardRecords(e, {}); }},
        {"read locker numbers", [](const Env &e, bool) { return readLockerNumbers(e).outcome; }},
        {"write locker numbers", [](const Env &e, bool bad) { return writeLockerNumbers(e, lockers(bad)).outcome; },
         Outcome::InvalidInput, texts::kBadLockerNumber},
        {"read opening times", [](const Env &e, bool) { return readOpeningTimes(e).outcome; }},
        {"write opening times",
         [](const Env &e, bool bad) {
             return writeOpeningTimes(e, {QStringLiteral("1"), QStringLiteral("2"), bad ? QStringLiteral("256") : QStringLiteral("3")});
         },
         Outcome::InvalidInput, texts::kBadOpeningTime},
        {"read guardians", [](const Env &e, bool) { return readGuardians(e).outcome; }},
        {"write guardians", [](const Env &e, bool) { return writeGuardians(e, GuardianGrid{}); }},
        {"reader capture", [](const Env &e, bool) { return ReadCardFromReader(e).outcome; }},
        {"open locker, time", [time](const Env &e, bool bad) { return OpenLocker(e, 19, time(bad)); },
         Outcome::InvalidInput, texts::kBadOpeningTime},
        // The index is checked before the time, and no text names it: no button gives one.
        {"open locker, index past the last", [](const Env &e, bool bad) { return OpenLocker(e, bad ? 20 : 0, std::nullopt); },
         Outcome::BadIndex},
        {"open locker, negative index", [](const Env &e, bool bad) { return OpenLocker(e, bad ? -1 : 0, std::nullopt); },
         Outcome::BadIndex},
    };
}

} // namespace

TEST(Entry, ChecksInOrderAndSendsNothingUntilAllPass)
{
    for (const EntryCase &c : cases()) {
        SCOPED_TRACE(c.name);
        test::SimRig rig;
        rig.addressText = QStringLiteral("0");
        QStringList shown;
        {
            const link::Exchange::Busy other(rig.x);
            EXPECT_EQ(c.run(rig.env(), true), Outcome::Busy);
            EXPECT_EQ(rig.statuses, shown);
        }
        if (c.fieldsOutcome != Outcome::Done) {
            EXPECT_EQ(c.run(rig.env(), true), c.fieldsOutcome);
            if (!c.fieldsText.isEmpty())
                shown << c.fieldsText;
            EXPECT_EQ(rig.statuses, shown);
        }
        if (c.fieldsOutcome != Outcome::BadIndex) {   // a good index still meets the missing time
            EXPECT_EQ(c.run(rig.env(), false), Outcome::BadAddress);
            EXPECT_EQ(rig.statuses, shown << texts::kBadAddress);
            rig.addressText = QStringLiteral("1");
            rig.port.close();
            EXPECT_EQ(c.run(rig.env(), false), Outcome::NoPort);
            EXPECT_EQ(rig.statuses, shown << texts::kPortNotOpen);
        }
        EXPECT_TRUE(rig.sent().empty());
        EXPECT_FALSE(rig.x.busy());
    }
}

// The address write goes to every controller, so the device address plays no part;
// with no port open it does nothing at all, not even judge the new address.
TEST(Entry, AddressWriteChecksBusyThenPortThenTheNewAddress)
{
    test::SimRig rig;
    rig.addressText = QStringLiteral("0");
    {
        const link::Exchange::Busy other(rig.x);
        EXPECT_EQ(writeDeviceAddress(rig.env(), std::nullopt), Outcome::Busy);
    }
    EXPECT_EQ(writeDeviceAddress(rig.env(), std::nullopt), Outcome::InvalidInput);
    EXPECT_EQ(rig.statuses, QStringList({texts::kBadAddress}));
    rig.port.close();
    EXPECT_EQ(writeDeviceAddress(rig.env(), std::nullopt), Outcome::NoPort);
    EXPECT_EQ(rig.statuses, QStringList({texts::kBadAddress}));
    EXPECT_TRUE(rig.sent().empty());
}
