// SPDX-License-Identifier: GPL-3.0-or-later
// Any bytes a controller might send back, at any poll, to every read operation.
// The operations must end (no hang), never read past what came, and a capture
// must only ever give an even number of upper-case hex digits, 2 to 14.
#include <fuzzer/FuzzedDataProvider.h>

#include <deque>

#include "link/clock.h"
#include "link/exchange.h"
#include "ops/card_list.h"
#include "ops/fields.h"
#include "ops/guardians.h"
#include "ops/locker_numbers.h"
#include "ops/opening_times.h"
#include "ops/reader_capture.h"

using namespace vorna;

namespace {

class FakeClock final : public link::Clock {
public:
    std::int64_t now = 0;
    void sleepMs(int ms) override { now += ms; }
    std::int64_t nowMs() override { return now; }
};

// Each frame written is answered with bytes from the fuzz input, seen whole after
// a number of status queries also taken from it.
class FuzzPort final : public link::SerialPort {
public:
    FuzzPort(FuzzedDataProvider &in, FakeClock &clock) : in_(in), clock_(clock) {}
    bool isOpen() const override { return true; }
    void purge() override { input_.clear(); pending_.clear(); }
    void write(std::span<const std::uint8_t>) override
    {
        queries_ = 0;
        pending_ = in_.ConsumeBytes<std::uint8_t>(in_.ConsumeIntegralInRange<std::size_t>(0, 40));
        dueAt_ = in_.ConsumeIntegralInRange<int>(-1, 520);
        gone_ = in_.ConsumeIntegralInRange<int>(0, 255) == 0;
    }
    int bytesWaiting() override
    {
        if (gone_)
            return -1;
        if (dueAt_ >= 0 && queries_ >= dueAt_) {
            input_.insert(input_.end(), pending_.begin(), pending_.end());
            pending_.clear();
            dueAt_ = -1;
        }
        ++queries_;
        return int(input_.size());
    }
    int read(std::span<std::uint8_t> into) override
    {
        const std::size_t n = std::min(into.size(), input_.size());
        std::copy_n(input_.begin(), n, into.begin());
        input_.erase(input_.begin(), input_.begin() + std::ptrdiff_t(n));
        return int(n);
    }
    void pause(int ms) override { clock_.sleepMs(ms); }

private:
    FuzzedDataProvider &in_;
    FakeClock &clock_;
    std::deque<std::uint8_t> input_;
    std::vector<std::uint8_t> pending_;
    int dueAt_ = -1;
    int queries_ = 0;
    bool gone_ = false;
};

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
    FakeClock clock;
    FuzzPort port(in, clock);
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
