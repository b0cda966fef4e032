// SPDX-License-Identifier: GPL-3.0-or-later
// Any bytes a controller might send back, at any poll, to every read operation.
// The operations must end (no hang), never read past what came, and a capture
// must only ever give an even number of upper-case hex digits, 2 to 14.
#include <fuzzer/FuzzedDataProvider.h>

#include "link/exchange.h"
#include "ops/card_list.h"
#include "ops/fields.h"
#include "ops/guardians.h"
#include "ops/locker_numbers.h"
#include "ops/opening_times.h"
#include "ops/reader_capture.h"
#include "support/scripted_port.h"

using namespace vorna;

namespace {

bool isCardText(const QString &t)
{
    if (t.size() % 2 || t.size() > 14)
        return false;
    for (QChar c : t)
        if (!((c >= u'0' && c <= u'9') || (c >= u'A' && c <= u'F')))
            return false;
    return true;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    FuzzedDataProvider in(data, size);
    test::FakeClock clock;
    // Each frame written is answered with bytes from the fuzz input, seen whole
    // after a number of status queries also taken from it; now and then the port
    // is gone.
    test::ScriptedPort port;
    port.respond = [&](const std::vector<std::uint8_t> &, int) {
        test::ScriptedPort::Reply reply{in.ConsumeBytes<std::uint8_t>(in.ConsumeIntegralInRange<std::size_t>(0, 40)),
                                        in.ConsumeIntegralInRange<int>(-1, 520)};
        port.gone = in.ConsumeIntegralInRange<int>(0, 255) == 0;
        return reply;
    };
    link::Exchange x(clock);
    x.setPort(&port);
    const int which = in.ConsumeIntegralInRange<int>(0, 4);
    const int type = in.ConsumeIntegralInRange<int>(0, 2);
    ops::Env env{x, [] { return std::optional<std::uint8_t>(1); }, [](const QString &) {}};

    switch (which) {
    case 0: {
        const auto r = ops::readCardList(env);
        if (r.outcome == ops::Outcome::Done)
            for (const auto &record : r.records)
                if (!isCardText(ops::CardRecordToText(record, type)))
                    __builtin_trap();
        break;
    }
    case 1: {
        const auto r = ops::ReadCardFromReader(env);
        // A flag with no number bytes is no card: a captured number is never empty.
        if (r.outcome == ops::Outcome::Done && (r.text.isEmpty() || !isCardText(r.text)))
            __builtin_trap();
        break;
    }
    case 2: {
        const auto r = ops::readLockerNumbers(env);
        if (r.outcome == ops::Outcome::Done)
            for (const QString &t : r.texts) {
                ops::LockerDigits d{};
                if (t.size() != 3 || !ops::LockerTextToDigits(t, d))
                    __builtin_trap();
            }
        break;
    }
    case 3:
        ops::readGuardians(env);
        break;
    default: {
        const auto r = ops::readOpeningTimes(env);
        if (r.outcome == ops::Outcome::Done)
            for (const QString &t : r.texts)
                if (!ops::byteField(t))
                    __builtin_trap();
        break;
    }
    }
    if (x.busy())
        __builtin_trap();
    return 0;
}
